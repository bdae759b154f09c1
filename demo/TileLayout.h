#pragma once

#include <string>

#include <osg/Vec3d>

#include "demo/DemoProject.h"

namespace demo {

// Geometry of a tiled mesh: N x N square tiles with K levels of detail each.
//
// Level 0 (coarsest) lies in the tile root file; level L >= 1 splits the tile into 2^L x 2^L quads
// and is stored in 4^(L-1) files, each holding the four level-L quads of one level-(L-1) quad.
// Every quad has the same grid and texture resolution, so files stay small and equal in size.
struct MeshLayout {
  int tiles = 4;
  int levels = 3;
  double tileSize = 100.0;
  int finestGridCells = 64;
  int textureSize = 256;
  osg::Vec3d origin;  // world position of the mesh area's south-west corner

  static MeshLayout fromOptions(const DemoOptions& options);
  // Throws std::runtime_error naming the first unusable value.
  void validate() const;

  double extent() const { return tiles * tileSize; }
  // Grid cells and texture pixels along one side of a quad, at every level.
  int quadCells() const { return finestGridCells >> (levels - 1); }
  int quadTexels() const { return textureSize >> (levels - 1); }
  // Projected diameter in pixels above which a quad is replaced by its four finer quads: the
  // quad's texels then cover about 1.4 screen pixels each.
  float switchPixels() const { return 2.0f * static_cast<float>(quadTexels()); }
  osg::Vec3d tileOffset(int x, int y) const;
};

// World position of the demo area's south-west corner (a projected, UTM-like frame).
osg::Vec3d demoOrigin();

std::string tileName(int x, int y);      // "Tile_<x>_<y>"
std::string tileFileName(int x, int y);  // "Tile_<x>_<y>.osgb", the tile root
// "Tile_<x>_<y>_L<level>_<index>.osgb": the level-`level` quads below level-(level-1) quad
// (qx, qy), index = qy * 2^(level-1) + qx.
std::string levelFileName(int x, int y, int level, int index);
// Name of a tile root relative to the mesh folder, '/' separated: "Tile_<x>_<y>/Tile_<x>_<y>.osgb".
std::string tileReference(int x, int y);

}  // namespace demo
