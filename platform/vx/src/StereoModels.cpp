#include "vx/StereoModels.h"

#include <stdexcept>
#include <system_error>

#include "FileUtil.h"
#include "Gdal.h"

namespace vx {

using namespace detail;

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
  RasterLayout raster;
  raster.width = raster.height = count_;
  raster.data = matrix_.data();
  writeGeoTiff(path, raster);
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
