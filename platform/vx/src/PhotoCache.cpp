#include "PhotoCache.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "FileUtil.h"
#include "Gdal.h"
#include "vx/AtomicFile.h"

namespace vx {

namespace {

using namespace detail;

struct OpenedPhoto {
  GDALDatasetUniquePtr dataset;
  int bandMap[3] = {1, 2, 3};
};

OpenedPhoto openPhoto(const std::string& utf8Path) {
  const std::string name = "The photo " + utf8Path;
  const char* const photoDrivers[] = {"JPEG", "PNG", "GTiff", nullptr};
  OpenedPhoto opened;
  opened.dataset = openRaster(utf8Path, "The photo", photoDrivers, "cannot be decoded");
  const int bands = opened.dataset->GetRasterCount();
  if (bands != 1 && bands < 3) throw InputError(name + " has " + std::to_string(bands) + " bands; a photo has 1 or 3.");
  for (int b = 1; b <= std::min(bands, 3); ++b)
    if (opened.dataset->GetRasterBand(b)->GetRasterDataType() != GDT_Byte)
      throw InputError(name + " is no 8-bit photo.");
  if (bands == 1) std::fill(std::begin(opened.bandMap), std::end(opened.bandMap), 1);
  const long long pixels = (long long)opened.dataset->GetRasterXSize() * opened.dataset->GetRasterYSize();
  if (pixels > kMaxPhotoPixels)
    throw InputError(name + " has " + std::to_string(pixels) + " pixels, more than a photo can have (" +
                    std::to_string(kMaxPhotoPixels) + "); it was not read.");
  return opened;
}

}  // namespace

void Photo::sample(double u, double v, std::uint8_t out[3]) const {
  // Pixel (i, j) shows what lies at (i + 0.5, j + 0.5).
  const double x = std::clamp(u - 0.5, 0.0, double(width - 1));
  const double y = std::clamp(v - 0.5, 0.0, double(height - 1));
  const int x0 = std::min(int(x), width - 1), y0 = std::min(int(y), height - 1);
  const int x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
  const double fx = x - x0, fy = y - y0;
  const auto at = [&](int px, int py, int channel) {
    return double(rgb[(std::size_t(py) * std::size_t(width) + std::size_t(px)) * 3 + std::size_t(channel)]);
  };
  for (int channel = 0; channel < 3; ++channel) {
    const double top = at(x0, y0, channel) * (1 - fx) + at(x1, y0, channel) * fx;
    const double bottom = at(x0, y1, channel) * (1 - fx) + at(x1, y1, channel) * fx;
    out[channel] = std::uint8_t(std::lround(top * (1 - fy) + bottom * fy));
  }
}

PhotoSize readPhotoSize(const std::string& utf8Path) {
  const OpenedPhoto opened = openPhoto(utf8Path);
  return {opened.dataset->GetRasterXSize(), opened.dataset->GetRasterYSize()};
}

Photo readPhoto(const std::string& utf8Path) {
  const OpenedPhoto opened = openPhoto(utf8Path);
  Photo photo;
  photo.width = opened.dataset->GetRasterXSize();
  photo.height = opened.dataset->GetRasterYSize();
  photo.rgb.resize(std::size_t(photo.width) * std::size_t(photo.height) * 3);
  {
    QuietGdalErrors quiet;
    CPLErrorReset();
    const int stride = 3 * photo.width;
    if (opened.dataset->RasterIO(GF_Read, 0, 0, photo.width, photo.height, photo.rgb.data(), photo.width,
                                 photo.height, GDT_Byte, 3, const_cast<int*>(opened.bandMap), 3, stride, 1,
                                 nullptr) != CE_None ||
        CPLGetLastErrorType() >= CE_Failure)
      throw InputError("The photo " + utf8Path + " cannot be decoded (" + CPLGetLastErrorMsg() + ").");
  }
  return photo;
}

namespace detail {

std::shared_ptr<const Photo> PhotoCache::get(const std::string& utf8Path) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto cached =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.path == utf8Path; });
  if (cached != entries_.end()) {
    entries_.splice(entries_.begin(), entries_, cached);
    return entries_.front().photo;
  }
  auto photo = std::make_shared<const Photo>(readPhoto(utf8Path));
  used_ += photo->rgb.size();
  entries_.push_front({utf8Path, photo});
  while (used_ > budget_ && entries_.size() > 1) {
    used_ -= entries_.back().photo->rgb.size();
    entries_.pop_back();
  }
  return photo;
}

}  // namespace detail
}  // namespace vx
