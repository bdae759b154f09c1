#include "stations/OrientationCamera.h"

#include <algorithm>

namespace qvx {
namespace stations {

bool worldToPixel(const vx::ImageOrientation& orientation, const osg::Vec3d& world, osg::Vec2d& pixel) {
  double u = 0.0;
  double v = 0.0;
  if (!orientation.project({{world.x(), world.y(), world.z()}}, u, v)) return false;
  pixel.set(u, v);
  return true;
}

osg::Matrixd viewMatrixFromOrientation(const vx::ImageOrientation& orientation, const osg::Matrixd& imageRotation) {
  const auto& r = orientation.rotation();
  const auto& c = orientation.projectionCenter();
  // Column i of R^T F, with F = diag(1, -1, -1), is the world direction of eye axis i.
  const osg::Matrixd rotation(r[0], -r[3], -r[6], 0.0,  //
                              r[1], -r[4], -r[7], 0.0,  //
                              r[2], -r[5], -r[8], 0.0,  //
                              0.0, 0.0, 0.0, 1.0);
  return osg::Matrixd::translate(-c[0], -c[1], -c[2]) * rotation * imageRotation;
}

ImagePlane imagePlaneOf(const vx::ImageOrientation& orientation) {
  ImagePlane plane;
  plane.width = orientation.width();
  plane.height = orientation.height();
  plane.focal = orientation.focalLength();
  plane.cx = orientation.principalPointX();
  plane.cy = orientation.principalPointY();
  plane.ortho = orientation.isOrtho();
  return plane;
}

osg::Matrixd projectionOf(const ImagePlane& plane) {
  const double w = plane.width;
  const double h = plane.height;
  const double cx = plane.cx;
  const double cy = plane.cy;
  if (plane.ortho) {
    // Camera x runs east from -cx to w - cx; camera y runs south, so eye y from -(h - cy) to cy.
    return osg::Matrixd::ortho(-cx, w - cx, -(h - cy), cy, kOrientationNear, 1.0e6);
  }
  const double f = plane.focal;
  const double n = kOrientationNear;
  const double far = kOrientationFar;
  return osg::Matrixd(2.0 * f / w, 0.0, 0.0, 0.0,  //
                      0.0, 2.0 * f / h, 0.0, 0.0,  //
                      1.0 - 2.0 * cx / w, -(1.0 - 2.0 * cy / h), (far + n) / (n - far), -1.0,  //
                      0.0, 0.0, 2.0 * far * n / (n - far), 0.0);
}

osg::Matrixd projectionFromOrientation(const vx::ImageOrientation& orientation) {
  return projectionOf(imagePlaneOf(orientation));
}

ImagePlane viewportImagePlane(const vx::ImageOrientation& orientation, int viewportWidth, int viewportHeight,
                              double zoom, const osg::Vec2d& pan) {
  ImagePlane plane = imagePlaneOf(orientation);
  plane.width = std::max(1, viewportWidth) * zoom;
  plane.height = std::max(1, viewportHeight) * zoom;
  plane.cx = plane.width / 2.0 + (orientation.principalPointX() - orientation.width() / 2.0) + pan.x();
  plane.cy = plane.height / 2.0 + (orientation.principalPointY() - orientation.height() / 2.0) + pan.y();
  return plane;
}

}  // namespace stations
}  // namespace qvx
