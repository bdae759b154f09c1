#pragma once

#include <vector>

#include <QString>

#include <osg/Matrixd>
#include <osg/Vec2d>
#include <osg/Vec3d>

#include "vx/ImageOrientation.h"

namespace vx {
class VEXAProject;
}

// The arithmetic of the image overlay, apart from the camera it drives.
namespace qvx {
namespace image {

constexpr double kMinZoom = 0.01;
constexpr double kMaxZoom = 100.0;

struct Candidate {
  float distance;  // from the projection centre to the point
  vx::ImageOrientation orientation;
};

// The photos that see `point` strictly inside their image, nearest first.
std::vector<Candidate> camerasSeeing(const std::vector<vx::ImageOrientation>& orientations, const osg::Vec3d& point);

// Steps through `count` entries with wrap-around at both ends.
int wrapIndex(int index, int count);

// One wheel turn of `angleDelta` (120 a notch; positive magnifies), kept in [kMinZoom, kMaxZoom].
double zoomAfterWheel(double zoom, double angleDelta);

// Rotation about the viewing axis that turns a direction in the photo (pixels, rows down) into the
// same direction on screen (window pixels, y up). Identity when either direction is unknown.
osg::Matrixd imageRotationFor(const osg::Vec2d& imageDirection, const osg::Vec2d& windowDirection);

// The pan that puts `imagePosition` of the photo in the middle of the viewport, once the photo is
// turned by `rotation`. `unitsPerPixel` converts photo pixels into the plane's units: 1 for a
// photo, the zoom (world units per pixel) for a true-ortho tile.
osg::Vec2d panCentring(const vx::ImageOrientation& orientation, const osg::Vec2d& imagePosition,
                       const osg::Matrixd& rotation, double unitsPerPixel);

// The tile of the project's true ortho under (x, y): its file and north-west corner (x0, y0).
QString trueOrthoTilePath(const vx::VEXAProject& project, double x, double y, double& x0, double& y0);

// A true-ortho tile of width x height pixels seen from straight above the tile's middle, high
// above the ground at `groundHeight`. Pixel rule: the principal point is the image centre.
vx::ImageOrientation trueOrthoOrientation(int width, int height, double x0, double y0, double tileSize, double gsd,
                                          double groundHeight);

// Where (x, y) lies in the tile's image, in pixels (square pixels: the width sets the scale).
osg::Vec2d trueOrthoImagePosition(const osg::Vec3d& point, double x0, double y0, double tileSize, int width);

}  // namespace image
}  // namespace qvx
