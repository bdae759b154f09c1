#pragma once

#include <osg/Matrixd>
#include <osg/Vec2d>
#include <osg/Vec3d>

#include "vx/ImageOrientation.h"

// One rule for looking through an oriented photo, shared by the image overlay and the off-screen
// renderer: world point -> pixel (the orientation's own pinhole rule), the view matrix and the
// projection matrix. Pixel coordinates are continuous with (0, 0) at the top-left corner of the
// top-left pixel, so the centre of pixel (i, j) is (i + 0.5, j + 0.5); OpenGL's window
// coordinates follow the same rule with rows counted from the bottom.
namespace qvx {
namespace stations {

constexpr double kOrientationNear = 1.01;
constexpr double kOrientationFar = 3000.0;

// World point -> pixel; false behind the camera.
bool worldToPixel(const vx::ImageOrientation& orientation, const osg::Vec3d& world, osg::Vec2d& pixel);

// World -> eye (OpenSceneGraph row vectors): the camera frame (x right, y down, z forward) with y
// and z flipped so that the eye looks along -z with y up. `imageRotation` turns the picture about
// the viewing axis afterwards (in eye coordinates).
osg::Matrixd viewMatrixFromOrientation(const vx::ImageOrientation& orientation,
                                       const osg::Matrixd& imageRotation = osg::Matrixd::identity());

// The image plane a projection is made from: size and principal point in pixels (perspective, with
// the focal length in pixels) or in world units (an ortho orientation seen from above, the camera
// frame's y running south).
struct ImagePlane {
  double width = 0.0;
  double height = 0.0;
  double focal = 0.0;
  double cx = 0.0;
  double cy = 0.0;
  bool ortho = false;
};

ImagePlane imagePlaneOf(const vx::ImageOrientation& orientation);

// The perspective projection that puts every world point on the pixel worldToPixel gives, near
// 1.01 and far 3000; for an ortho plane the parallel projection (near 1.01, far 1e6: it looks
// from far above).
osg::Matrixd projectionOf(const ImagePlane& plane);
osg::Matrixd projectionFromOrientation(const vx::ImageOrientation& orientation);

// The plane as the image overlay draws it into a viewport: the image scaled by `zoom` (its size
// becomes the viewport size times the zoom) and shifted by `pan`, the principal point keeping its
// offset from the image centre. In ortho mode the zoom is world units per screen pixel.
ImagePlane viewportImagePlane(const vx::ImageOrientation& orientation, int viewportWidth, int viewportHeight,
                              double zoom, const osg::Vec2d& pan);

}  // namespace stations
}  // namespace qvx
