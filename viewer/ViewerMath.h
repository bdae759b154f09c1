#pragma once

#include <Qt>

#include <osg/PolygonMode>
#include <osg/Vec2d>
#include <osg/Vec3d>
#include <osgGA/GUIEventAdapter>

// Pure rules of the 3D viewer: input mapping, field of view, camera placement, display-mode
// steps and augment sizes. Kept free of widgets and GL so that tests drive them directly.
namespace qvx {
namespace viewer {

constexpr int kFrameIntervalMs = 17;  // 1000/60 rounded up
constexpr float kDefaultFieldOfView = 50.0f;
constexpr float kMinFieldOfView = 0.1f;
constexpr float kMaxFieldOfView = 85.0f;
constexpr double kNearPlane = 1.0;
constexpr double kFarPlane = 1000.0;

// Synthetic wheel deltas of the zoom buttons; only the sign reaches the orbit zoom.
constexpr int kZoomInWheelDelta = 10;
constexpr int kZoomOutWheelDelta = -100;

// Picking looks only at nodes whose mask has this bit; camera stations carry kStationNodeMask.
constexpr unsigned int kPickTraversalMask = 2;
constexpr unsigned int kStationNodeMask = 3;

// Cursor in normalized device coordinates: x to the right, y up, both in [-1, 1].
osg::Vec2d ndcFromWidget(double x, double y, double width, double height);

// Qt mouse button to the OpenSceneGraph button number (left 1, middle 2, right 3, other 0).
int osgButtonFromQt(Qt::MouseButton button);

// The modifier mask that travels with an event, so that scene handlers read the keys held at
// the event and not the keyboard's state when they happen to run.
int osgModKeyMaskFromQt(Qt::KeyboardModifiers modifiers);

// A negative wheel delta scrolls up (zoom out), zero or positive scrolls down (zoom in).
osgGA::GUIEventAdapter::ScrollingMotion scrollMotionForDelta(int angleDeltaY);

// Field of view after one Shift + wheel step, clamped to [kMinFieldOfView, kMaxFieldOfView].
float fieldOfViewAfterWheel(float oldFovDegrees, int angleDeltaY);

// Eye distance that keeps the picked point the same size on screen when the field of view
// changes: L' = L * tan(old / 2) / tan(new / 2), since the view is 2 L tan(fov / 2) high there.
double distanceForFieldOfView(double distance, double oldFovDegrees, double newFovDegrees);

// Factor for the camera's LOD scale after the eye moved from oldDistance to newDistance:
// 1 - r with r = (new - old) / old clamped to [-0.99, 0.99], so within [0.01, 1.99].
double lodScaleFactorForDistanceChange(double oldDistance, double newDistance);

// sin(fov) / sin(50 deg): scales panning and augment sizes with the field of view.
float fieldOfViewFactor(float fovDegrees);

// A left press is a double click when the previous left press was more than 0.03 s and less
// than `interval` seconds before it.
bool isDoubleClick(double eventTime, double lastLeftPressTime, double interval);

// Home eye: the same distance from the centre, seen from the south at 45 degrees elevation.
osg::Vec3d homeEyeFromSouth(const osg::Vec3d& eye, const osg::Vec3d& center);

// The view after "face north": eye due south of the centre at the same horizontal distance
// and height, up (0, 0, 1). A camera looking straight down keeps its eye and gets north
// (0, 1, 0) as up, since the vertical axis cannot be up there.
struct LookAt {
  osg::Vec3d eye;
  osg::Vec3d center;
  osg::Vec3d up;
};
LookAt faceNorthView(const osg::Vec3d& eye, const osg::Vec3d& center);

// T key: 0 textured, 1 vertex colours, 2 height colours, 3 plain white.
int nextTextureMode(int textureMode, bool hasTexture, bool hasVertexColors);
// L key: flips lit (0) and unlit (1); other values stay.
int nextShadingMode(int shadingMode);
// W key: FILL -> LINE -> POINT -> FILL.
osg::PolygonMode::Mode nextPolygonMode(osg::PolygonMode::Mode mode);

struct DisplayModes {
  int textureMode;
  int shadingMode;
};
// Display modes chosen after loading, from what the data carries.
DisplayModes defaultDisplayModes(bool hasTexture, bool hasVertexColors);

// Line width of a bounding box: 50 / (distance / radius) * fovFactor, clamped to [1, 4].
float boundingBoxWidth(const osg::Vec3d& center, double radius, const osg::Vec3d& eye, float fovFactor);
// Scale of the rotation-centre marker: distance / 500 * fovFactor.
double rotationCenterScale(const osg::Vec3d& markerCenter, const osg::Vec3d& eye, float fovFactor);

bool isValidPoint(const osg::Vec3d& point);

}  // namespace viewer
}  // namespace qvx
