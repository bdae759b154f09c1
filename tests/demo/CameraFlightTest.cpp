#include <algorithm>
#include <cmath>
#include <set>

#include <QTest>

#include "demo/CameraFlight.h"
#include "demo/TerrainModel.h"
#include "demo/TileLayout.h"

class CameraFlightTest : public QObject {
  Q_OBJECT

 private slots:
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
    demo::DemoOptions options;
    options.tiles = tiles;
    const demo::MeshLayout layout = demo::MeshLayout::fromOptions(options);
    const demo::TerrainModel terrain(1, layout.extent());
    const std::vector<demo::FlightCamera> cameras = demo::planFlight(terrain, layout, images);
    QCOMPARE(int(cameras.size()), images);
    std::set<std::string> names;
    int nadir = 0;
    for (const demo::FlightCamera& camera : cameras) {
      const vx::ImageOrientation& o = camera.orientation;
      names.insert(o.imageName());
      const double tilt = std::acos(-o.rotation()[8]) * 180.0 / M_PI;
      nadir += camera.nadir ? 1 : 0;
      QVERIFY(camera.nadir ? tilt < 1e-6 : tilt > 5.0 && tilt < 40.5);
      // The third rotation row is the viewing direction: it projects onto the principal point.
      const auto& r = o.rotation();
      const auto& c = o.projectionCenter();
      double u = 0.0, v = 0.0;
      QVERIFY(o.project({{c[0] + 5 * r[6], c[1] + 5 * r[7], c[2] + 5 * r[8]}}, u, v));
      QVERIFY(std::abs(u - 800.0) < 1e-6 && std::abs(v - 600.0) < 1e-6);
    }
    QCOMPARE(int(names.size()), images);
    QVERIFY(names.count("IMG_0001.jpg"));
    QVERIFY(nadir >= 1 && (images == 1 || nadir < images));
    // Neighbouring strips are flown in opposite directions.
    for (size_t i = 1; i < cameras.size(); ++i) {
      if (cameras[i].strip != cameras[i - 1].strip) continue;
      const double step = cameras[i].alongTrack - cameras[i - 1].alongTrack;
      QVERIFY(cameras[i].strip % 2 == 0 ? step > 0 : step < 0);
    }
    // Every part of the area is photographed.
    for (int j = 0; j <= 4; ++j) {
      for (int i = 0; i <= 4; ++i) {
        const double x = layout.extent() * i / 4, y = layout.extent() * j / 4;
        const vx::ImageOrientation::Vec3 p{{layout.origin.x() + x, layout.origin.y() + y, terrain.groundHeight(x, y)}};
        QVERIFY(std::any_of(cameras.begin(), cameras.end(), [&](const demo::FlightCamera& c) {
          double u = 0.0, v = 0.0;
          return c.orientation.project(p, u, v) && u >= 0 && v >= 0 && u < 1600 && v < 1200;
        }));
      }
    }
    const vx::StereoModels topology = demo::stereoTopology(cameras, layout);
    QCOMPARE(topology.imageCount(), images);
    for (int i = 0; i + 1 < images; ++i) {
      if (cameras[size_t(i)].strip == cameras[size_t(i) + 1].strip) QVERIFY(topology.isPair(i, i + 1));
    }
  }
};

QTEST_GUILESS_MAIN(CameraFlightTest)
#include "CameraFlightTest.moc"
