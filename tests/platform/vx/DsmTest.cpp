#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <random>

#include "TestProjects.h"
#include "TestShapefiles.h"
#include "vx/Dsm.h"
#include "vx/HeightGrid.h"
#include "vx/Las.h"
#include "vx/WriteFaults.h"

using testprojects::errorOf;
using testprojects::readText;
using testprojects::writeShapefile;
using testprojects::writeText;
namespace dsm = vx::dsm;

namespace {

constexpr double kWest = 482000.0, kSouth = 5361000.0, kSize = 120.0, kGsd = 0.5;

struct Box {
  double x0, y0, x1, y1, height;
};
const Box kBuildings[] = {{30, 30, 50, 45, 12}, {70, 60, 95, 70, 8}};

// Rolling ground with two flat-roofed buildings, in metres above the local origin.
double trueHeight(double x, double y) {
  const double lx = x - kWest, ly = y - kSouth;
  double z = 300.0 + 3.0 * std::sin(lx / 25.0) + 2.0 * std::cos(ly / 17.0);
  for (const Box& b : kBuildings)
    if (lx >= b.x0 && lx < b.x1 && ly >= b.y0 && ly < b.y1) z += b.height;
  return z;
}

// Cells this close to a building's outline straddle its wall.
bool nearAnEdge(double x, double y, double margin) {
  const double lx = x - kWest, ly = y - kSouth;
  for (const Box& b : kBuildings) {
    const bool nearX = lx > b.x0 - margin && lx < b.x1 + margin;
    const bool nearY = ly > b.y0 - margin && ly < b.y1 + margin;
    const bool inner = lx > b.x0 + margin && lx < b.x1 - margin && ly > b.y0 + margin && ly < b.y1 - margin;
    if (nearX && nearY && !inner) return true;
  }
  return false;
}

// In the shadow north of a building, where an oblique look from the south sees no ground.
bool shadowed(double x, double y) {
  const double lx = x - kWest, ly = y - kSouth;
  for (const Box& b : kBuildings)
    if (lx >= b.x0 && lx < b.x1 && ly >= b.y1 && ly < b.y1 + 0.5 * b.height) return true;
  return false;
}

// As a dense matching delivers them: about three points a cell, noise of 0.3 GSD, none in shadows.
std::vector<vx::las::Point> matchedPoints(unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> where(0.0, kSize);
  std::normal_distribution<double> noise(0.0, 0.3 * kGsd);
  std::vector<vx::las::Point> points;
  const int count = int(3 * (kSize / kGsd) * (kSize / kGsd));
  for (int i = 0; i < count; ++i) {
    vx::las::Point p;
    p.x = kWest + where(random);
    p.y = kSouth + where(random);
    if (shadowed(p.x, p.y)) continue;
    p.z = trueHeight(p.x, p.y) + noise(random);
    points.push_back(p);
  }
  return points;
}

vx::HeightGrid tileCells() {
  const int cells = int(kSize / kGsd);
  return vx::HeightGrid(kWest, kSouth + kSize, kGsd, cells, cells);
}

double percentile(std::vector<double> values, double fraction) {
  const auto at = values.begin() + std::ptrdiff_t(fraction * double(values.size() - 1));
  std::nth_element(values.begin(), at, values.end());
  return *at;
}

}  // namespace

class DsmTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  // Against the true surface: the median error at most half a cell, the 95th percentile away from
  // building walls at most three cells; shadows beside buildings take the ground, not the roof.
  void griddedHeightsMatchTheTrueSurface() {
    dsm::TileGridder gridder(tileCells());
    const std::vector<vx::las::Point> points = matchedPoints(11);
    for (std::size_t begin = 0; begin < points.size(); begin += 5000) {
      const std::size_t end = std::min(points.size(), begin + 5000);
      gridder.add(std::vector<vx::las::Point>(points.begin() + std::ptrdiff_t(begin), points.begin() + std::ptrdiff_t(end)));
    }
    const vx::HeightGrid grid = gridder.finish({});
    std::vector<double> all, awayFromEdges;
    int shadowCells = 0;
    for (int row = 0; row < grid.rows; ++row) {
      for (int column = 0; column < grid.columns; ++column) {
        const double x = grid.centreX(column), y = grid.centreY(row);
        const float h = grid.at(column, row);
        QVERIFY2(!std::isnan(h), qPrintable(QString("cell %1 %2 has no height").arg(column).arg(row)));
        const double error = std::abs(h - trueHeight(x, y));
        all.push_back(error);
        if (!nearAnEdge(x, y, 3 * kGsd)) awayFromEdges.push_back(error);
        if (shadowed(x, y) && !nearAnEdge(x, y, 3 * kGsd)) {
          ++shadowCells;
          QVERIFY2(error < 1.0, qPrintable(QString("shadow cell %1 %2 is %3 m off: %4 for %5 (%6 %7)").arg(column).arg(row).arg(error).arg(h).arg(trueHeight(x, y)).arg(x - kWest).arg(y - kSouth)));
        }
      }
    }
    QVERIFY(shadowCells > 100);
    const double median = percentile(all, 0.5), p95 = percentile(awayFromEdges, 0.95);
    qInfo("DSM against the true surface at GSD %.2f m: median %.3f m, 95th percentile away from walls %.3f m",
          kGsd, median, p95);
    QVERIFY2(median <= 0.5 * kGsd, qPrintable(QString("median %1").arg(median)));
    QVERIFY2(p95 <= 3 * kGsd, qPrintable(QString("95th percentile %1").arg(p95)));
  }

  // Inside a correction polygon the heights lie on its plane; outside nothing changes.
  void correctionPolygonsFlattenWhatTheyCover() {
    const QString shapefile = dir_.filePath("CorrectionShape.shp");
    const std::vector<std::array<double, 3>> corners = {
        {kWest + 25, kSouth + 25, 301}, {kWest + 55, kSouth + 25, 304}, {kWest + 55, kSouth + 50, 304},
        {kWest + 25, kSouth + 50, 301}};
    writeShapefile(shapefile, corners, true);
    const std::vector<dsm::Polygon> polygons = dsm::readCorrectionPolygons(shapefile.toStdString());
    QCOMPARE(polygons.size(), std::size_t(1));
    QCOMPARE(polygons[0].ring.size(), std::size_t(4));

    dsm::TileGridder plain(tileCells()), corrected(tileCells());
    const std::vector<vx::las::Point> points = matchedPoints(5);
    plain.add(points);
    corrected.add(points);
    const vx::HeightGrid before = plain.finish({});
    const vx::HeightGrid after = corrected.finish(polygons);
    int inside = 0;
    for (int row = 0; row < after.rows; ++row) {
      for (int column = 0; column < after.columns; ++column) {
        const double x = after.centreX(column), y = after.centreY(row);
        if (polygons[0].contains(x, y)) {
          ++inside;
          const double plane = 301.0 + 3.0 * (x - kWest - 25) / 30.0;
          QVERIFY(std::abs(after.at(column, row) - plane) < 0.01);
        } else {
          QCOMPARE(after.at(column, row), before.at(column, row));
        }
      }
    }
    QCOMPARE(inside, 60 * 50);  // 30 m x 25 m of half-metre cells

    const QString flat = dir_.filePath("flat/Flat.shp");
    QDir().mkpath(dir_.filePath("flat"));
    writeShapefile(flat, corners, false);
    const QString error = errorOf([&] { dsm::readCorrectionPolygons(flat.toStdString()); });
    QVERIFY2(error.contains("PolygonZ") && error.contains(flat), qPrintable(error));
    writeText(dir_.filePath("broken.shp"), "no shapefile");
    QVERIFY(errorOf([&] { dsm::readCorrectionPolygons(dir_.filePath("broken.shp").toStdString()); })
                .contains("cannot be read as a shapefile"));
    QVERIFY(errorOf([&] { dsm::readCorrectionPolygons(dir_.filePath("gone.shp").toStdString()); })
                .contains("does not exist"));
  }

  // Height tiles keep their heights, their unknown cells and their place through the file.
  void heightTilesRoundTripAndDamageIsNamed() {
    vx::HeightGrid grid(kWest, kSouth + 40, 0.25, 7, 5);
    for (std::size_t i = 0; i < grid.heights.size(); ++i) grid.heights[i] = 300.0f + float(i) * 0.125f;
    grid.at(3, 2) = NAN;
    const QString path = dir_.filePath("DSM_0_0.tif");
    vx::writeHeightGrid(path.toStdString(), grid);
    const vx::HeightGrid read = vx::readHeightGrid(path.toStdString());
    QCOMPARE(read.columns, 7);
    QCOMPARE(read.rows, 5);
    QCOMPARE(read.west, grid.west);
    QCOMPARE(read.north, grid.north);
    QCOMPARE(read.cell, 0.25);
    QVERIFY(std::isnan(read.at(3, 2)));
    QCOMPARE(read.at(6, 4), grid.at(6, 4));
    QVERIFY(!QFileInfo::exists(path + ".tmp"));

    const QByteArray good = readText(path);
    const QString cut = dir_.filePath("cut.tif");
    writeText(cut, good.left(good.size() / 3));
    const QString noise = dir_.filePath("noise.tif");
    writeText(noise, QByteArray(4096, 'x'));
    for (const QString& damaged : {cut, noise}) {
      const QString error = errorOf([&] { vx::readHeightGrid(damaged.toStdString()); });
      QVERIFY2(error.contains(damaged), qPrintable(error));
    }
    QVERIFY(errorOf([&] { vx::readHeightGrid(dir_.path().toStdString()); }).contains("not a regular file"));
    QVERIFY(!errorOf([&] { vx::writeHeightGrid(dir_.filePath("missing/DSM_0_0.tif").toStdString(), grid); })
                 .contains("no exception"));
  }

  // A full disk at any step of a tile's save leaves the old tile whole and says which file, or,
  // once the new tile is in place (flushing the folder), the new one.
  void aFullDiskLeavesTheOldTile() {
    vx::HeightGrid old(kWest, kSouth + 40, 0.5, 16, 16);
    std::fill(old.heights.begin(), old.heights.end(), 301.0f);
    vx::HeightGrid changed = old;
    std::fill(changed.heights.begin(), changed.heights.end(), 305.0f);
    const QString path = dir_.filePath("full/DSM_3_4.tif");
    QDir().mkpath(dir_.filePath("full"));
    vx::writeHeightGrid(path.toStdString(), old);
    int failedSteps = 0;
    for (int step = 1;; ++step) {
      vx::writefaults::inject(step, vx::writefaults::Fault::NoSpace);
      const QString error = errorOf([&] { vx::writeHeightGrid(path.toStdString(), changed); });
      const bool faultFired = vx::writefaults::stepsTaken() >= step;
      vx::writefaults::clear();
      if (!faultFired) break;
      const float kept = vx::readHeightGrid(path.toStdString()).at(5, 5);
      if (error == "no exception") {
        QCOMPARE(kept, 305.0f);
        vx::writeHeightGrid(path.toStdString(), old);
      } else {
        ++failedSteps;
        QVERIFY2(error.contains(path), qPrintable(error));
        QCOMPARE(kept, 301.0f);
      }
      QCOMPARE(QDir(dir_.filePath("full")).entryList(QDir::Files), QStringList{"DSM_3_4.tif"});
    }
    QVERIFY(failedSteps >= 4);
    QCOMPARE(vx::readHeightGrid(path.toStdString()).at(5, 5), 305.0f);
  }
};

QTEST_GUILESS_MAIN(DsmTest)
#include "DsmTest.moc"
