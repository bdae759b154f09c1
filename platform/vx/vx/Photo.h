#pragma once

// Photos as the modules read them: through GDAL (JPEG, PNG or TIFF with one grey or three or more
// colour bands of bytes), decoded to 8-bit RGB.

#include <cstdint>
#include <string>
#include <vector>

namespace vx {

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

// Larger photos are refused before their pixels are read: 256 megapixels, 768 MiB decoded.
constexpr long long kMaxPhotoPixels = 1LL << 28;

// The header only. Both throw vx::FileError naming the file when it is missing, not a regular
// file, no photo GDAL can decode, or larger than kMaxPhotoPixels.
PhotoSize readPhotoSize(const std::string& utf8Path);
Photo readPhoto(const std::string& utf8Path);

}  // namespace vx
