#include <QtTest>

#include <cmath>
#include <limits>

#include "viewer/ViewerMath.h"

using namespace qvx::viewer;

class ViewerMathTest : public QObject {
  Q_OBJECT

 private slots:
  void ndcCornersAndCentre() {
    QCOMPARE(ndcFromWidget(0, 0, 200, 100), osg::Vec2d(-1, 1));
    QCOMPARE(ndcFromWidget(200, 100, 200, 100), osg::Vec2d(1, -1));
    QCOMPARE(ndcFromWidget(100, 50, 200, 100), osg::Vec2d(0, 0));
    // A collapsed widget must not produce infinities.
    QCOMPARE(ndcFromWidget(10, 10, 0, 0), osg::Vec2d(0, 0));
  }

  void buttonsAndScrolling() {
    QCOMPARE(osgButtonFromQt(Qt::LeftButton), 1);
    QCOMPARE(osgButtonFromQt(Qt::MiddleButton), 2);
    QCOMPARE(osgButtonFromQt(Qt::RightButton), 3);
    QCOMPARE(osgButtonFromQt(Qt::BackButton), 0);
    QCOMPARE(scrollMotionForDelta(-1), osgGA::GUIEventAdapter::SCROLL_UP);
    QCOMPARE(scrollMotionForDelta(0), osgGA::GUIEventAdapter::SCROLL_DOWN);
    QCOMPARE(scrollMotionForDelta(120), osgGA::GUIEventAdapter::SCROLL_DOWN);
    QCOMPARE(kZoomOutWheelDelta, -10 * kZoomInWheelDelta);
    QCOMPARE(scrollMotionForDelta(kZoomInWheelDelta), osgGA::GUIEventAdapter::SCROLL_DOWN);
    QCOMPARE(scrollMotionForDelta(kZoomOutWheelDelta), osgGA::GUIEventAdapter::SCROLL_UP);
  }

  void fieldOfViewStaysWithinLimits() {
    QCOMPARE(fieldOfViewAfterWheel(50.0f, 120), 56.0f);
    QCOMPARE(fieldOfViewAfterWheel(50.0f, -120), 44.0f);
    QCOMPARE(fieldOfViewAfterWheel(1.0f, -1200), 0.1f);
    QCOMPARE(fieldOfViewAfterWheel(84.0f, 120), 85.0f);
    QCOMPARE(fieldOfViewAfterWheel(0.1f, -120), 0.1f);
  }

  void distanceKeepsPickedPointSize() {
    const double d = distanceForFieldOfView(100.0, 50.0, 25.0);
    QVERIFY(std::fabs(d - 100.0 * std::sin(50.0 * M_PI / 180) / std::sin(25.0 * M_PI / 180)) < 1e-9);
    QCOMPARE(distanceForFieldOfView(100.0, 40.0, 40.0), 100.0);
  }

  void lodScaleFactorIsBounded() {
    QCOMPARE(lodScaleFactorForDistanceChange(100.0, 100.0), 1.0);
    QCOMPARE(lodScaleFactorForDistanceChange(100.0, 150.0), 0.5);
    QVERIFY(std::fabs(lodScaleFactorForDistanceChange(100.0, 1e9) - 0.01) < 1e-12);
    QVERIFY(std::fabs(lodScaleFactorForDistanceChange(100.0, 0.0) - 1.99) < 1e-12);
    // Extreme field-of-view steps still stay inside [0.01, 1.99].
    for (float oldFov : {0.1f, 1.0f, 50.0f, 85.0f}) {
      for (int delta : {-2400, -120, 120, 2400}) {
        const float newFov = fieldOfViewAfterWheel(oldFov, delta);
        const double factor = lodScaleFactorForDistanceChange(10.0, distanceForFieldOfView(10.0, oldFov, newFov));
        QVERIFY(factor >= 0.01 - 1e-12 && factor <= 1.99 + 1e-12);
      }
    }
  }

  void fovFactorIsOneAtDefault() {
    QCOMPARE(fieldOfViewFactor(50.0f), 1.0f);
    QVERIFY(fieldOfViewFactor(25.0f) < 1.0f);
  }

  void doubleClickWindow() {
    const double never = std::numeric_limits<double>::max();
    QVERIFY(!isDoubleClick(0.0, never, 0.3));
    QVERIFY(!isDoubleClick(1e6, never, 0.3));
    QVERIFY(isDoubleClick(10.1, 10.0, 0.3));
    QVERIFY(!isDoubleClick(10.03, 10.0, 0.3));
    QVERIFY(!isDoubleClick(10.3, 10.0, 0.3));
    QVERIFY(!isDoubleClick(11.0, 10.0, 0.3));
  }

