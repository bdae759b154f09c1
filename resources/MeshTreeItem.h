#pragma once

#include <QString>

#include <osg/BoundingBox>
#include <osg/MatrixTransform>
#include <osg/Node>
#include <osg/ref_ptr>

#include "resources/BaseTreeItem.h"
#include "resources/TileRootValues.h"

namespace vx {
namespace me {
namespace forceLOD {
class ForceLODPagedLOD;
}
}  // namespace me
}  // namespace vx

namespace MeshTree {

class Group;

// Where an item's data came from; kept for duplicate checks, reloading and saving.
struct ItemSource {
  QString filePath;      // the file the item shows: a tile file or a mesh file (absolute)
  QString databasePath;  // the folder the item's file is looked up in (mesh folder, or file's folder)
  QString loadedFile;    // the file that was read to make the item (index, tile or mesh file)
  unsigned int treeStructure = 3;
};

// One entry of a group: a mesh, a tile or a polygon, with its scene node.
class Item : public qvx::BaseTreeItem {
  Q_OBJECT

 public:
  static constexpr const char* kEditStateError =
      "Can't check for edits since tile root couldn't be retrieved.";
  static constexpr const char* kLODVersionError =
      "Can't check LOD version since tile root couldn't be retrieved.";

  Item(const QString& name, osg::ref_ptr<osg::Node> node, int type,
       const ItemSource& source = ItemSource());

  QString name() const { return QString::fromStdString(getName()); }
  osg::Node* node() const { return node_.get(); }
  int type() const { return type_; }
  const ItemSource& source() const { return source_; }
  Group* group() const;

  // Identifier of an entry added by id (on_add); -1 for all others.
  int id() const { return id_; }
  void setId(int id) { id_ = id; }

  // Shows or hides the node and records the state.
  void applyShown(bool shown);
  // Takes the node out of the scene graph (its parents) and drops it.
  void detachNode();
  // Drops the node without touching the scene graph.
  void releaseNode() { node_ = nullptr; }

  // The library's paged LOD of a tile; null for other items.
  vx::me::forceLOD::ForceLODPagedLOD* tileLOD() const;
  // Absolute path of the tile's current file (it changes when a tile is re-pointed); empty for
  // other items.
  QString tileFilePath() const;
  // The tile's folder (absolute); empty for other items.
  QString tileRootPath() const;
  // The tile root: the loaded child 0 of the tile's paged LOD, or else read from the tile's
  // current file. Null when neither yields a MatrixTransform.
  osg::ref_ptr<osg::MatrixTransform> tileRoot() const;

  // "EditState" of the tile root, -1 when the root carries none. False with kEditStateError
  // when the root cannot be retrieved.
  bool editState(int& state, QString& error) const;
  // "VEXALODVersion" of the tile root, -1 when the root carries none. False with
  // kLODVersionError when the root cannot be retrieved.
  bool lodVersion(int& version, QString& error) const;
  // "MinXYZ", "MaxXYZ" (tile coordinates) and "OffsetXYZ" (world offset) of the tile root,
  // read from the tile's file when the root is not paged in and the values are not known yet.
  bool tileBounds(osg::Vec3d& minXYZ, osg::Vec3d& maxXYZ, osg::Vec3d& offset) const;
  // Without reading: from the paged-in tile root or values given for the tile's current file.
  bool knownTileBounds(TileBounds& bounds) const;
  // A tile whose bounds cannot be known without reading its file.
  bool needsTileBounds() const;
  void setTileBounds(const QString& file, const TileBounds& bounds);

  // World z range without reading files: a tile's known bounds; for other items the bounds
  // measured when the file was loaded, else the node's bounding sphere. False when none is known.
  bool heightRange(double& minZ, double& maxZ) const;
  void setLoadedBounds(const osg::BoundingBoxd& bounds) { loadedBounds_ = bounds; }

 private:
  osg::ref_ptr<osg::Node> node_;
  int type_;
  ItemSource source_;
  int id_ = -1;
  osg::BoundingBoxd loadedBounds_;
  // Values read from a tile file on disk, valid while the tile points at that file.
  mutable QString cachedBoundsFile_;
  mutable TileBounds cachedBounds_;
};

}  // namespace MeshTree
