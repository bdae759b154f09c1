// Area-based image selection: keep the images that see the project area.

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "FileUtil.h"
#include "Gdal.h"
#include "SettingsTable.h"
#include "vx/VEXAProject.h"

namespace vx {

namespace {

using Vec2 = std::array<double, 2>;

struct Rect {
  double minX, minY, maxX, maxY;
  bool contains(const Vec2& p) const { return p[0] >= minX && p[0] <= maxX && p[1] >= minY && p[1] <= maxY; }
  bool empty() const { return !(minX <= maxX && minY <= maxY); }
};

// The extent of every feature of the shapefile's first layer.
Rect shapefileExtent(const std::string& path) {
  detail::registerGdalDrivers();
  struct Close {
    void operator()(GDALDataset* d) const { GDALClose(d); }
  };
  std::unique_ptr<GDALDataset, Close> dataset(
      static_cast<GDALDataset*>(GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
  OGRLayer* layer = dataset && dataset->GetLayerCount() > 0 ? dataset->GetLayer(0) : nullptr;
  OGREnvelope envelope;
  if (!layer || layer->GetExtent(&envelope, TRUE) != OGRERR_NONE) {
    throw std::runtime_error("The area shape file " + path + " cannot be read as a shapefile with an extent.");
  }
  return {envelope.MinX, envelope.MinY, envelope.MaxX, envelope.MaxY};
}

// Where the ray through pixel (u, v) meets the plane z = height; false when it points away from it.
bool groundPoint(const ImageOrientation& o, double u, double v, double height, Vec2& ground) {
  const auto& r = o.rotation();
  const double x = (u - o.principalPointX()) / o.focalLength();
  const double y = (v - o.principalPointY()) / o.focalLength();
  // World direction = R^T * (x, y, 1): the rows of R are the camera axes.
  const double d[3] = {r[0] * x + r[3] * y + r[6], r[1] * x + r[4] * y + r[7], r[2] * x + r[5] * y + r[8]};
  const auto& c = o.projectionCenter();
  if (std::abs(d[2]) < 1e-12) return false;
  const double t = (height - c[2]) / d[2];
  if (!(t > 0)) return false;
  ground = {c[0] + t * d[0], c[1] + t * d[1]};
  return true;
}

// Separating-axis test of two convex polygons.
bool convexOverlap(const std::vector<Vec2>& a, const std::vector<Vec2>& b) {
  for (const auto* poly : {&a, &b}) {
    for (size_t i = 0; i < poly->size(); ++i) {
      const Vec2& p = (*poly)[i];
      const Vec2& q = (*poly)[(i + 1) % poly->size()];
      const Vec2 n = {q[1] - p[1], p[0] - q[0]};
      auto extent = [&](const std::vector<Vec2>& s) {
        double lo = INFINITY, hi = -INFINITY;
        for (const Vec2& v : s) {
          const double d = n[0] * v[0] + n[1] * v[1];
          lo = std::min(lo, d);
          hi = std::max(hi, d);
        }
        return std::make_pair(lo, hi);
      };
      const auto ea = extent(a);
      const auto eb = extent(b);
      if (ea.second < eb.first || eb.second < ea.first) return false;
    }
  }
  return true;
}

bool seesArea(const ImageOrientation& o, const Rect& area, double height) {
  // A point of the area (corners, edge middles, centre) inside the photo.
  for (double fx : {0.0, 0.5, 1.0}) {
    for (double fy : {0.0, 0.5, 1.0}) {
      double u = 0, v = 0;
      const ImageOrientation::Vec3 p = {area.minX + fx * (area.maxX - area.minX),
                                        area.minY + fy * (area.maxY - area.minY), height};
      if (o.project(p, u, v) && u >= 0 && v >= 0 && u <= o.width() && v <= o.height()) return true;
    }
  }
  // The photo's footprint on the ground overlapping the area (an area larger than the photo).
  std::vector<Vec2> footprint;
  const double w = o.width(), h = o.height();
  for (const Vec2& pixel : {Vec2{0, 0}, Vec2{w, 0}, Vec2{w, h}, Vec2{0, h}}) {
    Vec2 ground;
    if (!groundPoint(o, pixel[0], pixel[1], height, ground)) return false;  // sees the horizon: points decided
    footprint.push_back(ground);
  }
  const std::vector<Vec2> rect = {{area.minX, area.minY}, {area.maxX, area.minY}, {area.maxX, area.maxY},
                                  {area.minX, area.maxY}};
  return convexOverlap(footprint, rect);
}

}  // namespace

bool VEXAProject::filterImagesByArea() {
  if (!canSelectImagesByArea()) return false;
  Rect area = {settings_.areaMin[0], settings_.areaMin[1], settings_.areaMax[0], settings_.areaMax[1]};
  if (hasAreaShapefile()) {
    const detail::fs::path file = detail::pathFromUtf8(settings_.areaShapefile);
    const Rect shape = shapefileExtent(detail::utf8(file.is_absolute() ? file : detail::pathFromUtf8(folder_) / file));
    // Axes the operator set by hand narrow the shape.
    area.minX = settings_.axisAuto[0] ? shape.minX : std::max(area.minX, shape.minX);
    area.maxX = settings_.axisAuto[0] ? shape.maxX : std::min(area.maxX, shape.maxX);
    area.minY = settings_.axisAuto[1] ? shape.minY : std::max(area.minY, shape.minY);
    area.maxY = settings_.axisAuto[1] ? shape.maxY : std::min(area.maxY, shape.maxY);
  }
  if (area.empty()) return false;
  const double height = settings_.useTerrainHeight && std::isfinite(settings_.terrainHeight)
                            ? settings_.terrainHeight
                            : (settings_.areaMin[2] + settings_.areaMax[2]) / 2;

  std::vector<bool> keep(images_.size(), false);
  for (size_t i = 0; i < images_.size(); ++i) {
    if (images_[i].orientationPath.empty()) continue;  // cannot be processed without one
    keep[i] = seesArea(imageOrientation(images_[i]), area, height);
  }
  if (std::none_of(keep.begin(), keep.end(), [](bool k) { return k; })) return false;
  bool changed = false;
  for (size_t i = 0; i < images_.size(); ++i) {
    changed = changed || images_[i].selected != keep[i];
    images_[i].selected = keep[i];
  }
  if (changed) resetStepsFor(detail::Setting::ImageSelection);
  return true;
}

}  // namespace vx