  void homeEyeLooksFromSouthAt45Degrees() {
    const osg::Vec3d center(10, 20, 5);
    const osg::Vec3d eye = homeEyeFromSouth(center + osg::Vec3d(0, -100, 0), center);
    const osg::Vec3d d = eye - center;
    QVERIFY(std::fabs(d.length() - 100.0) < 1e-9);
    QVERIFY(std::fabs(d.x()) < 1e-9);
    QVERIFY(d.y() < 0);
    QVERIFY(std::fabs(d.z() + d.y()) < 1e-9);
  }

  void faceNorthPutsEyeSouth() {
    const osg::Vec3d center(5, 5, 0);
    const LookAt view = faceNorthView(center + osg::Vec3d(30, 40, 20), center);
    QVERIFY((view.eye - (center + osg::Vec3d(0, -50, 20))).length() < 1e-9);
    QCOMPARE(view.center, center);
    QCOMPARE(view.up, osg::Vec3d(0, 0, 1));
    // Already south: unchanged.
    const LookAt south = faceNorthView(center + osg::Vec3d(0, -10, 10), center);
    QVERIFY((south.eye - (center + osg::Vec3d(0, -10, 10))).length() < 1e-9);
    // Straight down: the vertical axis cannot be up, north is.
    const LookAt down = faceNorthView(center + osg::Vec3d(0, 0, 10), center);
    QCOMPARE(down.eye, center + osg::Vec3d(0, 0, 10));
    QCOMPARE(down.up, osg::Vec3d(0, 1, 0));
  }

  void textureModeSteps() {
    QCOMPARE(nextTextureMode(0, true, true), 1);
    QCOMPARE(nextTextureMode(0, true, false), 2);
    QCOMPARE(nextTextureMode(1, false, true), 2);
    QCOMPARE(nextTextureMode(2, false, false), 3);
    QCOMPARE(nextTextureMode(3, true, false), 0);
    QCOMPARE(nextTextureMode(3, false, true), 1);
    QCOMPARE(nextTextureMode(3, false, false), 2);
  }

  void shadingAndPolygonSteps() {
    QCOMPARE(nextShadingMode(0), 1);
    QCOMPARE(nextShadingMode(1), 0);
    QCOMPARE(nextShadingMode(2), 2);
    QCOMPARE(nextPolygonMode(osg::PolygonMode::FILL), osg::PolygonMode::LINE);
    QCOMPARE(nextPolygonMode(osg::PolygonMode::LINE), osg::PolygonMode::POINT);
    QCOMPARE(nextPolygonMode(osg::PolygonMode::POINT), osg::PolygonMode::FILL);
  }

  void defaultModesFollowTheData() {
    QCOMPARE(defaultDisplayModes(true, true).textureMode, 0);
    QCOMPARE(defaultDisplayModes(true, false).shadingMode, 1);
    QCOMPARE(defaultDisplayModes(false, false).textureMode, 3);
    QCOMPARE(defaultDisplayModes(false, false).shadingMode, 0);
    QCOMPARE(defaultDisplayModes(false, true).textureMode, 1);
    QCOMPARE(defaultDisplayModes(false, true).shadingMode, 1);
  }

  void augmentSizes() {
    const osg::Vec3d center(0, 0, 0);
    // 50 / (1000 / 10) = 0.5 -> at least 1.
    QCOMPARE(boundingBoxWidth(center, 10.0, osg::Vec3d(1000, 0, 0), 1.0f), 1.0f);
    // 50 / (200 / 10) = 2.5.
    QCOMPARE(boundingBoxWidth(center, 10.0, osg::Vec3d(200, 0, 0), 1.0f), 2.5f);
    QCOMPARE(boundingBoxWidth(center, 10.0, osg::Vec3d(200, 0, 0), 0.5f), 1.25f);
    // Close up -> at most 4; at the centre and for an empty box still finite.
    QCOMPARE(boundingBoxWidth(center, 10.0, osg::Vec3d(1, 0, 0), 1.0f), 4.0f);
    QCOMPARE(boundingBoxWidth(center, 10.0, center, 1.0f), 4.0f);
    QCOMPARE(boundingBoxWidth(center, 0.0, osg::Vec3d(5, 0, 0), 1.0f), 1.0f);
    QCOMPARE(rotationCenterScale(center, osg::Vec3d(0, 0, 1000), 1.0f), 2.0);
    QCOMPARE(rotationCenterScale(center, osg::Vec3d(0, 0, 1000), 0.5f), 1.0);
  }

  void validPoints() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QVERIFY(isValidPoint(osg::Vec3d(1, 2, 3)));
    QVERIFY(!isValidPoint(osg::Vec3d(nan, nan, nan)));
  }
};

QTEST_APPLESS_MAIN(ViewerMathTest)
#include "ViewerMathTest.moc"
