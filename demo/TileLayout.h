#pragma once

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
  osg::Vec3d tileOffset(int x, int y) const;
};

// World position of the demo area's south-west corner (a projected, UTM-like frame).
osg::Vec3d demoOrigin();

}  // namespace demo
