#pragma once

#include <QString>

#include <osg/Image>
#include <osg/ref_ptr>

namespace qvx {
namespace osgcam {

// Photos larger than this on either side are read downscaled: a station quad never needs more.
constexpr int kMaxPhotoTextureSize = 4096;

struct PhotoRead {
  osg::ref_ptr<osg::Image> image;  // RGB, 8 bits, row 0 at the top of the photo
  QString error;                   // names the file when the image is null
};

// Reads a photo or a true-ortho tile (any raster GDAL reads). Safe on any thread.
PhotoRead readPhoto(const QString& path, int maxSize = kMaxPhotoTextureSize);

struct RasterSize {
  int width = 0;
  int height = 0;
  QString error;  // names the file when the size is unknown
};

// Width and height of a raster without reading its pixels. Safe on any thread.
RasterSize readRasterSize(const QString& path);

}  // namespace osgcam
}  // namespace qvx
