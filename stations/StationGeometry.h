#pragma once

#include <array>

#include <osg/Vec2>
#include <osg/Vec3>
#include <osg/Vec4>

#include "vx/ImageOrientation.h"

// The geometry and colours of a camera station, apart from the scene graph.
//
// Pixel rule: pixel i spans [i, i + 1), so the image centre is (W / 2, H / 2) and the photo's
// corners are the pixel positions (0, 0) and (W, H). The image quad therefore lies exactly on the
// rays the overlay's projection uses (see OrientationCamera.h).
namespace qvx {
namespace osgcam {

// Colour table of the stations; index 0 is a light random grey-ish colour, indices above 10 are white.
osg::Vec4 stationColor(int index);

enum class StationLook { Selected, Unselected, Picked, Partner };

struct LookColors {
  int image;
  int frame;
};
LookColors lookColors(StationLook look);

// Depth of a true-ortho station's quad below its camera: in front of the ortho projection's near
// plane and above any scene.
constexpr double kOrthoQuadDepth = 10.0;

// Image quad in the camera frame (x right, y down, z forward), corners bottom-left, bottom-right,
// top-right, top-left of the photo. A perspective station's quad lies one focal length in front of
// the centre (z = 1); an ortho station's quad covers its tile, `orthoPixelSize` world units per
// pixel, at kOrthoQuadDepth.
std::array<osg::Vec3, 4> imageQuadCorners(const vx::ImageOrientation& orientation, double orthoPixelSize = 0.0);
// Texture coordinates of those corners: t runs down the photo (row 0 of the image is its top).
std::array<osg::Vec2, 4> imageQuadTexCoords();
// The frame drawn just behind an untextured quad, a fifth of the larger half-size wider.
std::array<osg::Vec3, 4> frameQuadCorners(const vx::ImageOrientation& orientation, double orthoPixelSize = 0.0);

// Common scale so that a block of `stationCount` stations within `radius` stays readable.
double commonScaleFactor(double radius, int stationCount, int referenceImageSize);

}  // namespace osgcam
}  // namespace qvx
