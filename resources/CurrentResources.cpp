#include <QFileInfo>

#include <exception>

#include "project/Layout.h"
#include "resources/DataBase.h"
#include "resources/ResourcePaths.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vxdb/Database.h"

namespace MeshTree {

namespace {

std::string utf8(const QString& text) { return text.toUtf8().toStdString(); }

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.c_str(), int(text.size())); }

}  // namespace

QStringList DataBase::currentResources(const vx::VEXAProject& project, QStringList* problems) {
  auto note = [problems](const QString& text) {
    if (problems) problems->append(text);
  };
  const QString resourcesFile = layout::projectPath(project, layout::ResourcesDatabaseFile);
  const QString chronicleFile = layout::projectPath(project, layout::ChronicleDatabaseFile);
  // A project that was never processed has no databases yet; that is no fault.
  if (!QFileInfo::exists(resourcesFile) && !QFileInfo::exists(chronicleFile)) return {};

  QStringList files;
  try {
    std::string error;
    const auto resources = vxdb::DatabaseIO::readFile(utf8(resourcesFile), &error);
    if (!resources) note(fromUtf8(error));
    const auto chronicle = vxdb::DatabaseIO::readFile(utf8(chronicleFile), &error);
    if (!chronicle) note(fromUtf8(error));
    if (!resources || !chronicle) return files;

    std::vector<std::string> rowProblems;
    const vxdb::PathsAndIds current = vxdb::getCurrentResources(
        resources, chronicle, vx::MSG::PRC_MESH, vx::MSG::PRC_DSM_MESH_TEXTURING, true, &rowProblems);
    for (const std::string& text : rowProblems) note(fromUtf8(text));

    // A project may come from anyone: its entries must not make the editor read the user's other files.
    const QString folder = fromUtf8(project.projectFolderUtf8());
    for (std::size_t i = 0; i < current.paths.size(); ++i) {
      const QString path = fromUtf8(current.paths[i]);
      const QString id = QString::number(current.ids[i]);
      if (!isInsideFolder(folder, path)) {
        note(QStringLiteral("The project database %1 lists resource %2 at %3, outside the project folder %4; it "
                            "was not loaded. Keep the project's results inside its folder.")
                 .arg(resourcesFile, id, path, folder));
      } else if (!QFileInfo(path).isFile()) {
        note(QStringLiteral("The project database %1 lists resource %2 at %3, which is not a file; it was not "
                            "loaded. Run the processing again to make it.")
                 .arg(resourcesFile, id, path));
      } else {
        files.append(path);
      }
    }
  } catch (const std::exception& error) {
    note(QStringLiteral("The project databases in %1 could not be read: %2")
             .arg(QFileInfo(resourcesFile).absolutePath(), QString::fromUtf8(error.what())));
    files.clear();
  }
  return files;
}

}  // namespace MeshTree
