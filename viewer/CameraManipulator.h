#pragma once

#include <limits>

#include <osgGA/OrbitManipulator>

namespace qvx {
namespace viewer {

// The viewer's orbit camera: Ctrl disables it, the middle button does nothing, the right button
// pans at a speed tied to the field of view, a left double click flies to the picked surface
// point, and home looks at the scene from the south at 45 degrees.
class CameraManipulator : public osgGA::OrbitManipulator {
 public:
  // Flags 5: update the model size and process the mouse wheel.
  explicit CameraManipulator(int flags = UPDATE_MODEL_SIZE | PROCESS_MOUSE_WHEEL);

  using osgGA::OrbitManipulator::handle;
  bool handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& us) override;
  void computeHomePosition(const osg::Camera* camera = nullptr, bool useBoundingBox = false) override;
  bool performMovementMiddleMouseButton(const double eventTimeDelta, const double dx, const double dy) override;
  bool performMovementRightMouseButton(const double eventTimeDelta, const double dx, const double dy) override;

  // f = sin(fov) / sin(50 deg); the pan factor becomes 1.3 * f.
  void setFovFactor(float factor);
  float panFactor() const { return panFactor_; }
  double lastLeftPressTime() const { return lastLeftPressTime_; }
  double doubleClickInterval() const { return doubleClickInterval_; }

 private:
  static constexpr float kBasePanFactor = 1.3f;

  float panFactor_ = kBasePanFactor;
  double lastLeftPressTime_ = std::numeric_limits<double>::max();
  // The single-precision 0.3 widened, as the interval has always been compared.
  double doubleClickInterval_ = static_cast<double>(0.3f);
};

}  // namespace viewer
}  // namespace qvx
