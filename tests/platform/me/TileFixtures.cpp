#include "tests/platform/me/TileFixtures.h"

#include <limits>

#include <QDir>
#include <QFileInfo>
#include <osgDB/ReadFile>
#include <osgDB/Registry>
#include <osgDB/WriteFile>

#include "demo/DemoProject.h"

namespace metest {

QString writeTileSet(const QString& meshFolder, bool forEditing) {
  demo::DemoOptions options;
  options.tiles = 2;
  options.levels = 2;
  options.finestGridCells = 8;
  options.textureSize = 16;
  demo::writeTiledMesh(meshFolder.toStdString(), options, forEditing);
  return QDir(meshFolder).absoluteFilePath("Mesh.osgb");
}

QString tileRootPath(const QString& meshFolder, int x, int y) {
  return QDir(meshFolder).absoluteFilePath(QString("Tile_%1_%2/Tile_%1_%2.osgb").arg(x).arg(y));
}

bool writeNode(osg::Node& node, const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  return osgDB::writeNodeFile(node, path.toStdString());
}

osg::ref_ptr<osg::Node> loadLikeLoader(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile(absolute.toStdString(), osgDB::Registry::instance()->getOptions());
  if (node) node->setName(absolute.toStdString());
  return node;
}

osg::ref_ptr<osg::PagedLOD> makeTileReference(const std::string& fileName) {
  osg::ref_ptr<osg::PagedLOD> reference = new osg::PagedLOD;
  reference->setFileName(0, fileName);
  reference->setRange(0, 0.0f, std::numeric_limits<float>::max());
  return reference;
}

osg::ref_ptr<osg::Group> groupOf(osg::Node* child) {
  osg::ref_ptr<osg::Group> group = new osg::Group;
  group->addChild(child);
  return group;
}

}  // namespace metest
