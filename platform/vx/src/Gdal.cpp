#include "Gdal.h"

#include <atomic>
#include <mutex>
#include <string_view>

#include "FileUtil.h"
#include "vx/AtomicFile.h"

namespace vx {
namespace detail {

void registerGdalDrivers() {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
}

GDALDatasetUniquePtr openRaster(const std::string& utf8Path, const std::string& description,
                                const char* const* drivers, const std::string& undecodable) {
  const std::string name = description + " " + utf8Path;
  std::error_code error;
  const fs::file_status status = fs::status(pathFromUtf8(utf8Path), error);
  if (error || !fs::exists(status)) throw InputError(name + " does not exist.");
  if (!fs::is_regular_file(status)) throw InputError(name + " is not a regular file.");
  registerGdalDrivers();
  QuietGdalErrors quiet;
  GDALDatasetUniquePtr dataset(GDALDataset::Open(utf8Path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, drivers));
  if (!dataset) throw InputError(name + " " + undecodable + " (" + CPLGetLastErrorMsg() + ").");
  return dataset;
}

void writeGeoTiff(const std::string& utf8Path, const RasterLayout& raster) {
  registerGdalDrivers();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  if (!driver) throw FileError("Cannot write " + utf8Path + ": GDAL has no GeoTIFF driver.");
  // Made in memory, then written by the one way files are replaced (vx::writeFileAtomically), so a
  // raster gets the same checked writes, flush to disk and rename as every other file.
  static std::atomic<unsigned> counter{0};
  const std::string memory = "/vsimem/vx_raster_" + std::to_string(++counter) + ".tif";
  QuietGdalErrors quiet;
  CPLErrorReset();
  bool made = false;
  {
    const char* options[] = {"COMPRESS=DEFLATE", "TILED=YES", nullptr};
    GDALDatasetUniquePtr dataset(driver->Create(memory.c_str(), raster.width, raster.height, raster.bands,
                                                raster.type, const_cast<char**>(options)));
    made = dataset != nullptr;
    const bool georeferenced = raster.geoTransform != std::array<double, 6>{};
    if (made && georeferenced) made = dataset->SetGeoTransform(const_cast<double*>(raster.geoTransform.data())) == CE_None;
    if (made && !raster.wkt.empty()) made = dataset->SetProjection(raster.wkt.c_str()) == CE_None;
    for (int band = 1; made && band <= raster.bands; ++band) {
      if (raster.hasNoData) made = dataset->GetRasterBand(band)->SetNoDataValue(raster.noData) == CE_None;
    }
    if (made && raster.alpha)
      made = dataset->GetRasterBand(raster.bands)->SetColorInterpretation(GCI_AlphaBand) == CE_None;
    if (made) {
      made = dataset->RasterIO(GF_Write, 0, 0, raster.width, raster.height, const_cast<void*>(raster.data),
                               raster.width, raster.height, raster.type, raster.bands, nullptr, 0, 0, 0,
                               nullptr) == CE_None;
    }
  }  // closing the data set completes the file; a failure there shows in CPLGetLastErrorType
  made = made && CPLGetLastErrorType() < CE_Failure;
  const std::string reason = CPLGetLastErrorMsg();
  vsi_l_offset length = 0;
  GByte* bytes = made ? VSIGetMemFileBuffer(memory.c_str(), &length, FALSE) : nullptr;
  struct Unlink {
    const std::string& path;
    ~Unlink() { VSIUnlink(path.c_str()); }
  } unlink{memory};
  if (!bytes) throw FileError("Cannot write " + utf8Path + ": " + (reason.empty() ? "the raster could not be made" : reason) + ".");
  vx::writeFileAtomically(utf8Path, std::string_view(reinterpret_cast<const char*>(bytes), std::size_t(length)));
}

}  // namespace detail
}  // namespace vx
