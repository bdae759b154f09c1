#include "Gdal.h"

#include <mutex>
#include <system_error>

#include "FileUtil.h"
#include "vx/AtomicFile.h"

namespace vx {
namespace detail {

void registerGdalDrivers() {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
}

void writeGeoTiff(const std::string& utf8Path, const RasterLayout& raster) {
  registerGdalDrivers();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  if (!driver) throw FileError("Cannot write " + utf8Path + ": GDAL has no GeoTIFF driver.");
  const std::string temporary = utf8Path + ".tmp";
  QuietGdalErrors quiet;
  CPLErrorReset();
  bool written = false;
  {
    const char* options[] = {"COMPRESS=DEFLATE", "TILED=YES", nullptr};
    GDALDatasetUniquePtr dataset(driver->Create(temporary.c_str(), raster.width, raster.height, raster.bands,
                                                raster.type, const_cast<char**>(options)));
    written = dataset != nullptr;
    const bool georeferenced = raster.geoTransform != std::array<double, 6>{};
    if (written && georeferenced)
      written = dataset->SetGeoTransform(const_cast<double*>(raster.geoTransform.data())) == CE_None;
    if (written && !raster.wkt.empty()) written = dataset->SetProjection(raster.wkt.c_str()) == CE_None;
    for (int band = 1; written && band <= raster.bands; ++band) {
      if (raster.hasNoData) written = dataset->GetRasterBand(band)->SetNoDataValue(raster.noData) == CE_None;
    }
    if (written) {
      written = dataset->RasterIO(GF_Write, 0, 0, raster.width, raster.height, const_cast<void*>(raster.data),
                                  raster.width, raster.height, raster.type, raster.bands, nullptr, 0, 0, 0,
                                  nullptr) == CE_None;
    }
  }  // closing the data set flushes it; a failure there shows in CPLGetLastErrorType
  std::error_code error;
  if (written && CPLGetLastErrorType() < CE_Failure) {
    fs::rename(pathFromUtf8(temporary), pathFromUtf8(utf8Path), error);
    if (!error) return;
  }
  const std::string reason = error ? error.message() : std::string(CPLGetLastErrorMsg());
  std::error_code ignored;
  fs::remove(pathFromUtf8(temporary), ignored);
  throw FileError("Cannot write " + utf8Path + ": " + (reason.empty() ? "the disk may be full" : reason) + ".");
}

}  // namespace detail
}  // namespace vx
