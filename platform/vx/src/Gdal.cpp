#include "Gdal.h"

#include <atomic>
#include <mutex>
#include <string_view>

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
