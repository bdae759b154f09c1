#pragma once

// Height tiles on disk (see vx/HeightGrid.h): opened and located once, for the whole-tile reader and
// for the DSM mosaic that reads parts of many tiles.

#include <gdal_priv.h>

#include <string>

namespace vx {
namespace detail {

// Where a height tile lies, read from its header alone.
struct HeightTileExtent {
  std::string path;
  double west = 0;
  double north = 0;
  double cell = 1;
  int columns = 0;
  int rows = 0;
  double east() const { return west + columns * cell; }
  double south() const { return north - rows * cell; }
};

// Opens a height tile, a single-band GeoTIFF. Throws InputError naming the file.
GDALDatasetUniquePtr openHeightTile(const std::string& utf8Path);
// Where an opened height tile lies. Throws InputError naming the file unless it is georeferenced
// north-up with square cells.
HeightTileExtent extentOf(GDALDataset& dataset, const std::string& utf8Path);
// The same from the tile's header alone.
HeightTileExtent readHeightTileExtent(const std::string& utf8Path);

}  // namespace detail
}  // namespace vx
