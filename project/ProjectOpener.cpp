#include "project/ProjectOpener.h"

#include <QFileInfo>
#include <vector>

#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

namespace qvx {

namespace {

void report(const ProjectOpenerUi& ui, const QString& message) {
  if (ui.critical) ui.critical(message);
}

QString structureError() { return QString::fromStdString(vx::lastProjectStructureError()); }

}  // namespace

std::shared_ptr<vx::VEXAProject> openProjectFile(const QString& file, const ProjectOpenerUi& ui) {
  const QFileInfo info(file);
  if (!info.isFile()) {
    report(ui, "File " + info.absoluteFilePath() + " does not exist.");
    return nullptr;
  }
  const QString folder = info.absolutePath();
  const std::string folderUtf8 = folder.toStdString();

  bool needsUpdate = false;
  size_t messageLength = 0;
  if (vx::checkProjectStructure(folderUtf8.c_str(), &needsUpdate, &messageLength) != 0) {
    report(ui, "Could not check the project structure of " + folder + ": " + structureError());
    return nullptr;
  }
  if (needsUpdate) {
    std::vector<char> message(messageLength + 1, '\0');
    if (vx::projectStructureUpdateMessage(folderUtf8.c_str(), message.data(), message.size()) != 0) {
      report(ui, "Could not read the structure update of the project in " + folder + ": " +
                     structureError());
      return nullptr;
    }
    const QString question = QString::fromUtf8(message.data()) + "\nDo you want to perform the update?";
    if (!ui.askUpdate || !ui.askUpdate(question)) return nullptr;
    if (vx::updateProjectStructure(folderUtf8.c_str()) != 0) {
      report(ui, "The project structure of " + folder + " could not be updated: " + structureError() +
                     "\nThe project folder was left unchanged.");
      return nullptr;
    }
  }

  auto project = std::make_shared<vx::VEXAProject>();
  if (project->setOutputFolder(folderUtf8, 0, 0) != 0) {
    report(ui, "Could not use " + folder + " as the project folder.");
    return nullptr;
  }
  try {
    project->loadProjectFile(info.absoluteFilePath().toStdString());
  } catch (const std::exception& error) {
    report(ui, "VEXA wasn't able to read the Project: " + QString::fromUtf8(error.what()));
    return nullptr;
  } catch (...) {
    report(ui, "VEXA wasn't able to read the Project.");
    return nullptr;
  }
  return project;
}

}  // namespace qvx
