#pragma once

#include <string>
#include <vector>

#include <osg/MatrixTransform>
#include <osg/Node>
#include <osg/ref_ptr>

#include "demo/TexturePainter.h"
#include "demo/TerrainModel.h"
#include "demo/TileLayout.h"

namespace demo {

struct TileFile {
  std::string name;  // relative to the tile folder
  osg::ref_ptr<osg::Node> node;
};

// One tile in memory: the root (MatrixTransform with the tile offset and the user values
// "MinXYZ" and "MaxXYZ" as osg::Vec3 in tile coordinates, "OffsetXYZ" as osg::Vec3d, and
// "VEXALODVersion" as int) and the files of its finer levels.
struct TileNodes {
  osg::ref_ptr<osg::MatrixTransform> root;
  std::vector<TileFile> levelFiles;
  osg::Vec3 minXYZ;
  osg::Vec3 maxXYZ;
  osg::Vec3d offset;
  // The tile's finest painted texture, row 0 at the southern edge; the files' textures are cut from it.
  osg::ref_ptr<osg::Image> texture;
};

// Builds the triangulated, textured level-of-detail tree of one tile from the terrain: a regular
// grid over the surface heights, normals from the height field (continuous across tile borders),
// and per file one texture cut from the tile's finest painted texture.
class TileMeshBuilder {
 public:
  TileMeshBuilder(const TerrainModel& terrain, const TexturePainter& painter, const MeshLayout& layout);

  TileNodes build(int x, int y, int lodVersion) const;

 private:
  const TerrainModel& terrain_;
  const TexturePainter& painter_;
  MeshLayout layout_;
};

void setLodVersion(osg::Node& tileRoot, int lodVersion);

}  // namespace demo
