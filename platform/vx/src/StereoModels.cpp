#include "vx/StereoModels.h"

#include <gdal_priv.h>

#include <mutex>
#include <stdexcept>
#include <system_error>

#include "FileUtil.h"

namespace vx {

namespace {

using namespace detail;

void registerGdalDrivers() {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
}

// Keeps GDAL's messages about unreadable files off stderr: the caller reports the failure itself.
struct QuietGdalErrors {
  QuietGdalErrors() { CPLPushErrorHandler(CPLQuietErrorHandler); }
  ~QuietGdalErrors() { CPLPopErrorHandler(); }
};

}  // namespace

StereoModels::StereoModels(int imageCount)
    : count_(imageCount > 0 ? imageCount : 0),
      matrix_(static_cast<size_t>(count_) * static_cast<size_t>(count_), 0) {}

bool StereoModels::loadTopology(const std::string& path) {
  count_ = 0;
  matrix_.clear();
  registerGdalDrivers();
  QuietGdalErrors quiet;
  std::error_code error;
  if (!fs::is_regular_file(pathFromUtf8(path), error)) return false;
  GDALDatasetUniquePtr dataset(
      GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  if (!dataset || dataset->GetRasterCount() != 1) return false;
  GDALRasterBand* band = dataset->GetRasterBand(1);
  const int n = dataset->GetRasterXSize();
  if (band->GetRasterDataType() != GDT_Byte || n <= 0 || n != dataset->GetRasterYSize()) return false;
  std::vector<unsigned char> matrix(static_cast<size_t>(n) * static_cast<size_t>(n));
  if (band->RasterIO(GF_Read, 0, 0, n, n, matrix.data(), n, n, GDT_Byte, 0, 0) != CE_None) return false;
  count_ = n;
  matrix_ = std::move(matrix);
  return true;
}

void StereoModels::saveTopology(const std::string& path) const {
  if (count_ == 0) throw std::runtime_error("Cannot write " + path + ": the topology is empty.");
  registerGdalDrivers();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  if (!driver) throw std::runtime_error("Cannot write " + path + ": no TIFF driver.");
  const std::string temporary = path + ".tmp";
  QuietGdalErrors quiet;
  CPLErrorReset();
  bool written = false;
  {
    char* options[] = {const_cast<char*>("COMPRESS=DEFLATE"), nullptr};
    GDALDatasetUniquePtr dataset(
        driver->Create(temporary.c_str(), count_, count_, 1, GDT_Byte, options));
    written = dataset && dataset->GetRasterBand(1)->RasterIO(
                             GF_Write, 0, 0, count_, count_, const_cast<unsigned char*>(matrix_.data()),
                             count_, count_, GDT_Byte, 0, 0) == CE_None;
  }  // closing the data set flushes it; a failure there shows in CPLGetLastErrorType
  std::error_code error;
  if (written && CPLGetLastErrorType() < CE_Failure) {
    fs::rename(pathFromUtf8(temporary), pathFromUtf8(path), error);
    if (!error) return;
  }
  const std::string reason = error ? error.message() : CPLGetLastErrorMsg();
  std::error_code ignored;
  fs::remove(pathFromUtf8(temporary), ignored);
  throw std::runtime_error("Cannot write " + path + ": " + reason);
}

void StereoModels::setPair(int i, int j, bool paired) {
  if (i < 0 || j < 0 || i >= count_ || j >= count_) {
    throw std::out_of_range("StereoModels::setPair: image index out of range");
  }
  const unsigned char value = paired ? 1 : 0;
  matrix_[static_cast<size_t>(i) * count_ + j] = value;
  matrix_[static_cast<size_t>(j) * count_ + i] = value;
}

bool StereoModels::isPair(int i, int j) const {
  if (i < 0 || j < 0 || i >= count_ || j >= count_ || i == j) return false;
  // Either triangle counts, so a topology written by another tool as one triangle still works.
  return matrix_[static_cast<size_t>(i) * count_ + j] > 0 ||
         matrix_[static_cast<size_t>(j) * count_ + i] > 0;
}

std::vector<int> StereoModels::partners(int i) const {
  std::vector<int> result;
  for (int j = 0; j < count_; ++j) {
    if (isPair(i, j)) result.push_back(j);
  }
  return result;
}

}  // namespace vx
