#pragma once

// The DSM's gridding: the 3D input points of one tile become its height raster. Each cell takes
// the median height of its points (dense matching noise is symmetric, and a median ignores the
// odd outlier); a cell without points takes the lowest height among the nearest known cells
// around it, since holes in a dense matching are mostly occlusion shadows on the ground beside
// buildings; correction polygons replace the heights inside them by their plane.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "vx/HeightGrid.h"
#include "vx/Las.h"

namespace vx {
namespace dsm {

struct Polygon {
  std::vector<std::array<double, 3>> ring;  // corners, not repeating the first

  bool contains(double x, double y) const;
  // z = a x + b y + c through the corners by least squares: {a, b, c}; a level plane through their
  // mean height when they are (nearly) on one line.
  std::array<double, 3> plane() const;
};

// The PolygonZ features of a correction shapefile (outer rings). Throws vx::FileError naming the
// file when it is missing, no shapefile, or holds other geometry than polygons with heights.
std::vector<Polygon> readCorrectionPolygons(const std::string& utf8Path);

// Lays the cells whose centres lie inside a correction polygon on the polygon's plane.
void flatten(HeightGrid& grid, const std::vector<Polygon>& corrections);

class TileGridder {
 public:
  // `cells` fixes the tile's extent and cell size; its heights are ignored.
  explicit TileGridder(HeightGrid cells);

  // Points outside the tile are ignored.
  void add(const std::vector<las::Point>& points);
  std::size_t pointCount() const { return samples_.size(); }
  // The tile's heights. Holes wider than `maxGap` cells in every direction stay unknown (NaN).
  HeightGrid finish(const std::vector<Polygon>& corrections, int maxGap = 64);

 private:
  HeightGrid grid_;
  std::vector<std::pair<std::uint32_t, float>> samples_;  // cell index, height
};

}  // namespace dsm
}  // namespace vx
