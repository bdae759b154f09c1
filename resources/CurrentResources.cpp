#include <QDebug>

#include <exception>

#include "project/Layout.h"
#include "resources/DataBase.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vxdb/Database.h"

namespace MeshTree {

QStringList DataBase::currentResources(const vx::VEXAProject& project) {
  const std::string resourcesPath = layout::projectPath(project, layout::ResourcesDatabaseFile).toUtf8().toStdString();
  const std::string chroniclePath = layout::projectPath(project, layout::ChronicleDatabaseFile).toUtf8().toStdString();
  QStringList files;
  try {
    const auto resources = vxdb::DatabaseIO::readFile(resourcesPath);
    const auto chronicle = vxdb::DatabaseIO::readFile(chroniclePath);
    if (!resources || !chronicle) return files;
    const vxdb::PathsAndIds current = vxdb::getCurrentResources(
        resources, chronicle, vx::MSG::PRC_MESH, vx::MSG::PRC_DSM_MESH_TEXTURING, true);
    for (const std::string& path : current.paths) files.append(QString::fromUtf8(path.c_str()));
  } catch (const std::exception& error) {
    // A damaged database means no resources, never a failed project load.
    qDebug() << "Couldn't read the project databases:" << error.what();
    files.clear();
  }
  return files;
}

}  // namespace MeshTree
