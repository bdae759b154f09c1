#pragma once

// A height raster: the DSM's tiles. Stored as single-band Float32 GeoTIFF files with their
// georeferencing; cells without a height are NaN in memory and -9999 on disk.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace vx {

struct HeightGrid {
  static constexpr float kNoDataOnDisk = -9999.0f;

  // The outer corner of the first cell: rows go from north to south.
  double west = 0;
  double north = 0;
  double cell = 1;
  int columns = 0;
  int rows = 0;
  std::vector<float> heights;  // row by row; NaN where unknown

  HeightGrid() = default;
  HeightGrid(double west, double north, double cell, int columns, int rows)
      : west(west), north(north), cell(cell), columns(columns), rows(rows),
        heights(std::size_t(columns) * std::size_t(rows), NAN) {}

  float& at(int column, int row) { return heights[std::size_t(row) * std::size_t(columns) + std::size_t(column)]; }
  float at(int column, int row) const {
    return heights[std::size_t(row) * std::size_t(columns) + std::size_t(column)];
  }
  double centreX(int column) const { return west + (column + 0.5) * cell; }
  double centreY(int row) const { return north - (row + 0.5) * cell; }
  // The cell holding (x, y); false outside the grid.
  bool cellOf(double x, double y, int& column, int& row) const;
};

// Atomically, with the coordinate system `wkt` (none when empty). Throws vx::FileError.
void writeHeightGrid(const std::string& utf8Path, const HeightGrid& grid, const std::string& wkt = {});
// Throws vx::FileError naming the file when it is missing, no single-band raster, not north-up,
// or larger than a DSM tile can be (refused before its cells are read).
HeightGrid readHeightGrid(const std::string& utf8Path);

}  // namespace vx
