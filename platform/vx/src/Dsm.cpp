#include "vx/Dsm.h"

#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <system_error>

#include "FileUtil.h"
#include "Gdal.h"
#include "vx/AtomicFile.h"

namespace vx {
namespace dsm {

namespace {

using namespace detail;

// The first known cell in each of the eight directions, at most `reach` cells away; of those not
// much farther than the nearest, the lowest height. A hole beside a wall thus takes the ground on
// its open sides, and not ground far off across a wide hole, which may lie lower. NaN when no
// direction reaches a known cell.
float lowestNearby(const HeightGrid& grid, int column, int row, int reach) {
  static const int kDirections[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
  std::pair<double, float> found[8];
  int count = 0;
  double nearest = std::numeric_limits<double>::max();
  for (const auto& d : kDirections) {
    for (int step = 1; step <= reach; ++step) {
      const int c = column + d[0] * step, r = row + d[1] * step;
      if (c < 0 || r < 0 || c >= grid.columns || r >= grid.rows) break;
      const float h = grid.at(c, r);
      if (std::isnan(h)) continue;
      const double distance = step * (d[0] != 0 && d[1] != 0 ? std::sqrt(2.0) : 1.0);
      found[count++] = {distance, h};
      nearest = std::min(nearest, distance);
      break;
    }
  }
  float lowest = NAN;
  for (int i = 0; i < count; ++i)
    if (found[i].first <= 2 * nearest + 1 && (std::isnan(lowest) || found[i].second < lowest)) lowest = found[i].second;
  return lowest;
}

}  // namespace

bool Polygon::contains(double x, double y) const {
  bool inside = false;
  for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
    const auto& a = ring[i];
    const auto& b = ring[j];
    if ((a[1] > y) != (b[1] > y) && x < (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]) + a[0]) inside = !inside;
  }
  return inside;
}

std::array<double, 3> Polygon::plane() const {
  // Centred coordinates keep the normal equations well conditioned at projected coordinates.
  double mx = 0, my = 0, mz = 0;
  for (const auto& p : ring) {
    mx += p[0];
    my += p[1];
    mz += p[2];
  }
  const double n = double(ring.size());
  mx /= n;
  my /= n;
  mz /= n;
  double sxx = 0, sxy = 0, syy = 0, sxz = 0, syz = 0;
  for (const auto& p : ring) {
    const double x = p[0] - mx, y = p[1] - my, z = p[2] - mz;
    sxx += x * x;
    sxy += x * y;
    syy += y * y;
    sxz += x * z;
    syz += y * z;
  }
  const double det = sxx * syy - sxy * sxy;
  if (std::abs(det) <= 1e-9 * std::max(1.0, sxx * syy)) return {0, 0, mz};
  const double a = (sxz * syy - syz * sxy) / det;
  const double b = (syz * sxx - sxz * sxy) / det;
  return {a, b, mz - a * mx - b * my};
}

std::vector<Polygon> readCorrectionPolygons(const std::string& utf8Path) {
  const std::string name = "The correction shapefile " + utf8Path;
  std::error_code error;
  if (!fs::is_regular_file(pathFromUtf8(utf8Path), error)) throw FileError(name + " does not exist or is no file.");
  registerGdalDrivers();
  QuietGdalErrors quiet;
  const char* const shapefileOnly[] = {"ESRI Shapefile", nullptr};
  GDALDatasetUniquePtr dataset(
      GDALDataset::Open(utf8Path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, shapefileOnly, nullptr, nullptr));
  OGRLayer* layer = dataset && dataset->GetLayerCount() > 0 ? dataset->GetLayer(0) : nullptr;
  if (!layer) throw FileError(name + " cannot be read as a shapefile.");
  const OGRwkbGeometryType type = layer->GetGeomType();
  if (wkbFlatten(type) != wkbPolygon || !OGR_GT_HasZ(type))
    throw FileError(name + " holds " + OGRGeometryTypeToName(type) +
                    " geometry; corrections must be polygons with heights (PolygonZ).");
  std::vector<Polygon> polygons;
  for (auto& feature : *layer) {
    const OGRGeometry* geometry = feature->GetGeometryRef();
    if (!geometry || wkbFlatten(geometry->getGeometryType()) != wkbPolygon) continue;
    const OGRLinearRing* ring = geometry->toPolygon()->getExteriorRing();
    if (!ring || ring->getNumPoints() < 4) continue;
    Polygon polygon;
    for (int i = 0; i + 1 < ring->getNumPoints(); ++i) {
      const double corner[3] = {ring->getX(i), ring->getY(i), ring->getZ(i)};
      if (!std::isfinite(corner[0]) || !std::isfinite(corner[1]) || !std::isfinite(corner[2]))
        throw FileError(name + " has a polygon corner that is no number.");
      polygon.ring.push_back({corner[0], corner[1], corner[2]});
    }
    polygons.push_back(std::move(polygon));
  }
  return polygons;
}

TileGridder::TileGridder(HeightGrid cells) : grid_(std::move(cells)) {
  std::fill(grid_.heights.begin(), grid_.heights.end(), NAN);
}

void TileGridder::add(const std::vector<las::Point>& points) {
  int column = 0, row = 0;
  for (const las::Point& p : points) {
    if (!std::isfinite(p.z) || !grid_.cellOf(p.x, p.y, column, row)) continue;
    samples_.emplace_back(std::uint32_t(std::size_t(row) * std::size_t(grid_.columns) + std::size_t(column)),
                          float(p.z));
  }
}

HeightGrid TileGridder::finish(const std::vector<Polygon>& corrections, int maxGap) {
  std::sort(samples_.begin(), samples_.end());
  std::vector<float> run;
  for (std::size_t begin = 0; begin < samples_.size();) {
    std::size_t end = begin;
    run.clear();
    while (end < samples_.size() && samples_[end].first == samples_[begin].first) run.push_back(samples_[end++].second);
    const std::size_t middle = run.size() / 2;
    std::nth_element(run.begin(), run.begin() + std::ptrdiff_t(middle), run.end());
    float median = run[middle];
    if (run.size() % 2 == 0) median = 0.5f * (median + *std::max_element(run.begin(), run.begin() + std::ptrdiff_t(middle)));
    grid_.heights[samples_[begin].first] = median;
    begin = end;
  }
  samples_.clear();
  samples_.shrink_to_fit();

  // Holes are filled from the measured cells only, not from cells filled before them.
  const HeightGrid measured = grid_;
  for (int row = 0; row < grid_.rows; ++row)
    for (int column = 0; column < grid_.columns; ++column)
      if (std::isnan(measured.at(column, row))) grid_.at(column, row) = lowestNearby(measured, column, row, maxGap);

  flatten(grid_, corrections);
  return std::move(grid_);
}

void flatten(HeightGrid& grid, const std::vector<Polygon>& corrections) {
  for (const Polygon& polygon : corrections) {
    if (polygon.ring.size() < 3) continue;
    const std::array<double, 3> plane = polygon.plane();
    for (int row = 0; row < grid.rows; ++row) {
      const double y = grid.centreY(row);
      for (int column = 0; column < grid.columns; ++column) {
        const double x = grid.centreX(column);
        if (polygon.contains(x, y)) grid.at(column, row) = float(plane[0] * x + plane[1] * y + plane[2]);
      }
    }
  }
}

}  // namespace dsm
}  // namespace vx
