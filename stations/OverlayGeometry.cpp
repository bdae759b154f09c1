#include "stations/OverlayGeometry.h"

#include <algorithm>
#include <cmath>

#include "project/Layout.h"
#include "stations/OrientationCamera.h"
#include "vx/CameraParameters.h"
#include "vx/VEXAProject.h"

namespace qvx {
namespace image {

std::vector<Candidate> camerasSeeing(const std::vector<vx::ImageOrientation>& orientations, const osg::Vec3d& point) {
  std::vector<Candidate> result;
  for (const vx::ImageOrientation& orientation : orientations) {
    osg::Vec2d pixel;
    if (!stations::worldToPixel(orientation, point, pixel)) continue;
    if (!(pixel.x() > 0.0 && pixel.x() < orientation.width() && pixel.y() > 0.0 && pixel.y() < orientation.height())) {
      continue;
    }
    const auto& c = orientation.projectionCenter();
    const float distance = static_cast<float>((point - osg::Vec3d(c[0], c[1], c[2])).length());
    result.push_back({distance, orientation});
  }
  std::stable_sort(result.begin(), result.end(),
                   [](const Candidate& a, const Candidate& b) { return a.distance < b.distance; });
  return result;
}

int wrapIndex(int index, int count) {
  if (count <= 0) return 0;
  return ((index % count) + count) % count;
}

double zoomAfterWheel(double zoom, double angleDelta) {
  return std::clamp(zoom * (1.0 - angleDelta / 600.0), kMinZoom, kMaxZoom);
}

osg::Matrixd imageRotationFor(const osg::Vec2d& imageDirection, const osg::Vec2d& windowDirection) {
  // Photo rows run down, eye y runs up.
  const osg::Vec2d eye(imageDirection.x(), -imageDirection.y());
  const bool known = eye.length() > 0.0 && windowDirection.length() > 0.0 && std::isfinite(eye.length()) &&
                     std::isfinite(windowDirection.length());
  if (!known) return osg::Matrixd::identity();
  const double angle = std::atan2(windowDirection.y(), windowDirection.x()) - std::atan2(eye.y(), eye.x());
  return osg::Matrixd::rotate(angle, osg::Vec3d(0.0, 0.0, 1.0));
}

osg::Vec2d panCentring(const vx::ImageOrientation& orientation, const osg::Vec2d& imagePosition,
                       const osg::Matrixd& rotation, double unitsPerPixel) {
  const double cx = orientation.principalPointX();
  const double cy = orientation.principalPointY();
  // The position's offset from the optical axis in eye coordinates (y up), turned like the photo.
  const osg::Vec3d eye = osg::Vec3d((imagePosition.x() - cx) * unitsPerPixel, -(imagePosition.y() - cy) * unitsPerPixel,
                                    0.0) * rotation;
  // The viewport plane keeps the principal point's offset from the image centre (pixel rule: W / 2).
  return osg::Vec2d(-eye.x() - (cx - orientation.width() / 2.0) * unitsPerPixel,
                    eye.y() - (cy - orientation.height() / 2.0) * unitsPerPixel);
}

QString trueOrthoTilePath(const vx::VEXAProject& project, double x, double y, double& x0, double& y0) {
  std::string tileName;
  vx::utils::mesh::fileNameForPointInProjectArea(project, x, y, tileName, x0, y0);
  const std::wstring file = layout::True_Ortho + L"_" + layout::fromUtf8(tileName) + L".tif";
  return layout::projectPath(project, layout::join(layout::ResultsTrueOrthoDir, file));
}

vx::ImageOrientation trueOrthoOrientation(int width, int height, double x0, double y0, double tileSize, double gsd,
                                          double groundHeight) {
  vx::ImageOrientation orientation;
  orientation.setImageName("ortho");
  orientation.setImageSize(width, height);
  orientation.setFocalLength(width);
  orientation.setPrincipalPoint(width / 2.0, height / 2.0);
  // Above the middle of the tile's image (square pixels), where the principal point is.
  const double pixel = tileSize / width;
  orientation.setProjectionCenter({{x0 + width * pixel / 2.0, y0 - height * pixel / 2.0, 10000.0 * gsd + groundHeight}});
  orientation.setRotation({{1.0, 0.0, 0.0, 0.0, -1.0, 0.0, 0.0, 0.0, -1.0}});
  orientation.setOrtho(true);
  return orientation;
}

osg::Vec2d trueOrthoImagePosition(const osg::Vec3d& point, double x0, double y0, double tileSize, int width) {
  return osg::Vec2d((point.x() - x0) / tileSize * width, (y0 - point.y()) / tileSize * width);
}

}  // namespace image
}  // namespace qvx
