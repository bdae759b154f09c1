#include "vx/HeightGrid.h"

#include <algorithm>
#include <system_error>

#include "FileUtil.h"
#include "Gdal.h"
#include "HeightTileFile.h"
#include "vx/AtomicFile.h"

namespace vx {

namespace {

using namespace detail;

// A DSM tile of 1 km at 5 cm is 400 million cells; more is no tile of ours.
constexpr std::int64_t kMaxCells = std::int64_t(1) << 29;

}  // namespace

namespace detail {

GDALDatasetUniquePtr openHeightTile(const std::string& utf8Path) {
  const char* const tiffOnly[] = {"GTiff", nullptr};
  GDALDatasetUniquePtr dataset = openRaster(utf8Path, "The height tile", tiffOnly, "is no GeoTIFF file");
  if (dataset->GetRasterCount() != 1)
    throw InputError("The height tile " + utf8Path + " does not have exactly one band of heights.");
  return dataset;
}

HeightTileExtent extentOf(GDALDataset& dataset, const std::string& utf8Path) {
  double transform[6] = {};
  if (dataset.GetGeoTransform(transform) != CE_None || transform[2] != 0 || transform[4] != 0 ||
      !(transform[1] > 0) || std::abs(transform[1] + transform[5]) > 1e-9 * transform[1])
    throw InputError("The height tile " + utf8Path + " is not georeferenced north-up with square cells.");
  return {utf8Path, transform[0], transform[3], transform[1], dataset.GetRasterXSize(), dataset.GetRasterYSize()};
}

HeightTileExtent readHeightTileExtent(const std::string& utf8Path) {
  return extentOf(*openHeightTile(utf8Path), utf8Path);
}

}  // namespace detail

bool HeightGrid::cellOf(double x, double y, int& column, int& row) const {
  const double c = std::floor((x - west) / cell);
  const double r = std::floor((north - y) / cell);
  if (!(c >= 0 && c < columns && r >= 0 && r < rows)) return false;
  column = int(c);
  row = int(r);
  return true;
}

void writeHeightGrid(const std::string& utf8Path, const HeightGrid& grid, const std::string& wkt) {
  std::vector<float> onDisk(grid.heights);
  for (float& h : onDisk)
    if (std::isnan(h)) h = HeightGrid::kNoDataOnDisk;
  RasterLayout raster;
  raster.width = grid.columns;
  raster.height = grid.rows;
  raster.type = GDT_Float32;
  raster.data = onDisk.data();
  raster.geoTransform = {grid.west, grid.cell, 0, grid.north, 0, -grid.cell};
  raster.wkt = wkt;
  raster.hasNoData = true;
  raster.noData = HeightGrid::kNoDataOnDisk;
  writeGeoTiff(utf8Path, raster);
}

HeightGrid readHeightGrid(const std::string& utf8Path) {
  const std::string name = "The height tile " + utf8Path;
  const GDALDatasetUniquePtr dataset = openHeightTile(utf8Path);
  const HeightTileExtent extent = extentOf(*dataset, utf8Path);
  QuietGdalErrors quiet;
  const int columns = extent.columns, rows = extent.rows;
  if (columns <= 0 || rows <= 0 || std::int64_t(columns) * rows > kMaxCells)
    throw FileError(name + " has " + std::to_string(columns) + " x " + std::to_string(rows) +
                    " cells, more than a height tile can have.");
  HeightGrid grid(extent.west, extent.north, extent.cell, columns, rows);
  GDALRasterBand* band = dataset->GetRasterBand(1);
  if (band->RasterIO(GF_Read, 0, 0, columns, rows, grid.heights.data(), columns, rows, GDT_Float32, 0, 0) != CE_None)
    throw FileError(name + " cannot be read (" + CPLGetLastErrorMsg() + ").");
  int hasNoData = 0;
  const double noData = band->GetNoDataValue(&hasNoData);
  for (float& h : grid.heights)
    if (!std::isfinite(h) || (hasNoData && h == float(noData))) h = NAN;
  return grid;
}

}  // namespace vx
