#include "stations/StationGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qvx {
namespace osgcam {

namespace {

float randomLight() { return 0.7f + 0.3f * static_cast<float>(std::rand() % 32768) / 32767.0f; }

struct HalfSize {
  double hx, hy, dx, dy, z;
};

HalfSize halfSize(const vx::ImageOrientation& o, double orthoPixelSize) {
  const double w = o.width();
  const double h = o.height();
  if (o.isOrtho()) {
    // As slopes like the perspective case: the tile's half extent over the quad's depth.
    return {w / 2.0 * orthoPixelSize / kOrthoQuadDepth, h / 2.0 * orthoPixelSize / kOrthoQuadDepth, 0.0, 0.0,
            kOrthoQuadDepth};
  }
  const double f = o.focalLength();
  // Pixel rule: the centre is (W / 2, H / 2).
  return {w / (2.0 * f), h / (2.0 * f), (o.principalPointX() - w / 2.0) / f, (o.principalPointY() - h / 2.0) / f,
          1.0};
}

}  // namespace

osg::Vec4 stationColor(int index) {
  switch (index) {
    case 0: return {randomLight(), randomLight(), randomLight(), 1.0f};
    case 1: return {1.0f, 0.0f, 0.0f, 0.7f};
    case 2: return {0.0f, 0.6235f, 0.4745f, 0.7f};
    case 3: return {0.0f, 0.651f, 0.8784f, 0.7f};
    case 4: return {0.0f, 1.0f, 1.0f, 0.7f};
    case 5: return {1.0f, 0.0f, 1.0f, 0.7f};
    case 6: return {1.0f, 1.0f, 0.0f, 0.7f};
    case 7: return {0.0f, 0.0f, 0.0f, 0.7f};
    case 9: return {1.0f, 1.0f, 1.0f, 0.2f};
    case 10: return {0.5f, 0.5f, 0.5f, 0.2f};
    default: return {1.0f, 1.0f, 1.0f, 0.7f};
  }
}

LookColors lookColors(StationLook look) {
  switch (look) {
    case StationLook::Selected: return {8, 3};
    case StationLook::Unselected: return {9, 10};
    case StationLook::Picked: return {3, 8};
    case StationLook::Partner: return {2, 8};
  }
  return {8, 3};
}

std::array<osg::Vec3, 4> imageQuadCorners(const vx::ImageOrientation& orientation, double orthoPixelSize) {
  const HalfSize s = halfSize(orientation, orthoPixelSize);
  const float z = static_cast<float>(s.z);
  auto corner = [&](double x, double y) { return osg::Vec3(static_cast<float>(x), static_cast<float>(y), z); };
  // hx, hy, dx, dy are slopes (per unit depth); the quad lies at depth z.
  return {corner((-s.hx - s.dx) * s.z, (s.hy - s.dy) * s.z), corner((s.hx - s.dx) * s.z, (s.hy - s.dy) * s.z),
          corner((s.hx - s.dx) * s.z, (-s.hy - s.dy) * s.z), corner((-s.hx - s.dx) * s.z, (-s.hy - s.dy) * s.z)};
}

std::array<osg::Vec2, 4> imageQuadTexCoords() {
  return {osg::Vec2(0.0f, 1.0f), osg::Vec2(1.0f, 1.0f), osg::Vec2(1.0f, 0.0f), osg::Vec2(0.0f, 0.0f)};
}

std::array<osg::Vec3, 4> frameQuadCorners(const vx::ImageOrientation& orientation, double orthoPixelSize) {
  const HalfSize s = halfSize(orientation, orthoPixelSize);
  const double m = std::max(std::abs(s.hx), std::abs(s.hy)) / 5.0;
  const float z = static_cast<float>(s.z * 1.01);
  const double hx = s.hx + m;
  const double hy = s.hy + m;
  // Centred on the image quad, so an off-centre principal point keeps the frame around the photo.
  const double x = -s.dx * s.z;
  const double y = -s.dy * s.z;
  return {osg::Vec3(x - hx * s.z, y + hy * s.z, z), osg::Vec3(x + hx * s.z, y + hy * s.z, z),
          osg::Vec3(x + hx * s.z, y - hy * s.z, z), osg::Vec3(x - hx * s.z, y - hy * s.z, z)};
}

double commonScaleFactor(double radius, int stationCount, int referenceImageSize) {
  if (!(radius > 0.0) || stationCount <= 0 || referenceImageSize <= 0) return 1.0;
  return radius * 600.0 / (referenceImageSize * std::sqrt(static_cast<double>(stationCount)));
}

}  // namespace osgcam
}  // namespace qvx
