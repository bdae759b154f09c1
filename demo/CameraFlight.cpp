#include "demo/CameraFlight.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace demo {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxTilt = 40.0 * kPi / 180.0;

std::string imageName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "IMG_%04d.jpg", index + 1);
  return name;
}

double meanGround(const TerrainModel& terrain) {
  double sum = 0.0;
  const int samples = 8;
  for (int j = 0; j < samples; ++j) {
    for (int i = 0; i < samples; ++i) {
      sum += terrain.groundHeight((i + 0.5) * terrain.extent() / samples, (j + 0.5) * terrain.extent() / samples);
    }
  }
  return sum / (samples * samples);
}

int stripCount(int imageCount) {
  return std::clamp(static_cast<int>(std::lround(std::sqrt(imageCount / 1.5))), 1, imageCount);
}

}  // namespace

double flyingHeight(const MeshLayout& layout, int imageCount) {
  if (imageCount < 1) throw std::runtime_error("The flight needs at least one image, not " + std::to_string(imageCount) + ".");
  const double extent = layout.extent();
  const int strips = stripCount(imageCount);
  const int longest = (imageCount + strips - 1) / strips;
  const double forward = extent / longest / (1.0 - 0.65);
  const double side = extent / strips / (1.0 - 0.30);
  return std::max({forward * kFocalLength / kImageHeight, side * kFocalLength / kImageWidth, 40.0});
}

std::vector<FlightCamera> planFlight(const TerrainModel& terrain, const MeshLayout& layout, int imageCount) {
  const double height = flyingHeight(layout, imageCount);
  const double extent = layout.extent();
  const int strips = stripCount(imageCount);
  const double altitude = meanGround(terrain) + height;
  const osg::Vec3d& origin = layout.origin;

  std::vector<FlightCamera> cameras;
  int index = 0;
  for (int s = 0; s < strips; ++s) {
    const int count = imageCount / strips + (s < imageCount % strips ? 1 : 0);
    const double spacing = extent / count;
    const double direction = s % 2 == 0 ? 1.0 : -1.0;
    const double y = (s + 0.5) * extent / strips;
    for (int k = 0; k < count; ++k, ++index) {
      const double x = direction > 0 ? (k + 0.5) * spacing : extent - (k + 0.5) * spacing;
      FlightCamera camera;
      camera.strip = s;
      camera.position = k;
      camera.alongTrack = x;
      camera.nadir = k % 2 == 0;
      vx::ImageOrientation& o = camera.orientation;
      o.setImageName(imageName(index));
      o.setImageSize(kImageWidth, kImageHeight);
      o.setFocalLength(kFocalLength);
      o.setPrincipalPoint(kImageWidth / 2.0, kImageHeight / 2.0);
      const vx::ImageOrientation::Vec3 centre{{origin.x() + x, origin.y() + y, origin.z() + altitude}};
      o.setProjectionCenter(centre);
      if (camera.nadir) {
        o.setRotation(vx::lookRotation({{0.0, 0.0, -1.0}}, {{direction, 0.0, 0.0}}));
      } else {
        // Look towards the area's centre, so oblique views near the border still show the terrain.
        double ux = extent / 2 - x;
        double uy = extent / 2 - y;
        const double d = std::hypot(ux, uy);
        if (d < 1e-6) {
          ux = direction;
          uy = 0.0;
        } else {
          ux /= d;
          uy /= d;
        }
        const double reach = std::min(height * std::tan(kMaxTilt), d + extent / 4);
        const double tx = x + ux * reach;
        const double ty = y + uy * reach;
        const double tz = terrain.groundHeight(tx, ty);
        o.setRotation(vx::lookRotation({{tx - x, ty - y, tz - altitude}}, {{0.0, 0.0, 1.0}}));
      }
      cameras.push_back(camera);
    }
  }
  return cameras;
}

vx::StereoModels stereoTopology(const std::vector<FlightCamera>& cameras, const MeshLayout& layout) {
  vx::StereoModels topology(static_cast<int>(cameras.size()));
  const int n = static_cast<int>(cameras.size());
  int strips = 0;
  for (const FlightCamera& c : cameras) strips = std::max(strips, c.strip + 1);
  std::vector<int> perStrip(static_cast<size_t>(strips), 0);
  for (const FlightCamera& c : cameras) ++perStrip[static_cast<size_t>(c.strip)];
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      const FlightCamera& a = cameras[static_cast<size_t>(i)];
      const FlightCamera& b = cameras[static_cast<size_t>(j)];
      if (a.strip == b.strip) {
        if (std::abs(a.position - b.position) == 1) topology.setPair(i, j);
      } else if (std::abs(a.strip - b.strip) == 1) {
        const double spacing = layout.extent() / std::min(perStrip[static_cast<size_t>(a.strip)], perStrip[static_cast<size_t>(b.strip)]);
        if (std::abs(a.alongTrack - b.alongTrack) <= 0.75 * spacing) topology.setPair(i, j);
      }
    }
  }
  return topology;
}

}  // namespace demo
