#pragma once

// A written tile read back whole: its root and the files of its finer levels, for the modules
// that give existing tiles a new texture.

#include <string>
#include <vector>

#include <osg/Image>

#include "vx/HeightGrid.h"
#include "vx/MeshTiles.h"

namespace vx {
namespace detail {

struct ReadTile {
  tiles::TileNodes nodes;  // root, level files (names relative to the tile folder), bounds, offset
  int levels = 1;
  std::string folder;      // UTF-8
};

// Reads the root file and every file its PagedLODs name, level by level. Throws vx::FileError
// naming the file that is missing or cannot be read, or a level file whose name is not of the
// tile layout.
ReadTile readTile(const std::string& utf8RootFile);

// The heights of the tile's finest level on a grid of `cells` x `cells` over its square of side
// `side` (tile coordinates, x east and y north from its south-west corner; rows from the north, as a
// height raster): per cell the highest surface over its centre, NaN where none is.
HeightGrid finestSurface(const ReadTile& tile, double side, int cells);

// Raises every cell of `grid` (world coordinates) to the tile's finest surface over its centre,
// where that is higher than the cell's height (or the cell has none).
void addFinestSurface(const ReadTile& tile, HeightGrid& grid);

// Gives every file of the tile its part of `texture` (RGB, square, row 0 at the southern edge) and
// texture coordinates running over that part, keeping its geometry.
void applyTexture(ReadTile& tile, const osg::Image& texture, double side);

}  // namespace detail
}  // namespace vx
