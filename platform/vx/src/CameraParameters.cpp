#include "vx/CameraParameters.h"

#include <cmath>

#include "vx/VEXAProject.h"

namespace vx {

namespace {

using Vec3 = ImageOrientation::Vec3;

double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Vec3 cross(const Vec3& a, const Vec3& b) {
  return {{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}};
}

bool normalize(Vec3& v) {
  const double length = std::sqrt(dot(v, v));
  if (!(length > 1e-9)) return false;
  for (double& c : v) c /= length;
  return true;
}

bool finite(double v) { return std::isfinite(v); }

}  // namespace

bool normalizeCameraParameters(ImageOrientation& orientation) {
  if (orientation.width() <= 0 || orientation.height() <= 0) return false;
  if (!(orientation.focalLength() > 0.0) || !finite(orientation.focalLength())) return false;
  if (!finite(orientation.principalPointX()) || !finite(orientation.principalPointY())) return false;
  for (double c : orientation.projectionCenter())
    if (!finite(c)) return false;
  const ImageOrientation::Mat3& r = orientation.rotation();
  for (double c : r)
    if (!finite(c)) return false;
  Vec3 x{{r[0], r[1], r[2]}};
  Vec3 y{{r[3], r[4], r[5]}};
  const Vec3 z0{{r[6], r[7], r[8]}};
  // Far from a rotation is a damaged orientation, not rounding: refuse it rather than guess.
  if (std::abs(dot(x, x) - 1.0) > 0.01 || std::abs(dot(y, y) - 1.0) > 0.01 || std::abs(dot(z0, z0) - 1.0) > 0.01 ||
      std::abs(dot(x, y)) > 0.01 || dot(cross(x, y), z0) < 0.9)
    return false;
  // Gram-Schmidt on the rows, keeping the viewing direction as the least disturbed axis last.
  if (!normalize(x)) return false;
  const double along = dot(x, y);
  for (int i = 0; i < 3; ++i) y[i] -= along * x[i];
  if (!normalize(y)) return false;
  const Vec3 z = cross(x, y);
  orientation.setRotation({{x[0], x[1], x[2], y[0], y[1], y[2], z[0], z[1], z[2]}});
  return true;
}

namespace utils {
namespace mesh {

void fileNameForPointInProjectArea(const VEXAProject& project, double x, double y, std::string& tileName,
                                   double& x0, double& y0) {
  const double size = project.tileSize() > 0.0 ? project.tileSize() : 1.0;
  const auto origin = project.areaMin();
  const double i = std::floor((x - origin[0]) / size);
  const double j = std::floor((y - origin[1]) / size);
  tileName = std::to_string(static_cast<long long>(i)) + "_" + std::to_string(static_cast<long long>(j));
  x0 = origin[0] + i * size;
  y0 = origin[1] + (j + 1.0) * size;
}

}  // namespace mesh
}  // namespace utils
}  // namespace vx
