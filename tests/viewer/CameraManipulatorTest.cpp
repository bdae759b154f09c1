#include <QtTest>

#include <cmath>
#include <limits>

#include <osg/Geode>

#include "TestScenes.h"
#include "viewer/CameraManipulator.h"

using qvx::viewer::CameraManipulator;

namespace {

// Exposes the orbit manipulator's own middle-button pan for comparison.
class PlainOrbit : public osgGA::OrbitManipulator {
 public:
  bool pan(double dx, double dy) { return osgGA::OrbitManipulator::performMovementMiddleMouseButton(0.0, dx, dy); }
};

osg::ref_ptr<osgGA::GUIEventAdapter> press(int button, double time) {
  osg::ref_ptr<osgGA::GUIEventAdapter> event = new osgGA::GUIEventAdapter;
  event->setEventType(osgGA::GUIEventAdapter::PUSH);
  event->setButton(button);
  event->setButtonMask(static_cast<unsigned int>(button));
  event->setTime(time);
  event->setInputRange(0, 0, 800, 600);
  event->setX(400);
  event->setY(300);
  return event;
}

osg::ref_ptr<osg::Node> groundScene() {
  osg::ref_ptr<osg::Geode> geode = new osg::Geode;
  geode->addDrawable(viewertest::makeQuad(200.0, 0.0, false, false));
  return geode;
}

}  // namespace

class CameraManipulatorTest : public QObject {
  Q_OBJECT

 private slots:
  void constructionDefaults() {
    osg::ref_ptr<CameraManipulator> manipulator = new CameraManipulator;
    QVERIFY(!manipulator->getVerticalAxisFixed());
    QVERIFY(!manipulator->getAllowThrow());
    QCOMPARE(manipulator->getAnimationTime(), 0.5);
    QCOMPARE(manipulator->panFactor(), 1.3f);
    QCOMPARE(manipulator->lastLeftPressTime(), std::numeric_limits<double>::max());
    QCOMPARE(manipulator->doubleClickInterval(), 0.30000001192092896);
  }

  void doubleClickTiming() {
    osg::ref_ptr<osgViewer::View> view = viewertest::makeTopDownView(100.0);
    view->setSceneData(groundScene());
    osg::ref_ptr<CameraManipulator> manipulator = new CameraManipulator;
    view->setCameraManipulator(manipulator);
    const int left = osgGA::GUIEventAdapter::LEFT_MOUSE_BUTTON;

    // The very first press is never a double click.
    manipulator->handle(*press(left, 0.5), *view);
    QVERIFY(!manipulator->isAnimating());
    QCOMPARE(manipulator->lastLeftPressTime(), 0.5);

    // Too fast (0.02 s) and too slow (0.5 s) are no double clicks.
    manipulator->handle(*press(left, 0.52), *view);
    QVERIFY(!manipulator->isAnimating());
    manipulator->handle(*press(left, 1.02), *view);
    QVERIFY(!manipulator->isAnimating());

    // Right and middle presses leave the last left press time alone.
    manipulator->handle(*press(osgGA::GUIEventAdapter::RIGHT_MOUSE_BUTTON, 1.1), *view);
    manipulator->handle(*press(osgGA::GUIEventAdapter::MIDDLE_MOUSE_BUTTON, 1.15), *view);
    QCOMPARE(manipulator->lastLeftPressTime(), 1.02);

    // Within the window: the manipulator flies to the picked point.
    manipulator->handle(*press(left, 1.2), *view);
    QVERIFY(manipulator->isAnimating());
    QCOMPARE(manipulator->lastLeftPressTime(), 1.2);
  }

  void homeLooksFromSouthAt45Degrees() {
    osg::ref_ptr<osg::Node> scene = groundScene();
    osg::ref_ptr<osgGA::OrbitManipulator> base = new osgGA::OrbitManipulator;
    base->setNode(scene);
    base->computeHomePosition();
    osg::Vec3d baseEye, baseCenter, baseUp;
    base->getHomePosition(baseEye, baseCenter, baseUp);

    osg::ref_ptr<CameraManipulator> manipulator = new CameraManipulator;
    manipulator->setNode(scene);
    manipulator->computeHomePosition();
    osg::Vec3d eye, center, up;
    manipulator->getHomePosition(eye, center, up);

    QCOMPARE(center, baseCenter);
    const osg::Vec3d d = eye - center;
    QVERIFY(std::fabs(d.length() - (baseEye - baseCenter).length()) < 1e-6);
    QVERIFY(std::fabs(d.x()) < 1e-9);
    QVERIFY(d.y() < 0.0);
    QVERIFY(std::fabs(d.z() + d.y()) < 1e-6);
  }

  void homeWithoutNodeKeepsBaseHome() {
    osg::ref_ptr<osgGA::OrbitManipulator> base = new osgGA::OrbitManipulator;
    base->computeHomePosition();
    osg::Vec3d baseEye, baseCenter, baseUp;
    base->getHomePosition(baseEye, baseCenter, baseUp);

    osg::ref_ptr<CameraManipulator> manipulator = new CameraManipulator;
    manipulator->computeHomePosition();
    osg::Vec3d eye, center, up;
    manipulator->getHomePosition(eye, center, up);
    QCOMPARE(eye, baseEye);
    QCOMPARE(center, baseCenter);
  }

  void rightButtonPansScaledByFieldOfView() {
    const osg::Vec3d eye(0, -50, 50), center(0, 0, 0), up(0, 0, 1);
    osg::ref_ptr<PlainOrbit> reference = new PlainOrbit;
    reference->setTransformation(eye, center, up);
    reference->pan(0.1 * 1.3 * 0.5, 0.05 * 1.3 * 0.5);

    osg::ref_ptr<CameraManipulator> manipulator = new CameraManipulator;
    manipulator->setTransformation(eye, center, up);
    manipulator->setFovFactor(0.5f);
    QCOMPARE(manipulator->panFactor(), 0.65f);
    QVERIFY(manipulator->performMovementRightMouseButton(0.0, 0.1, 0.05));
    QVERIFY((manipulator->getCenter() - reference->getCenter()).length() < 1e-9);
    QVERIFY(manipulator->getCenter().length() > 1.0);
  }

  void middleButtonDoesNothing() {
    osg::ref_ptr<CameraManipulator> manipulator = new CameraManipulator;
    manipulator->setTransformation(osg::Vec3d(0, -50, 50), osg::Vec3d(1, 2, 3), osg::Vec3d(0, 0, 1));
    QVERIFY(!manipulator->performMovementMiddleMouseButton(0.0, 0.5, 0.5));
    QCOMPARE(manipulator->getCenter(), osg::Vec3d(1, 2, 3));
  }
};

QTEST_GUILESS_MAIN(CameraManipulatorTest)
#include "CameraManipulatorTest.moc"
