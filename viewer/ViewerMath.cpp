#include "viewer/ViewerMath.h"

#include <algorithm>
#include <cmath>

namespace qvx {
namespace viewer {

namespace {
double radians(double degrees) { return degrees / 180.0 * M_PI; }
}  // namespace

osg::Vec2d ndcFromWidget(double x, double y, double width, double height) {
  if (width <= 0.0 || height <= 0.0) return osg::Vec2d(0.0, 0.0);
  return osg::Vec2d(2.0 * x / width - 1.0, -(2.0 * y / height - 1.0));
}

int osgButtonFromQt(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::MiddleButton:
      return 2;
    case Qt::RightButton:
      return 3;
    default:
      return 0;
  }
}

int osgModKeyMaskFromQt(Qt::KeyboardModifiers modifiers) {
  int mask = 0;
  if (modifiers & Qt::ShiftModifier) mask |= osgGA::GUIEventAdapter::MODKEY_SHIFT;
  if (modifiers & Qt::ControlModifier) mask |= osgGA::GUIEventAdapter::MODKEY_CTRL;
  if (modifiers & Qt::AltModifier) mask |= osgGA::GUIEventAdapter::MODKEY_ALT;
  if (modifiers & Qt::MetaModifier) mask |= osgGA::GUIEventAdapter::MODKEY_META;
  return mask;
}

osgGA::GUIEventAdapter::ScrollingMotion scrollMotionForDelta(int angleDeltaY) {
  return angleDeltaY < 0 ? osgGA::GUIEventAdapter::SCROLL_UP : osgGA::GUIEventAdapter::SCROLL_DOWN;
}

float fieldOfViewAfterWheel(float oldFovDegrees, int angleDeltaY) {
  const float fov = oldFovDegrees + static_cast<float>(angleDeltaY) / 20.0f;
  return std::clamp(fov, kMinFieldOfView, kMaxFieldOfView);
}

double distanceForFieldOfView(double distance, double oldFovDegrees, double newFovDegrees) {
  return distance * std::tan(radians(oldFovDegrees) / 2.0) / std::tan(radians(newFovDegrees) / 2.0);
}

double lodScaleFactorForDistanceChange(double oldDistance, double newDistance) {
  if (!(oldDistance > 0.0)) return 1.0;
  const double r = std::clamp((newDistance - oldDistance) / oldDistance, -0.99, 0.99);
  return 1.0 - r;
}

float fieldOfViewFactor(float fovDegrees) {
  return static_cast<float>(std::sin(radians(fovDegrees)) / std::sin(radians(kDefaultFieldOfView)));
}

bool isDoubleClick(double eventTime, double lastLeftPressTime, double interval) {
  const double d = std::fabs(eventTime - lastLeftPressTime);
  return d > 0.03 && d < interval;
}

osg::Vec3d homeEyeFromSouth(const osg::Vec3d& eye, const osg::Vec3d& center) {
  const double distance = (eye - center).length();
  return center + osg::Vec3d(0.0, -1.0, 1.0) * (distance / std::sqrt(2.0));
}

LookAt faceNorthView(const osg::Vec3d& eye, const osg::Vec3d& center) {
  const osg::Vec3d d = eye - center;
  const double horizontal = std::hypot(d.x(), d.y());
  if (horizontal <= 1e-9 * std::max(1.0, d.length())) {
    return {eye, center, osg::Vec3d(0.0, 1.0, 0.0)};
  }
  return {center + osg::Vec3d(0.0, -horizontal, d.z()), center, osg::Vec3d(0.0, 0.0, 1.0)};
}

int nextTextureMode(int textureMode, bool hasTexture, bool hasVertexColors) {
  switch (textureMode) {
    case 0:
      return hasVertexColors ? 1 : 2;
    case 1:
      return 2;
    case 2:
      return 3;
    default:
      if (hasTexture) return 0;
      return hasVertexColors ? 1 : 2;
  }
}

int nextShadingMode(int shadingMode) {
  if (shadingMode == 0) return 1;
  if (shadingMode == 1) return 0;
  return shadingMode;
}

osg::PolygonMode::Mode nextPolygonMode(osg::PolygonMode::Mode mode) {
  switch (mode) {
    case osg::PolygonMode::FILL:
      return osg::PolygonMode::LINE;
    case osg::PolygonMode::LINE:
      return osg::PolygonMode::POINT;
    default:
      return osg::PolygonMode::FILL;
  }
}

DisplayModes defaultDisplayModes(bool hasTexture, bool hasVertexColors) {
  if (hasTexture) return {0, 1};
  if (hasVertexColors) return {1, 1};
  return {3, 0};
}

float boundingBoxWidth(const osg::Vec3d& center, double radius, const osg::Vec3d& eye, float fovFactor) {
  const double distance = (center - eye).length();
  // An eye at the box centre gets the widest line.
  if (!(distance > 0.0)) return 4.0f;
  const double width = 50.0 / (distance / radius) * fovFactor;
  if (std::isnan(width)) return 1.0f;
  return static_cast<float>(std::clamp(width, 1.0, 4.0));
}

double rotationCenterScale(const osg::Vec3d& markerCenter, const osg::Vec3d& eye, float fovFactor) {
  return (markerCenter - eye).length() / 500.0 * fovFactor;
}

bool isValidPoint(const osg::Vec3d& point) {
  return std::isfinite(point.x()) && std::isfinite(point.y()) && std::isfinite(point.z());
}

}  // namespace viewer
}  // namespace qvx
