#include <algorithm>
#include <cmath>
#include <set>

#include <QTest>

#include "demo/CameraFlight.h"
#include "demo/TerrainModel.h"
#include "demo/TexturePainter.h"
#include "demo/TileLayout.h"

namespace {

// Points on a 5 x 5 grid over a building's footprint.
std::vector<std::pair<double, double>> footprint(const demo::Building& b) {
  std::vector<std::pair<double, double>> points;
  for (int j = 0; j <= 4; ++j) {
    for (int i = 0; i <= 4; ++i) {
      const double u = b.halfLength * (i / 2.0 - 1.0);
      const double v = b.halfWidth * (j / 2.0 - 1.0);
      points.emplace_back(b.cx + u * b.cosA - v * b.sinA, b.cy + u * b.sinA + v * b.cosA);
    }
  }
  return points;
}

demo::MeshLayout layoutOf(int tiles) {
  demo::DemoOptions options;
  options.tiles = tiles;
  return demo::MeshLayout::fromOptions(options);
}

double tiltDegrees(const vx::ImageOrientation& o) { return std::acos(-o.rotation()[8]) * 180.0 / 3.14159265358979323846; }

}  // namespace

class TerrainAndFlightTest : public QObject {
  Q_OBJECT

 private slots:
  void sameSeedSameWorld() {
    const demo::TerrainModel a(11, 400.0);
    const demo::TerrainModel b(11, 400.0);
    const demo::TerrainModel c(12, 400.0);
    QCOMPARE(a.buildings().size(), b.buildings().size());
    for (size_t i = 0; i < a.buildings().size(); ++i) {
      QCOMPARE(a.buildings()[i].cx, b.buildings()[i].cx);
      QCOMPARE(a.buildings()[i].ridgeZ, b.buildings()[i].ridgeZ);
    }
    QCOMPARE(a.surfaceHeight(123.4, 321.0), b.surfaceHeight(123.4, 321.0));
    QVERIFY(a.surfaceHeight(123.4, 321.0) != c.surfaceHeight(123.4, 321.0));
  }

  void landscapeHasEveryKindOfFeature_data() {
    QTest::addColumn<double>("extent");
    QTest::newRow("one tile") << 100.0;
    QTest::newRow("default") << 400.0;
    QTest::newRow("benchmark") << 1600.0;
  }
  void landscapeHasEveryKindOfFeature() {
    QFETCH(double, extent);
    for (unsigned seed = 1; seed <= 5; ++seed) {
      const demo::TerrainModel terrain(seed, extent);
      QVERIFY(terrain.roads().size() >= 2);
      QVERIFY(!terrain.villages().empty());
      QVERIFY2(terrain.buildings().size() >= 3, qPrintable(QString::number(seed)));
      QVERIFY(terrain.treeCount() > 0);
    }
  }

  void buildingsStandFreeOfRoadsAndEachOther() {
    for (unsigned seed = 1; seed <= 3; ++seed) {
      const demo::TerrainModel terrain(seed, 400.0);
      const auto& buildings = terrain.buildings();
      for (size_t i = 0; i < buildings.size(); ++i) {
        for (const auto& p : footprint(buildings[i])) {
          demo::RoadHit road;
          QVERIFY(!terrain.roadAt(p.first, p.second, 0.0, road));
          QVERIFY(p.first > 0 && p.second > 0 && p.first < 400 && p.second < 400);
          for (size_t k = 0; k < buildings.size(); ++k) {
            if (k == i) continue;
            double u = 0.0;
            double v = 0.0;
            buildings[k].toLocal(p.first, p.second, u, v);
            QVERIFY(std::abs(u) > buildings[k].halfLength || std::abs(v) > buildings[k].halfWidth);
          }
        }
      }
    }
  }

  void roofsRiseAboveTheGround() {
    const demo::TerrainModel terrain(2, 400.0);
    for (const demo::Building& b : terrain.buildings()) {
      const double roof = terrain.surfaceHeight(b.cx, b.cy);
      QVERIFY(roof >= terrain.groundHeight(b.cx, b.cy) + 3.0);
      QVERIFY(b.ridgeZ >= b.eaveZ);
      QCOMPARE(roof, std::max(b.ridgeZ, roof));
    }
  }

  void painterShowsRoadsAndRoofsApart() {
    const demo::TerrainModel terrain(2, 400.0);
    const demo::TexturePainter painter(terrain);
    const demo::Road& road = terrain.roads().front();
    const double along = 10.0;
    const demo::Rgb asphalt = painter.colour(road.centre(along) + 1.2, along);
    QVERIFY(std::abs(asphalt.r - asphalt.b) < 20 && asphalt.g < 120);  // grey
    const demo::Building& house = terrain.buildings().front();
    const demo::Rgb roof = painter.colour(house.cx + 0.3 * house.halfLength * house.cosA, house.cy + 0.3 * house.halfLength * house.sinA);
    QVERIFY(std::abs(roof.r - asphalt.r) + std::abs(roof.g - asphalt.g) + std::abs(roof.b - asphalt.b) > 1.0);
    const osg::ref_ptr<osg::Image> image = painter.paint(0.0, 0.0, 100.0, 32);
    QCOMPARE(image->s(), 32);
    QCOMPARE(image->t(), 32);
    QCOMPARE(image->getPixelFormat(), static_cast<GLenum>(GL_RGB));
  }

