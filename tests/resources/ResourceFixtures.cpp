#include "ResourceFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cfloat>

#include <osg/PagedLOD>
#include <osgDB/WriteFile>

#include "demo/DemoProject.h"
#include "resources/DataBase.h"

namespace rtest {

QString writeTiledMesh(const QString& meshFolder, bool forEditing) {
  demo::DemoOptions options;
  options.tiles = 2;
  options.levels = 2;
  options.finestGridCells = 8;
  options.textureSize = 16;
  demo::writeTiledMesh(meshFolder.toStdString(), options, forEditing);
  return QDir(meshFolder).absoluteFilePath("Mesh.osgb");
}

QString tileFile(const QString& meshFolder, int x, int y) {
  const QString name = QString("Tile_%1_%2").arg(x).arg(y);
  return QDir(meshFolder).absoluteFilePath(name + "/" + name + ".osgb");
}

QString writeObj(const QString& path, double zLow, double zHigh) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return QString();
  // OBJ is y-up; the reader turns its y into z.
  file.write(QString("v 0 %1 0\nv 10 %1 0\nv 10 %2 10\nv 0 %2 10\nf 1 2 3\nf 1 3 4\n")
                 .arg(zLow)
                 .arg(zHigh)
                 .toUtf8());
  return QFileInfo(path).absoluteFilePath();
}

QString writeGarbage(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return QString();
  file.write("this is no mesh at all");
  return QFileInfo(path).absoluteFilePath();
}

bool writeNode(osg::Node& node, const QString& path) {
  return osgDB::writeNodeFile(node, path.toUtf8().toStdString());
}

QString writeIndex(const QString& path, const QStringList& fileNames) {
  osg::ref_ptr<osg::Group> index = new osg::Group;
  for (const QString& name : fileNames) {
    osg::ref_ptr<osg::PagedLOD> lod = new osg::PagedLOD;
    lod->setFileName(0, name.toStdString());
    lod->setRange(0, 0.0f, FLT_MAX);
    index->addChild(lod.get());
  }
  return writeNode(*index, path) ? QFileInfo(path).absoluteFilePath() : QString();
}

bool loadAndWait(MeshTree::DataBase& dataBase, const std::function<void()>& start) {
  QSignalSpy done(&dataBase, &MeshTree::DataBase::signal_loadingDone);
  start();
  return done.wait(60000);
}

}  // namespace rtest
