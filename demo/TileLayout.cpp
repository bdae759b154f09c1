#include "demo/TileLayout.h"

#include <stdexcept>

namespace demo {

MeshLayout MeshLayout::fromOptions(const DemoOptions& options) {
  MeshLayout layout;
  layout.tiles = options.tiles;
  layout.levels = options.levels;
  layout.tileSize = options.tileSize;
  layout.finestGridCells = options.finestGridCells;
  layout.textureSize = options.textureSize;
  layout.origin = demoOrigin();
  return layout;
}

void MeshLayout::validate() const {
  if (tiles < 1 || tiles > 256)
    throw std::runtime_error("The number of tiles per side must lie between 1 and 256, not " + std::to_string(tiles) + ".");
  if (levels < 1 || levels > 8)
    throw std::runtime_error("The number of levels of detail must lie between 1 and 8, not " + std::to_string(levels) + ".");
  if (!(tileSize >= 1.0 && tileSize <= 10000.0))
    throw std::runtime_error("The tile size must lie between 1 and 10000 metres, not " + std::to_string(tileSize) + ".");
  const int split = 1 << (levels - 1);
  if (finestGridCells < split || finestGridCells % split != 0 || finestGridCells > 1024)
    throw std::runtime_error("The finest grid (" + std::to_string(finestGridCells) +
                             " cells per tile side) must be a multiple of " + std::to_string(split) +
                             " for " + std::to_string(levels) + " levels of detail, at most 1024.");
  if (textureSize < split || textureSize % split != 0 || textureSize > 8192)
    throw std::runtime_error("The texture size (" + std::to_string(textureSize) + " pixels per tile side) must be a multiple of " +
                             std::to_string(split) + " for " + std::to_string(levels) + " levels of detail, at most 8192.");
}

osg::Vec3d MeshLayout::tileOffset(int x, int y) const {
  return origin + osg::Vec3d(x * tileSize, y * tileSize, 0.0);
}

osg::Vec3d demoOrigin() { return osg::Vec3d(482000.0, 5361000.0, 0.0); }

}  // namespace demo
