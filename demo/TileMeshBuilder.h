#pragma once

#include <osg/Image>
#include <osg/ref_ptr>

#include "demo/TexturePainter.h"
#include "demo/TerrainModel.h"
#include "demo/TileLayout.h"
#include "vx/MeshTiles.h"

namespace demo {

// One tile of the true surface in memory, in the tile layout of the processing core
// (vx/MeshTiles.h), with the texture its files' textures are cut from.
struct TileNodes : vx::tiles::TileNodes {
  // The tile's finest painted texture, row 0 at the southern edge.
  osg::ref_ptr<osg::Image> texture;
};

// Builds the textured level-of-detail tree of one tile of the terrain: the surface heights on the
// finest grid (normals continuous across tile borders) and the painted texture.
class TileMeshBuilder {
 public:
  TileMeshBuilder(const TerrainModel& terrain, const TexturePainter& painter, const MeshLayout& layout);

  TileNodes build(int x, int y, int lodVersion) const;

 private:
  const TerrainModel& terrain_;
  const TexturePainter& painter_;
  MeshLayout layout_;
};

}  // namespace demo
