#pragma once

// Photos read through GDAL, decoded to 8-bit RGB and kept while they fit a memory budget, so that
// the photos of a large project pass through memory a few at a time.

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vx {
namespace detail {

struct Photo {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // pixel-interleaved, rows from the top

  // Bilinear, with (u, v) = (0, 0) the top-left corner of the top-left pixel; clamped at the edges.
  void sample(double u, double v, std::uint8_t out[3]) const;
};

struct PhotoSize {
  int width = 0;
  int height = 0;
};

// Reads the photo's header only. Throws vx::FileError naming the file when it is missing or no
// photo GDAL can decode (JPEG, PNG or TIFF with one grey or three or more colour bands of bytes).
PhotoSize readPhotoSize(const std::string& utf8Path);

class PhotoCache {
 public:
  explicit PhotoCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

  // The decoded photo; the least recently used ones are dropped once the budget is exceeded. Throws
  // vx::FileError naming the file.
  std::shared_ptr<const Photo> get(const std::string& utf8Path);

 private:
  struct Entry {
    std::string path;
    std::shared_ptr<const Photo> photo;
  };
  std::size_t budget_;
  std::size_t used_ = 0;
  std::list<Entry> entries_;  // most recently used first
  std::mutex mutex_;          // the tiles of a run may ask from several threads
};

}  // namespace detail
}  // namespace vx
