#include "stations/PhotoReader.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include <gdal_priv.h>

namespace qvx {
namespace osgcam {

namespace {

// The message goes to the caller; GDAL's own printing to stderr is kept quiet meanwhile.
struct QuietErrors {
  QuietErrors() { CPLPushErrorHandler(CPLQuietErrorHandler); }
  ~QuietErrors() { CPLPopErrorHandler(); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;
};

struct DatasetCloser {
  void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

Dataset openRaster(const QString& path, QString& error) {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
  const QuietErrors quiet;
  Dataset dataset(static_cast<GDALDataset*>(GDALOpen(path.toUtf8().constData(), GA_ReadOnly)));
  if (!dataset) {
    error = QString("Cannot read the image %1: %2").arg(path, QString::fromUtf8(CPLGetLastErrorMsg()));
  } else if (dataset->GetRasterCount() < 1 || dataset->GetRasterXSize() < 1 || dataset->GetRasterYSize() < 1) {
    error = QString("Cannot read the image %1: it holds no raster").arg(path);
    dataset.reset();
  }
  return dataset;
}

}  // namespace

PhotoRead readPhoto(const QString& path, int maxSize) {
  PhotoRead result;
  const Dataset dataset = openRaster(path, result.error);
  if (!dataset) return result;
  const int width = dataset->GetRasterXSize();
  const int height = dataset->GetRasterYSize();
  const double shrink = std::max(1.0, std::max(width, height) / static_cast<double>(std::max(1, maxSize)));
  const int w = std::max(1, static_cast<int>(width / shrink));
  const int h = std::max(1, static_cast<int>(height / shrink));

  // Grey photos fill all three channels from their one band.
  const int bands = dataset->GetRasterCount() >= 3 ? 3 : 1;
  int bandMap[3] = {1, bands == 3 ? 2 : 1, bands == 3 ? 3 : 1};
  osg::ref_ptr<osg::Image> image = new osg::Image;
  image->allocateImage(w, h, 1, GL_RGB, GL_UNSIGNED_BYTE);
  image->setOrigin(osg::Image::TOP_LEFT);
  const QuietErrors quiet;
  GDALRasterIOExtraArg extra;
  INIT_RASTERIO_EXTRA_ARG(extra);
  extra.eResampleAlg = GRIORA_Average;
  const CPLErr status = dataset->RasterIO(GF_Read, 0, 0, width, height, image->data(), w, h, GDT_Byte, 3, bandMap,
                                          3, static_cast<GSpacing>(image->getRowStepInBytes()), 1, &extra);
  if (status != CE_None) {
    result.error = QString("Cannot read the image %1: %2").arg(path, QString::fromUtf8(CPLGetLastErrorMsg()));
    return result;
  }
  // Rows stay in file order (top first); the quad's texture coordinates count t downwards.
  result.image = image;
  return result;
}

RasterSize readRasterSize(const QString& path) {
  RasterSize result;
  const Dataset dataset = openRaster(path, result.error);
  if (!dataset) return result;
  result.width = dataset->GetRasterXSize();
  result.height = dataset->GetRasterYSize();
  return result;
}

}  // namespace osgcam
}  // namespace qvx
