#pragma once

// What the core library's GDAL users share: the drivers registered once, GDAL's own messages kept
// off standard error (the callers name the file and the reason themselves), and the one way a
// raster file is written: made in memory, then written by vx::writeFileAtomically.

#include <gdal_priv.h>

#include <array>
#include <string>

namespace vx {
namespace detail {

void registerGdalDrivers();

struct QuietGdalErrors {
  QuietGdalErrors() { CPLPushErrorHandler(CPLQuietErrorHandler); }
  ~QuietGdalErrors() { CPLPopErrorHandler(); }
  QuietGdalErrors(const QuietGdalErrors&) = delete;
  QuietGdalErrors& operator=(const QuietGdalErrors&) = delete;
};

struct RasterLayout {
  int width = 0;
  int height = 0;
  int bands = 1;
  GDALDataType type = GDT_Byte;
  // Band-interleaved: all of band 1, then all of band 2, ...; rows from the top.
  const void* data = nullptr;
  // GDAL's geotransform (x0, dx, 0, y0, 0, -dy); none when all zero.
  std::array<double, 6> geoTransform{};
  std::string wkt;
  // Stored as the no-data value of every band when set.
  bool hasNoData = false;
  double noData = 0;
  // The last band is an alpha band (0 transparent, 255 opaque) over colour bands.
  bool alpha = false;
};

// Opens the raster file read-only with one of `drivers` (null-terminated). Throws InputError
// naming it, "<description> <path> does not exist." / "is not a regular file." / "<undecodable> (the
// reason).", e.g. "is no GeoTIFF file".
GDALDatasetUniquePtr openRaster(const std::string& utf8Path, const std::string& description,
                                const char* const* drivers, const std::string& undecodable);

// A compressed GeoTIFF, atomically (vx::writeFileAtomically, with its checks and its test seam).
// Throws vx::FileError naming `utf8Path` and the reason.
void writeGeoTiff(const std::string& utf8Path, const RasterLayout& raster);

}  // namespace detail
}  // namespace vx
