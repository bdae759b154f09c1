#include "resources/TileReplacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <osg/PagedLOD>
#include <osgDB/Options>
#include <osgDB/ReadFile>

#include "me/ForceLODPagedLOD.h"
#include "project/Layout.h"
#include "resources/MeshTreeItem.h"
#include "resources/ResourcePaths.h"

namespace MeshTree {

namespace {

class FindPagedLOD : public osg::NodeVisitor {
 public:
  FindPagedLOD() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
  void apply(osg::PagedLOD&) override { found = true; }
  bool found = false;
};

}  // namespace

bool readTileList(const QString& listFile, QStringList& paths) {
  QFile file(listFile);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
  for (QString line : lines) {
    line = line.trimmed();
    if (!line.isEmpty()) paths.append(line);
  }
  return true;
}

QString listedTileFile(const QString& listedPath) {
  const QString path = normalizedPath(listedPath);
  const QFileInfo tile(path);
  const QFileInfo tileFolder(tile.absolutePath());
  const QFileInfo bufferFolder(tileFolder.absolutePath());
  if (bufferFolder.fileName() != QString::fromStdWString(layout::Buffer_Tiles)) return path;
  return joinPath(joinPath(bufferFolder.absolutePath(), tileFolder.fileName()), tile.fileName());
}

bool repointTile(Item& item, const QString& tileFile, QString& error) {
  auto* lod = item.tileLOD();
  if (!lod) {
    error = "Not a tile: " + item.name();
    return false;
  }
  if (!QFileInfo(tileFile).isFile()) {
    error = "Reprocessed tile not found: " + tileFile;
    return false;
  }
  osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
  options->setObjectCacheHint(osgDB::Options::CACHE_NONE);
  osg::ref_ptr<osg::Node> tile = osgDB::readRefNodeFile(tileFile.toUtf8().toStdString(), options.get());
  FindPagedLOD finder;
  if (tile) tile->accept(finder);
  if (!finder.found) {
    error = "Reprocessed tile can't be read as a paged tile: " + tileFile;
    return false;
  }
  const QString databasePath = normalizedPath(lod->getDatabasePath());
  const QString relative = QDir::toNativeSeparators(QDir(databasePath).relativeFilePath(tileFile));
  // Keeping the loaded child would go on showing the old tile until the pager expires it.
  lod->removeChildren(0, lod->getNumChildren());
  for (unsigned int i = 0; i < lod->getNumFileNames(); ++i) lod->getDatabaseRequest(i) = nullptr;
  lod->setFileName(0, relative.toUtf8().toStdString());
  lod->dirtyBound();
  return true;
}

}  // namespace MeshTree
