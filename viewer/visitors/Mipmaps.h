#pragma once

#include <osg/Image>

namespace qvx {
namespace viewer {

// Appends the chain of box-filtered mipmap levels, down to 1 x 1, to an uncompressed 2D image of
// 8-bit channels (alpha, luminance, luminance-alpha, RGB, RGBA, BGR, BGRA), keeping its row
// packing. A texture made from it is uploaded level by level and needs no mipmap generation by
// the driver. False, with the image unchanged, for any other image and for one that already has
// mipmaps or is a single pixel.
bool addMipmaps(osg::Image& image);

}  // namespace viewer
}  // namespace qvx
