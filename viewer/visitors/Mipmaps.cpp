#include "viewer/visitors/Mipmaps.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <osg/ImageStream>

namespace qvx {
namespace viewer {

namespace {

bool hasByteChannels(const osg::Image& image) {
  if (image.getDataType() != GL_UNSIGNED_BYTE) return false;
  switch (image.getPixelFormat()) {
    case GL_ALPHA:
    case GL_LUMINANCE:
    case GL_LUMINANCE_ALPHA:
    case GL_RGB:
    case GL_RGBA:
    case GL_BGR:
    case GL_BGRA:
      return true;
    default:
      return false;
  }
}

struct Level {
  int width;
  int height;
  unsigned int rowBytes;
  unsigned char* data;
};

// Each pixel of `to` is the rounded mean of the 2 x 2 block of `from` at twice its position;
// the last row or column of an odd-sized level stands in for the missing neighbour.
void reduce(const Level& from, const Level& to, unsigned int channels) {
  for (int y = 0; y < to.height; ++y) {
    const unsigned char* row0 = from.data + static_cast<std::size_t>(2 * y) * from.rowBytes;
    const unsigned char* row1 = from.data + static_cast<std::size_t>(std::min(2 * y + 1, from.height - 1)) * from.rowBytes;
    unsigned char* out = to.data + static_cast<std::size_t>(y) * to.rowBytes;
    for (int x = 0; x < to.width; ++x) {
      const std::size_t left = static_cast<std::size_t>(2 * x) * channels;
      const std::size_t right = static_cast<std::size_t>(std::min(2 * x + 1, from.width - 1)) * channels;
      for (unsigned int c = 0; c < channels; ++c) {
        const unsigned int sum = row0[left + c] + row0[right + c] + row1[left + c] + row1[right + c];
        *out++ = static_cast<unsigned char>((sum + 2) / 4);
      }
    }
  }
}

}  // namespace

bool addMipmaps(osg::Image& image) {
  if (image.isMipmap() || !image.data() || image.r() != 1 || image.isCompressed() || !hasByteChannels(image) ||
      dynamic_cast<osg::ImageStream*>(&image) || (image.s() <= 1 && image.t() <= 1)) {
    return false;
  }
  const GLenum format = image.getPixelFormat();
  const unsigned int channels = osg::Image::computeNumComponents(format);
  const int packing = image.getPacking();

  // Level 0 is copied without the source's row length, if it had one, as setImage drops it.
  const unsigned int rowBytes0 = osg::Image::computeRowWidthInBytes(image.s(), format, GL_UNSIGNED_BYTE, packing);
  std::vector<Level> levels{{image.s(), image.t(), rowBytes0, nullptr}};
  osg::Image::MipmapDataType offsets;
  std::size_t total = static_cast<std::size_t>(levels[0].rowBytes) * image.t();
  while (levels.back().width > 1 || levels.back().height > 1) {
    const int width = std::max(1, levels.back().width / 2);
    const int height = std::max(1, levels.back().height / 2);
    const unsigned int rowBytes = osg::Image::computeRowWidthInBytes(width, format, GL_UNSIGNED_BYTE, packing);
    offsets.push_back(static_cast<unsigned int>(total));
    levels.push_back({width, height, rowBytes, nullptr});
    total += static_cast<std::size_t>(rowBytes) * height;
  }

  auto* data = new unsigned char[total];
  for (int row = 0; row < image.t(); ++row)
    std::memcpy(data + static_cast<std::size_t>(row) * rowBytes0, image.data(0, row), rowBytes0);
  levels[0].data = data;
  for (std::size_t i = 1; i < levels.size(); ++i) {
    levels[i].data = data + offsets[i - 1];
    reduce(levels[i - 1], levels[i], channels);
  }
  image.setImage(image.s(), image.t(), 1, image.getInternalTextureFormat(), format, GL_UNSIGNED_BYTE, data,
                 osg::Image::USE_NEW_DELETE, packing);
  image.setMipmapLevels(offsets);
  return true;
}

}  // namespace viewer
}  // namespace qvx
