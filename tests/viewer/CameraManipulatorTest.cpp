#include <QtTest>

#include "TestScenes.h"
#include "viewer/CameraManipulator.h"

using qvx::viewer::CameraManipulator;

namespace {

bool press(CameraManipulator& manipulator, osgViewer::View& view, int button, double time) {
  osg::ref_ptr<osgGA::GUIEventAdapter> event = new osgGA::GUIEventAdapter;
  event->setEventType(osgGA::GUIEventAdapter::PUSH);
  event->setButton(button);
  event->setButtonMask(static_cast<unsigned int>(button));
  event->setTime(time);
  event->setInputRange(0, 0, 800, 600);
  event->setX(400);
  event->setY(300);
  manipulator.handle(*event, view);
  return manipulator.isAnimating();
}

// Home eye and centre.
std::pair<osg::Vec3d, osg::Vec3d> home(osgGA::OrbitManipulator* manipulator, osg::Node* scene) {
  if (scene) manipulator->setNode(scene);
  manipulator->computeHomePosition();
  osg::Vec3d eye, center, up;
  manipulator->getHomePosition(eye, center, up);
  return {eye, center};
}

}  // namespace

class CameraManipulatorTest : public QObject {
  Q_OBJECT

 private slots:
  void doubleClickTiming() {
    osg::ref_ptr<osgViewer::View> view = viewertest::makeTopDownView();
    view->setSceneData(viewertest::makeQuadScene(200.0, 0.0));
    osg::ref_ptr<CameraManipulator> manipulator = new CameraManipulator;
    view->setCameraManipulator(manipulator);
    const int left = osgGA::GUIEventAdapter::LEFT_MOUSE_BUTTON;
    // First press, then too fast (0.02 s) and too slow (0.5 s): no double clicks.
    QVERIFY(!press(*manipulator, *view, left, 0.5));
    QVERIFY(!press(*manipulator, *view, left, 0.52));
    QVERIFY(!press(*manipulator, *view, left, 1.02));
    // Other buttons leave the last left press alone.
    press(*manipulator, *view, osgGA::GUIEventAdapter::RIGHT_MOUSE_BUTTON, 1.1);
    press(*manipulator, *view, osgGA::GUIEventAdapter::MIDDLE_MOUSE_BUTTON, 1.15);
    QCOMPARE(manipulator->lastLeftPressTime(), 1.02);
    // Within the window: flies to the picked point.
    QVERIFY(press(*manipulator, *view, left, 1.2));
  }

  void homeLooksFromSouthAt45Degrees() {
    osg::ref_ptr<osg::Node> scene = viewertest::makeQuadScene(200.0, 0.0);
    osg::ref_ptr<osgGA::OrbitManipulator> base = new osgGA::OrbitManipulator;
    osg::ref_ptr<CameraManipulator> manipulator = new CameraManipulator;
    const auto [eye, center] = home(manipulator, scene);
    const auto [baseEye, baseCenter] = home(base, scene);
    QCOMPARE(center, baseCenter);
    const osg::Vec3d d = eye - center;
    QVERIFY(std::fabs(d.length() - (baseEye - baseCenter).length()) < 1e-6);
    QVERIFY(std::fabs(d.x()) < 1e-9);
    QVERIFY(d.y() < 0.0);
    QVERIFY(std::fabs(d.z() + d.y()) < 1e-6);
    // Without a scene the base home stays, free of NaNs.
    osg::ref_ptr<CameraManipulator> empty = new CameraManipulator;
    osg::ref_ptr<osgGA::OrbitManipulator> emptyBase = new osgGA::OrbitManipulator;
    QVERIFY(home(empty, nullptr) == home(emptyBase, nullptr));
  }

  void rightButtonPansScaledByFieldOfViewMiddleDoesNothing() {
    const auto panned = [](float fovFactor) {
      osg::ref_ptr<CameraManipulator> manipulator = new CameraManipulator;
      manipulator->setTransformation(osg::Vec3d(0, -50, 50), osg::Vec3d(), osg::Vec3d(0, 0, 1));
      manipulator->setFovFactor(fovFactor);
      manipulator->performMovementMiddleMouseButton(0.0, 0.5, 0.5);
      manipulator->performMovementRightMouseButton(0.0, 0.1, 0.05);
      return manipulator->getCenter();
    };
    // Any middle-button movement would not scale with the factor and break the proportion.
    const osg::Vec3d full = panned(1.0f), half = panned(0.5f);
    QVERIFY(full.length() > 1.0);
    QVERIFY((half * 2.0 - full).length() < 1e-9);
  }
};

QTEST_GUILESS_MAIN(CameraManipulatorTest)
#include "CameraManipulatorTest.moc"
