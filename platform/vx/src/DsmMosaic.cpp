#include "DsmMosaic.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "FileUtil.h"
#include "Gdal.h"
#include "vx/AtomicFile.h"

namespace vx {
namespace detail {

void DsmMosaic::fill(HeightGrid& window) const {
  std::fill(window.heights.begin(), window.heights.end(), NAN);
  const double windowEast = window.west + window.columns * window.cell;
  const double windowSouth = window.north - window.rows * window.cell;
  std::vector<float> block;
  for (const HeightTileExtent& tile : tiles_) {
    if (tile.east() <= window.west || tile.west >= windowEast || tile.north <= windowSouth ||
        tile.south() >= window.north)
      continue;
    // The window's cells whose centres lie on the tile, and the tile's cells under them.
    const auto firstCentre = [&](double offset) { return std::max(0, int(std::ceil(offset / window.cell - 0.5))); };
    const int c0 = firstCentre(tile.west - window.west);
    const int r0 = firstCentre(window.north - tile.north);
    const int c1 = std::min(window.columns, int(std::ceil((tile.east() - window.west) / window.cell - 0.5)));
    const int r1 = std::min(window.rows, int(std::ceil((window.north - tile.south()) / window.cell - 0.5)));
    if (c0 >= c1 || r0 >= r1) continue;
    const auto sourceColumn = [&](int c) {
      return std::clamp(int(std::floor((window.centreX(c) - tile.west) / tile.cell)), 0, tile.columns - 1);
    };
    const auto sourceRow = [&](int r) {
      return std::clamp(int(std::floor((tile.north - window.centreY(r)) / tile.cell)), 0, tile.rows - 1);
    };
    const int sx0 = sourceColumn(c0), sx1 = sourceColumn(c1 - 1) + 1;
    const int sy0 = sourceRow(r0), sy1 = sourceRow(r1 - 1) + 1;
    const GDALDatasetUniquePtr dataset = openHeightTile(tile.path);
    if (dataset->GetRasterXSize() != tile.columns || dataset->GetRasterYSize() != tile.rows)
      throw InputError("The height tile " + tile.path + " changed while it was read.");
    GDALRasterBand* band = dataset->GetRasterBand(1);
    const int width = sx1 - sx0, height = sy1 - sy0;
    block.assign(std::size_t(width) * std::size_t(height), NAN);
    QuietGdalErrors quiet;
    if (band->RasterIO(GF_Read, sx0, sy0, width, height, block.data(), width, height, GDT_Float32, 0, 0) != CE_None)
      throw InputError("The height tile " + tile.path + " cannot be read (" + CPLGetLastErrorMsg() + ").");
    int hasNoData = 0;
    const double noData = band->GetNoDataValue(&hasNoData);
    for (int r = r0; r < r1; ++r) {
      const int sy = sourceRow(r) - sy0;
      for (int c = c0; c < c1; ++c) {
        float& target = window.at(c, r);
        if (!std::isnan(target)) continue;
        const float h = block[std::size_t(sy) * std::size_t(width) + std::size_t(sourceColumn(c) - sx0)];
        if (std::isfinite(h) && !(hasNoData && h == float(noData))) target = h;
      }
    }
  }
}

}  // namespace detail
}  // namespace vx
