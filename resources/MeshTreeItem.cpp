#include "resources/MeshTreeItem.h"

#include <QFileInfo>

#include <osgDB/Options>
#include <osgDB/ReadFile>

#include "me/ForceLODPagedLOD.h"
#include "resources/MeshTreeGroup.h"
#include "resources/NodeVisibility.h"
#include "resources/ResourcePaths.h"
#include "resources/TileRootValues.h"

namespace MeshTree {

Item::Item(const QString& name, osg::ref_ptr<osg::Node> node, int type, const ItemSource& source)
    : qvx::BaseTreeItem(kItemKind), node_(std::move(node)), type_(type), source_(source) {
  setName(name.toStdString());
  if (!source_.filePath.isEmpty()) setToolTip(0, source_.filePath);
}

Group* Item::group() const { return dynamic_cast<Group*>(QTreeWidgetItem::parent()); }

void Item::applyShown(bool shown) {
  setShown(shown);
  setNodeShown(node_.get(), shown);
}

void Item::detachNode() {
  if (!node_) return;
  const osg::Node::ParentList parents = node_->getParents();
  for (osg::Group* parent : parents) parent->removeChild(node_.get());
  node_ = nullptr;
}

vx::me::forceLOD::ForceLODPagedLOD* Item::tileLOD() const {
  return dynamic_cast<vx::me::forceLOD::ForceLODPagedLOD*>(node_.get());
}

QString Item::tileFilePath() const {
  const auto* lod = tileLOD();
  return lod ? normalizedPath(lod->getFilePath()) : QString();
}

QString Item::tileRootPath() const {
  const QString file = tileFilePath();
  return file.isEmpty() ? QString() : QFileInfo(file).absolutePath();
}

osg::ref_ptr<osg::MatrixTransform> Item::tileRoot() const {
  auto* lod = tileLOD();
  if (!lod) return nullptr;
  if (lod->getNumChildren() > 0) {
    if (auto* root = dynamic_cast<osg::MatrixTransform*>(lod->getChild(0))) return root;
  }
  const QString file = tileFilePath();
  if (file.isEmpty() || !QFileInfo(file).isFile()) return nullptr;
  // A tile that is not paged in is read on its own; caching it would keep stale versions alive.
  osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
  options->setObjectCacheHint(osgDB::Options::CACHE_NONE);
  osg::ref_ptr<osg::Node> read = osgDB::readRefNodeFile(file.toUtf8().toStdString(), options.get());
  return dynamic_cast<osg::MatrixTransform*>(read.get());
}

bool Item::editState(int& state, QString& error) const {
  const auto root = tileRoot();
  if (!root) {
    error = kEditStateError;
    return false;
  }
  if (!readIntValue(*root, "EditState", state)) state = -1;
  return true;
}

bool Item::lodVersion(int& version, QString& error) const {
  const auto root = tileRoot();
  if (!root) {
    error = kLODVersionError;
    return false;
  }
  if (!readIntValue(*root, "VEXALODVersion", version)) version = -1;
  return true;
}

bool Item::knownTileBounds(TileBounds& bounds) const {
  auto* lod = tileLOD();
  if (!lod) return false;
  if (lod->getNumChildren() > 0) {
    if (auto* root = dynamic_cast<osg::MatrixTransform*>(lod->getChild(0))) return readTileBounds(*root, bounds);
  }
  if (cachedBoundsFile_.isEmpty() || cachedBoundsFile_ != tileFilePath()) return false;
  bounds = cachedBounds_;
  return true;
}

bool Item::tileBounds(osg::Vec3d& minXYZ, osg::Vec3d& maxXYZ, osg::Vec3d& offset) const {
  TileBounds bounds;
  if (!knownTileBounds(bounds)) {
    const auto root = tileRoot();
    if (!root || !readTileBounds(*root, bounds)) return false;
    cachedBoundsFile_ = tileFilePath();
    cachedBounds_ = bounds;
  }
  minXYZ = bounds.minXYZ;
  maxXYZ = bounds.maxXYZ;
  offset = bounds.offset;
  return true;
}

bool Item::needsTileBounds() const {
  TileBounds bounds;
  return tileLOD() && !tileFilePath().isEmpty() && !knownTileBounds(bounds);
}

void Item::setTileBounds(const QString& file, const TileBounds& bounds) {
  cachedBoundsFile_ = file;
  cachedBounds_ = bounds;
}

bool Item::heightRange(double& minZ, double& maxZ) const {
  if (tileLOD()) {
    TileBounds bounds;
    if (!knownTileBounds(bounds)) return false;
    minZ = bounds.minXYZ.z() + bounds.offset.z();
    maxZ = bounds.maxXYZ.z() + bounds.offset.z();
    return minZ <= maxZ;
  }
  if (loadedBounds_.valid()) {
    minZ = loadedBounds_.zMin();
    maxZ = loadedBounds_.zMax();
    return true;
  }
  if (node_ && node_->getBound().valid()) {
    const osg::BoundingSphere& sphere = node_->getBound();
    minZ = sphere.center().z() - sphere.radius();
    maxZ = sphere.center().z() + sphere.radius();
    return true;
  }
  return false;
}

}  // namespace MeshTree