  void reducingAveragesBlocks() {
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(4, 4, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int row = 0; row < 4; ++row) {
      for (int column = 0; column < 4; ++column) {
        unsigned char* p = image->data(column, row);
        p[0] = static_cast<unsigned char>(10 * column);
        p[1] = static_cast<unsigned char>(10 * row);
        p[2] = 7;
      }
    }
    const osg::ref_ptr<osg::Image> reduced = demo::reduceBlock(*image, 2, 0, 2, 2);
    QCOMPARE(reduced->s(), 1);
    QCOMPARE(static_cast<int>(reduced->data(0, 0)[0]), 25);
    QCOMPARE(static_cast<int>(reduced->data(0, 0)[1]), 5);
    QCOMPARE(static_cast<int>(reduced->data(0, 0)[2]), 7);
  }

  void flightIsASerpentineOfNadirAndObliqueImages_data() {
    QTest::addColumn<int>("tiles");
    QTest::addColumn<int>("images");
    QTest::newRow("default") << 4 << 24;
    QTest::newRow("benchmark") << 16 << 24;
    QTest::newRow("one image") << 1 << 1;
    QTest::newRow("uneven strips") << 4 << 17;
  }
  void flightIsASerpentineOfNadirAndObliqueImages() {
    QFETCH(int, tiles);
    QFETCH(int, images);
    const demo::MeshLayout layout = layoutOf(tiles);
    const demo::TerrainModel terrain(1, layout.extent());
    const std::vector<demo::FlightCamera> cameras = demo::planFlight(terrain, layout, images);
    QCOMPARE(static_cast<int>(cameras.size()), images);
    std::set<std::string> names;
    int nadir = 0;
    for (const demo::FlightCamera& camera : cameras) {
      const vx::ImageOrientation& o = camera.orientation;
      names.insert(o.imageName());
      const auto& r = o.rotation();
      for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
          const double dot = r[3 * a] * r[3 * b] + r[3 * a + 1] * r[3 * b + 1] + r[3 * a + 2] * r[3 * b + 2];
          QVERIFY(std::abs(dot - (a == b ? 1.0 : 0.0)) < 1e-9);
        }
      }
      if (camera.nadir) {
        ++nadir;
        QVERIFY(tiltDegrees(o) < 1e-6);
      } else {
        QVERIFY(tiltDegrees(o) > 5.0 && tiltDegrees(o) < 40.5);
      }
      // The third rotation row is the viewing direction: it projects onto the principal point.
      double u = 0.0;
      double v = 0.0;
      const auto& c = o.projectionCenter();
      QVERIFY(o.project({{c[0] + 5 * r[6], c[1] + 5 * r[7], c[2] + 5 * r[8]}}, u, v));
      QVERIFY(std::abs(u - 800.0) < 1e-6 && std::abs(v - 600.0) < 1e-6);
    }
    QCOMPARE(static_cast<int>(names.size()), images);
    QVERIFY(names.count("IMG_0001.jpg"));
    QVERIFY(nadir >= 1);
    if (images > 1) QVERIFY(nadir < images);
    // Neighbouring strips are flown in opposite directions.
    for (size_t i = 1; i < cameras.size(); ++i) {
      if (cameras[i].strip != cameras[i - 1].strip) continue;
      const double step = cameras[i].alongTrack - cameras[i - 1].alongTrack;
      QVERIFY(cameras[i].strip % 2 == 0 ? step > 0 : step < 0);
    }
    // Every part of the area is photographed.
    for (int j = 0; j <= 4; ++j) {
      for (int i = 0; i <= 4; ++i) {
        const double x = layout.extent() * i / 4;
        const double y = layout.extent() * j / 4;
        const vx::ImageOrientation::Vec3 p{{layout.origin.x() + x, layout.origin.y() + y, terrain.groundHeight(x, y)}};
        QVERIFY(std::any_of(cameras.begin(), cameras.end(), [&](const demo::FlightCamera& c) {
          double u = 0.0;
          double v = 0.0;
          return c.orientation.project(p, u, v) && u >= 0 && v >= 0 && u < 1600 && v < 1200;
        }));
      }
    }
    const vx::StereoModels topology = demo::stereoTopology(cameras, layout);
    QCOMPARE(topology.imageCount(), images);
    for (int i = 0; i + 1 < images; ++i) {
      if (cameras[static_cast<size_t>(i)].strip == cameras[static_cast<size_t>(i) + 1].strip) QVERIFY(topology.isPair(i, i + 1));
    }
  }
};

QTEST_GUILESS_MAIN(TerrainAndFlightTest)
#include "TerrainAndFlightTest.moc"
