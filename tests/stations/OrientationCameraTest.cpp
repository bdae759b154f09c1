#include <QtTest>

#include <cmath>

#include "stations/OrientationCamera.h"
#include "vx/CameraParameters.h"

using qvx::stations::projectionFromOrientation;
using qvx::stations::viewMatrixFromOrientation;

namespace {

// Window position (x right, y up, in pixels of a viewport the size of the plane) -> image position
// (row from the top).
osg::Vec2d windowToPixel(const qvx::stations::ImagePlane& plane, const osg::Vec2d& window) {
  return osg::Vec2d(window.x(), plane.height - window.y());
}

vx::ImageOrientation obliqueCamera(double cx, double cy) {
  vx::ImageOrientation o;
  o.setImageName("IMG_0007.jpg");
  o.setImageSize(1600, 1200);
  o.setFocalLength(1700.0);
  o.setPrincipalPoint(cx, cy);
  o.setProjectionCenter({{482100.0, 5361050.0, 320.0}});
  o.setRotation(vx::lookRotation({{0.3, 0.5, -0.8}}, {{0.0, 0.0, 1.0}}));
  return o;
}

// What OpenGL does with the matrices: window x to the right, y up, in pixels of the viewport.
osg::Vec2d throughMatrices(const vx::ImageOrientation& o, const osg::Vec3d& world, double* depth = nullptr) {
  const osg::Vec4d clip = osg::Vec4d(world, 1.0) * viewMatrixFromOrientation(o) * projectionFromOrientation(o);
  const osg::Vec3d ndc(clip.x() / clip.w(), clip.y() / clip.w(), clip.z() / clip.w());
  if (depth) *depth = ndc.z();
  return osg::Vec2d((ndc.x() + 1.0) * 0.5 * o.width(), (ndc.y() + 1.0) * 0.5 * o.height());
}

osg::Vec2d throughMatrices(const qvx::stations::ImagePlane& plane, const osg::Matrixd& view, const osg::Vec3d& world) {
  const osg::Vec4d clip = osg::Vec4d(world, 1.0) * view * qvx::stations::projectionOf(plane);
  return osg::Vec2d((clip.x() / clip.w() + 1.0) * 0.5 * plane.width, (clip.y() / clip.w() + 1.0) * 0.5 * plane.height);
}

}  // namespace

class OrientationCameraTest : public QObject {
  Q_OBJECT

 private slots:
  // The pinhole rule and the matrices the GPU uses must land every point on the same pixel,
  // whatever the principal point: a flipped axis or a mirrored row order shows up here.
  void pixelRuleAndMatricesAgree_data() {
    QTest::addColumn<double>("cx");
    QTest::addColumn<double>("cy");
    QTest::newRow("centre") << 799.5 << 599.5;
    QTest::newRow("off centre") << 650.25 << 710.75;
  }
  void pixelRuleAndMatricesAgree() {
    QFETCH(double, cx);
    QFETCH(double, cy);
    const vx::ImageOrientation o = obliqueCamera(cx, cy);
    int seen = 0;
    for (int i = -5; i <= 5; ++i) {
      for (int j = -5; j <= 5; ++j) {
        const osg::Vec3d world(482100.0 + 40.0 * i + 60.0, 5361050.0 + 35.0 * j + 140.0, 5.0 * ((i * j) % 7));
        osg::Vec2d pixel;
        if (!qvx::stations::worldToPixel(o, world, pixel)) continue;
        double depth = 0.0;
        const osg::Vec2d window = throughMatrices(o, world, &depth);
        const osg::Vec2d fromWindow = windowToPixel(qvx::stations::imagePlaneOf(o), window);
        QVERIFY2(std::abs(fromWindow.x() - pixel.x()) < 1e-6 && std::abs(fromWindow.y() - pixel.y()) < 1e-6,
                 qPrintable(QString("(%1, %2) vs (%3, %4)").arg(fromWindow.x()).arg(fromWindow.y()).arg(pixel.x()).arg(pixel.y())));
        QVERIFY(depth > -1.0 && depth < 1.0);
        ++seen;
      }
    }
    QVERIFY(seen > 50);
  }

  // The principal point is where the optical axis pierces the image; the eye looks along the
  // camera's z axis with image up on screen up.
  void viewMatrixLooksAlongTheCameraAxis() {
    const vx::ImageOrientation o = obliqueCamera(700.0, 500.0);
    osg::Vec3d eye, centre, up;
    viewMatrixFromOrientation(o).getLookAt(eye, centre, up);
    QVERIFY((eye - osg::Vec3d(482100.0, 5361050.0, 320.0)).length() < 1e-6);
    const auto& r = o.rotation();
    const osg::Vec3d forward = centre - eye;
    QVERIFY((forward - osg::Vec3d(r[6], r[7], r[8])).length() < 1e-9);
    QVERIFY((up + osg::Vec3d(r[3], r[4], r[5])).length() < 1e-9);  // image rows run down
    const osg::Vec2d axis = throughMatrices(o, eye + forward * 100.0);
    QVERIFY(std::abs(axis.x() - 700.0) < 1e-6);
    QVERIFY(std::abs(windowToPixel(qvx::stations::imagePlaneOf(o), axis).y() - 500.0) < 1e-6);
  }

