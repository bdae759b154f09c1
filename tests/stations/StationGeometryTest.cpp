#include <QtTest>

#include <cmath>

#include "StationTestData.h"
#include "stations/CamTransNode.h"
#include "stations/OrientationCamera.h"
#include "stations/OverlayGeometry.h"
#include "stations/StationGeometry.h"

using namespace qvx::osgcam;

namespace {

// A corner of the station's quad in world coordinates, as the station's transform places it.
osg::Vec3d toWorld(const CamTransNode& station, const osg::Vec3& corner) {
  return osg::Vec3d(corner) * station.getMatrix();
}

}  // namespace

class StationGeometryTest : public QObject {
  Q_OBJECT

 private slots:
  void colourTable() {
    for (int i = 0; i < 20; ++i) {
      const osg::Vec4 random = stationColor(0);
      for (int c = 0; c < 3; ++c) QVERIFY(random[c] >= 0.7f && random[c] <= 1.0f);
      QCOMPARE(random.a(), 1.0f);
    }
    QCOMPARE(stationColor(11), osg::Vec4(1, 1, 1, 0.7f));
    QCOMPARE(stationColor(11), stationColor(8));
    QCOMPARE(stationColor(-1), stationColor(8));
    QCOMPARE(stationColor(3), osg::Vec4(0.0f, 0.651f, 0.8784f, 0.7f));
    // Unselected: white at alpha 0.2 with a grey frame.
    QCOMPARE(stationColor(lookColors(StationLook::Unselected).image), osg::Vec4(1, 1, 1, 0.2f));
    QCOMPARE(stationColor(lookColors(StationLook::Unselected).frame), osg::Vec4(0.5f, 0.5f, 0.5f, 0.2f));
    QCOMPARE(lookColors(StationLook::Picked).image, lookColors(StationLook::Selected).frame);
  }

  // Principal point in the image centre (pixel rule: W / 2, H / 2): the quad is centred on the
  // axis, and so is its frame.
  void centredPrincipalPointGivesACentredQuad() {
    vx::ImageOrientation o = stationtests::camera("a.jpg", 0, 0);
    o.setPrincipalPoint(800.0, 600.0);
    const auto quad = imageQuadCorners(o);
    const auto frame = frameQuadCorners(o);
    for (int i = 0; i < 2; ++i) {
      QVERIFY(std::abs((quad[i] + quad[i + 2]).x()) < 1e-6 && std::abs((quad[i] + quad[i + 2]).y()) < 1e-6);
      QVERIFY(std::abs((frame[i] + frame[i + 2]).x()) < 1e-6 && std::abs((frame[i] + frame[i + 2]).y()) < 1e-6);
    }
    QCOMPARE(quad[1].x(), float(800.0 / 1700.0));
    QCOMPARE(quad[0].z(), 1.0f);
    QVERIFY(frame[0].z() > quad[0].z());  // just behind
    QVERIFY(frame[1].x() > quad[1].x() && frame[0].y() > quad[0].y());
  }

  // Every corner of the textured quad lies on the ray of the photo pixel its texture coordinate
  // names: (s * W, t * H) with rows counted from the top. A mirrored or upside-down photo, or a
  // half-pixel shift of the principal point, fails here.
  void texturedQuadLiesOnTheRaysOfItsPixels() {
    const vx::ImageOrientation o = stationtests::camera("a.jpg", 100.0, -40.0, 250.0, {{0.4, 0.3, -0.8}});
    osg::ref_ptr<CamTransNode> station = new CamTransNode(o, true);
    station->setScale(7.5);
    station->recomputeMatrix();
    const auto quad = imageQuadCorners(o);
    const auto tex = imageQuadTexCoords();
    for (int i = 0; i < 4; ++i) {
      osg::Vec2d pixel;
      QVERIFY(qvx::stations::worldToPixel(o, toWorld(*station, quad[i]), pixel));
      QVERIFY2(std::abs(pixel.x() - tex[i].x() * o.width()) < 1e-3 && std::abs(pixel.y() - tex[i].y() * o.height()) < 1e-3,
               qPrintable(QString("corner %1 at (%2, %3)").arg(i).arg(pixel.x()).arg(pixel.y())));
    }
  }

  // A true-ortho tile's quad covers its tile on the map, north up: texture (s, t) lies over
  // (x0 + s * tile, y0 - t * tile * H / W).
  void orthoQuadCoversItsTile() {
    const double x0 = 1000.0, y0 = 2000.0, tile = 50.0;
    const vx::ImageOrientation o = qvx::image::trueOrthoOrientation(200, 100, x0, y0, tile, 0.25, 30.0);
    osg::ref_ptr<CamTransNode> station = new CamTransNode(o, true);
    const auto quad = imageQuadCorners(o, tile / 200.0);
    const auto tex = imageQuadTexCoords();
    for (int i = 0; i < 4; ++i) {
      const osg::Vec3d world = toWorld(*station, quad[i]);
      QVERIFY(std::abs(world.x() - (x0 + tex[i].x() * tile)) < 1e-6);
      QVERIFY(std::abs(world.y() - (y0 - tex[i].y() * tile / 2.0)) < 1e-6);
      QVERIFY(world.z() < o.projectionCenter()[2]);
    }
  }

  void commonScale() {
    QCOMPARE(commonScaleFactor(1000.0, 100, 2000), 30.0);
    QCOMPARE(commonScaleFactor(1000.0, 0, 2000), 1.0);
    QCOMPARE(commonScaleFactor(0.0, 5, 2000), 1.0);
  }
};

QTEST_GUILESS_MAIN(StationGeometryTest)
#include "StationGeometryTest.moc"
