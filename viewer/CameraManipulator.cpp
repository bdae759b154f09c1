#include "viewer/CameraManipulator.h"

#include "viewer/ViewerMath.h"

namespace qvx {
namespace viewer {

CameraManipulator::CameraManipulator(int flags) : osgGA::OrbitManipulator(flags) {
  setVerticalAxisFixed(false);
  setAnimationTime(0.5);
  setAllowThrow(false);
}

bool CameraManipulator::handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& us) {
  // Ctrl belongs to other tools (Ctrl + wheel scales cameras or the editing radius).
  if (ea.getModKeyMask() & osgGA::GUIEventAdapter::MODKEY_CTRL) return true;

  if (ea.getEventType() == osgGA::GUIEventAdapter::PUSH) {
    const bool left = ea.getButton() == osgGA::GUIEventAdapter::LEFT_MOUSE_BUTTON;
    if (left && isDoubleClick(ea.getTime(), lastLeftPressTime_, doubleClickInterval_)) {
      startAnimationByMousePointerIntersection(ea, us);
    } else {
      osgGA::OrbitManipulator::handle(ea, us);
    }
    if (left) lastLeftPressTime_ = ea.getTime();
    return true;
  }
  osgGA::OrbitManipulator::handle(ea, us);
  return true;
}

void CameraManipulator::computeHomePosition(const osg::Camera* camera, bool useBoundingBox) {
  osgGA::OrbitManipulator::computeHomePosition(camera, useBoundingBox);
  if (!getNode()) return;
  osg::Vec3d eye, center, up;
  getHomePosition(eye, center, up);
  setHomePosition(homeEyeFromSouth(eye, center), center, up, getAutoComputeHomePosition());
}

bool CameraManipulator::performMovementMiddleMouseButton(const double, const double, const double) {
  return false;
}

bool CameraManipulator::performMovementRightMouseButton(const double eventTimeDelta, const double dx,
                                                        const double dy) {
  return osgGA::OrbitManipulator::performMovementMiddleMouseButton(eventTimeDelta, dx * panFactor_,
                                                                   dy * panFactor_);
}

void CameraManipulator::setFovFactor(float factor) { panFactor_ = kBasePanFactor * factor; }

}  // namespace viewer
}  // namespace qvx