  // A true-ortho tile seen from above: pixel (u, v) of the tile image shows the ground point
  // x0 + u * gsd, y0 - v * gsd, whatever the height.
  void orthoProjectionMapsTheTileOntoTheImage() {
    const double tile = 100.0;
    const int pixels = 256;
    const double x0 = 482000.0, y0 = 5361200.0;
    vx::ImageOrientation o;
    o.setImageSize(pixels, pixels);
    o.setFocalLength(pixels);
    o.setPrincipalPoint(pixels / 2.0, pixels / 2.0);
    o.setProjectionCenter({{x0 + tile / 2.0, y0 - tile / 2.0, 10000.0 * 0.39 + 12.0}});
    o.setRotation({{1, 0, 0, 0, -1, 0, 0, 0, -1}});
    o.setOrtho(true);
    // In metres, as the overlay draws it at zoom = tile / pixels into a viewport of the tile's size.
    const qvx::stations::ImagePlane metres = qvx::stations::viewportImagePlane(o, pixels, pixels, tile / pixels, {0.0, 0.0});
    QCOMPARE(metres.width, tile);
    for (double z : {0.0, 250.0}) {
      const osg::Vec2d window = throughMatrices(metres, viewMatrixFromOrientation(o), osg::Vec3d(x0 + 25.0, y0 - 75.0, z));
      const osg::Vec2d pixel = windowToPixel(metres, window);
      QVERIFY2(std::abs(pixel.x() - 25.0) < 1e-6, qPrintable(QString::number(pixel.x())));
      QVERIFY2(std::abs(pixel.y() - 75.0) < 1e-6, qPrintable(QString::number(pixel.y())));
    }
  }

  // The overlay's viewport copy: the image becomes the viewport times the zoom, and the
  // principal point keeps its offset from the centre plus the pan.
  void viewportImagePlaneScalesAndPans() {
    const vx::ImageOrientation o = obliqueCamera(850.0, 580.0);  // 50 right, 20 up of the centre
    const qvx::stations::ImagePlane v = qvx::stations::viewportImagePlane(o, 1000, 800, 2.0, {10.0, -4.0});
    QCOMPARE(v.width, 2000.0);
    QCOMPARE(v.height, 1600.0);
    QCOMPARE(v.cx, 1000.0 + 50.0 + 10.0);
    QCOMPARE(v.cy, 800.0 - 20.0 - 4.0);
    QCOMPARE(v.focal, o.focalLength());
    // At zoom 1 without pan the viewport shows the photo pixel for pixel around its principal point.
    const qvx::stations::ImagePlane same = qvx::stations::viewportImagePlane(o, 1600, 1200, 1.0, {});
    QCOMPARE(same.cx, o.principalPointX());
    QCOMPARE(same.cy, o.principalPointY());
  }

  void normalizingRefusesWhatCannotBeDrawn() {
    vx::ImageOrientation good = obliqueCamera(800.0, 600.0);
    auto r = good.rotation();
    r[0] *= 1.001;  // rounding in a foreign file
    good.setRotation(r);
    QVERIFY(vx::normalizeCameraParameters(good));
    const auto& n = good.rotation();
    QVERIFY(std::abs(n[0] * n[0] + n[1] * n[1] + n[2] * n[2] - 1.0) < 1e-12);

    vx::ImageOrientation noFocal = obliqueCamera(800.0, 600.0);
    noFocal.setFocalLength(0.0);
    QVERIFY(!vx::normalizeCameraParameters(noFocal));
    vx::ImageOrientation noSize = obliqueCamera(800.0, 600.0);
    noSize.setImageSize(0, 1200);
    QVERIFY(!vx::normalizeCameraParameters(noSize));
    vx::ImageOrientation nan = obliqueCamera(800.0, 600.0);
    nan.setProjectionCenter({{NAN, 0.0, 0.0}});
    QVERIFY(!vx::normalizeCameraParameters(nan));
    vx::ImageOrientation mirrored = obliqueCamera(800.0, 600.0);
    mirrored.setRotation({{1, 0, 0, 0, 1, 0, 0, 0, -1}});
    QVERIFY(!vx::normalizeCameraParameters(mirrored));
  }
};

QTEST_GUILESS_MAIN(OrientationCameraTest)
#include "OrientationCameraTest.moc"
