#include "demo/TrueOrtho.h"

#include <stdexcept>
#include <vector>

#include <cpl_error.h>
#include <gdal_priv.h>

#include "demo/OutputFolder.h"

namespace demo {

std::string trueOrthoFileName(int x, int y) { return "True_Ortho_" + std::to_string(x) + "_" + std::to_string(y) + ".tif"; }

void writeTrueOrtho(const osg::Image& texture, const osg::Vec3d& southWest, double side, const std::string& wkt,
                    const std::filesystem::path& file) {
  const std::string name = toUtf8(file);
  if (texture.getPixelFormat() != GL_RGB || texture.getDataType() != GL_UNSIGNED_BYTE || texture.s() != texture.t())
    throw std::runtime_error("The true ortho " + name + " needs a square 8-bit RGB texture.");
  const int pixels = texture.s();
  std::vector<unsigned char> northUp(3 * static_cast<size_t>(pixels) * static_cast<size_t>(pixels));
  const size_t rowBytes = 3 * static_cast<size_t>(pixels);
  for (int row = 0; row < pixels; ++row)
    std::copy_n(texture.data(0, pixels - 1 - row), rowBytes, northUp.begin() + static_cast<ptrdiff_t>(row * rowBytes));

  GDALAllRegister();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  if (!driver) throw std::runtime_error("GDAL has no GeoTIFF driver; the true ortho " + name + " cannot be written.");
  const char* options[] = {"PHOTOMETRIC=RGB", "INTERLEAVE=PIXEL", nullptr};
  CPLErrorReset();
  GDALDataset* dataset = driver->Create(name.c_str(), pixels, pixels, 3, GDT_Byte, const_cast<char**>(options));
  if (!dataset) throw std::runtime_error("Could not create the true ortho " + name + ": " + CPLGetLastErrorMsg());
  const double pixel = side / pixels;
  double geoTransform[6] = {southWest.x(), pixel, 0.0, southWest.y() + side, 0.0, -pixel};
  int bands[3] = {1, 2, 3};
  bool ok = dataset->SetGeoTransform(geoTransform) == CE_None && dataset->SetProjection(wkt.c_str()) == CE_None &&
            dataset->RasterIO(GF_Write, 0, 0, pixels, pixels, northUp.data(), pixels, pixels, GDT_Byte, 3, bands, 3,
                              static_cast<GSpacing>(rowBytes), 1, nullptr) == CE_None;
  GDALClose(dataset);  // flushes the file
  ok = ok && CPLGetLastErrorType() < CE_Failure;
  const std::string problem = CPLGetLastErrorMsg();
  if (!ok) throw std::runtime_error("Could not write the true ortho " + name + (problem.empty() ? "." : ": " + problem));
}

}  // namespace demo
