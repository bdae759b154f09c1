// The true ortho made from a generated demo project's DSM and photos, against the demo's own true
// orthos (the painted terrain seen from straight above) as the truth.

#include <gdal_priv.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <functional>
#include <vector>

#include "EngineRecorder.h"
#include "TestProjects.h"
#include "demo/DemoProject.h"
#include "demo/TerrainModel.h"
#include "demo/TileLayout.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"
#include "vx/WriteFaults.h"

namespace msg = vx::MSG;

// Spoils one of the inputs (3D input, orientation folder, image folder) of a true ortho call.
using BreakInput = std::function<void(QString&, QString&, QString&)>;
Q_DECLARE_METATYPE(BreakInput)

namespace {

demo::DemoOptions smallProject() {
  demo::DemoOptions options;
  options.tiles = 2;
  options.levels = 3;
  options.images = 12;
  options.finestGridCells = 32;
  options.textureSize = 128;
  options.seed = 5;
  return options;
}

struct Raster {
  int width = 0, height = 0, bands = 0;
  double west = 0, north = 0, cell = 1;
  std::vector<unsigned char> data;  // band-interleaved
  unsigned char at(int band, int column, int row) const {
    return data[(std::size_t(band) * std::size_t(height) + std::size_t(row)) * std::size_t(width) +
                std::size_t(column)];
  }
};

Raster readRaster(const QString& path) {
  GDALAllRegister();
  GDALDatasetUniquePtr dataset(GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  if (!dataset) qFatal("cannot read %s", qPrintable(path));
  Raster r;
  r.width = dataset->GetRasterXSize();
  r.height = dataset->GetRasterYSize();
  r.bands = dataset->GetRasterCount();
  double t[6] = {};
  dataset->GetGeoTransform(t);
  r.west = t[0];
  r.north = t[3];
  r.cell = t[1];
  r.data.resize(std::size_t(r.width) * std::size_t(r.height) * std::size_t(r.bands));
  if (dataset->RasterIO(GF_Read, 0, 0, r.width, r.height, r.data.data(), r.width, r.height, GDT_Byte, r.bands, nullptr,
                        0, 0, 0, nullptr) != CE_None)
    qFatal("cannot read the cells of %s", qPrintable(path));
  return r;
}

double colourDifference(const Raster& a, int ac, int ar, const Raster& b, int bc, int br) {
  double sum = 0;
  for (int band = 0; band < 3; ++band) sum += std::abs(int(a.at(band, ac, ar)) - int(b.at(band, bc, br)));
  return sum / 3;
}

}  // namespace

class TrueOrthoTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString root_, truth_, orientations_, images_;
  vx::VEXAProject project_;
  vx::VEXA engine_;
  testprojects::Recorder recorder_;

  QString orthoPath(int x, int y) const {
    return QString("%1/Results/True_Ortho/True_Ortho_%2_%3.tif").arg(root_).arg(x).arg(y);
  }
  QString orthoList() const { return root_ + "/Internal/Lists/true_ortho_list.txt"; }
  QString dsmList() const { return root_ + "/Internal/Lists/dsm_extended_list.txt"; }

  void removeOrthos() {
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x) QFile::remove(orthoPath(x, y));
    QFile::remove(orthoList());
  }

  int runTrueOrtho(const QString& input3d, const QString& orientations, const QString& images) {
    recorder_.messages.clear();
    return engine_.trueOrtho(input3d.toStdString(), orientations.toStdString(), images.toStdString(),
                             root_.toStdString(), project_, "");
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    root_ = dir_.filePath("Demo");
    demo::writeDemoProject(root_.toStdString(), smallProject());
    // The truth: the terrain's painted albedo, which the demo keeps beside the project's folders.
    truth_ = root_ + "/Ground_Truth/True_Ortho";
    // The tool hands the module the folders of the first iteration's lists.
    orientations_ = root_ + "/Internal/Orientations";
    images_ = root_ + "/Internal/Images/Color";
    project_.loadProjectFile((root_ + "/Project.vpr").toStdString());
    engine_.registerStatusCallback(&testprojects::Recorder::callback, &recorder_);
  }

  // Each refused input is named, and nothing is written: no tile, no list.
  void unusableInputIsNamedBeforeAnyTile_data() {
    QTest::addColumn<QString>("named");
    QTest::addColumn<BreakInput>("breakInput");
    const QString scratch = dir_.filePath("Scratch");
    QTest::newRow("orientation folder without its list")
        << scratch + "/Orientations/orientation_iter0_list.txt"
        << BreakInput([=](QString&, QString& orientations, QString&) {
             QDir().mkpath(scratch + "/Orientations");
             orientations = scratch + "/Orientations";
           });
    QTest::newRow("photo missing from the image folder")
        << scratch + "/Images/IMG_0003.jpg" << BreakInput([=](QString&, QString&, QString& images) {
             testprojects::writeText(scratch + "/Images/image_color_iter0_list.txt", "IMG_0003.jpg\n");
             images = scratch + "/Images";
           });
    QTest::newRow("photo that is no photo")
        << scratch + "/Broken/IMG_0002.jpg" << BreakInput([=](QString&, QString&, QString& images) {
             testprojects::writeText(scratch + "/Broken/image_color_iter0_list.txt", "IMG_0002.jpg\n");
             testprojects::writeText(scratch + "/Broken/IMG_0002.jpg", "\xff\xd8 not a JPEG");
             images = scratch + "/Broken";
           });
    QTest::newRow("no photo with an orientation")
        << images_ + "/image_color_iter0_list.txt" << BreakInput([=](QString&, QString& orientations, QString&) {
             testprojects::writeText(scratch + "/Lonely/orientation_iter0_list.txt", "");
             orientations = scratch + "/Lonely";
           });
    QTest::newRow("DSM list naming a missing tile")
        << root_ + "/Internal/DSM_Raw/DSM_Raw/Tile_7_7.tif" << BreakInput([=](QString& input3d, QString&, QString&) {
             input3d = scratch + "/dsm_list.txt";
             testprojects::writeText(input3d,
                                     testprojects::readText(dsmList()) + "Internal/DSM_Raw/DSM_Raw/Tile_7_7.tif\n");
           });
  }
  void unusableInputIsNamedBeforeAnyTile() {
    QFETCH(QString, named);
    QFETCH(BreakInput, breakInput);
    removeOrthos();
    QString input3d = dsmList(), orientations = orientations_, images = images_;
    breakInput(input3d, orientations, images);
    QCOMPARE(runTrueOrtho(input3d, orientations, images), int(vx::VEXA::kInvalidInput));
    const auto errors = recorder_.of(msg::TYPE_ERROR, 1720);
    QCOMPARE(errors.size(), std::size_t(1));
    QVERIFY2(QString::fromStdString(errors[0].text).contains(named), errors[0].text.c_str());
    QVERIFY(recorder_.of(msg::TYPE_INFO, msg::STEP_PROCESS).empty());  // never started
    QVERIFY(!QFile::exists(orthoPath(0, 0)));
    QVERIFY(!QFile::exists(orthoList()));
  }

  // Over the cells it colours, the true ortho shows what the truth shows; beside walls it shows the
  // ground, not the roof that hides that ground from the most nadir photo.
  void theTrueOrthoShowsTheGroundAsSeenFromAbove() {
    removeOrthos();
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(runTrueOrtho(dsmList(), orientations_, images_), 0);
    const double secondsPerTile = timer.elapsed() / 1000.0 / 4;
    QVERIFY(QFile::exists(orthoList()));

    const demo::DemoOptions options = smallProject();
    const demo::MeshLayout layout = demo::MeshLayout::fromOptions(options);
    const demo::TerrainModel terrain(options.seed, layout.extent());
    std::vector<vx::ImageOrientation> cameras;
    for (std::size_t i = 0; i < project_.imageCount(); ++i)
      cameras.push_back(project_.imageOrientation(project_.image(i)));

    double sum = 0, wallSum = 0;
    int coloured = 0, cells = 0, wallCells = 0, wallCloserToGround = 0;
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 2; ++x) {
        const Raster ortho = readRaster(orthoPath(x, y));
        const Raster truth = readRaster(QString("%1/True_Ortho_%2_%3.tif").arg(truth_).arg(x).arg(y));
        QCOMPARE(ortho.bands, 4);
        QCOMPARE(ortho.width, truth.width);
        QCOMPARE(ortho.west, truth.west);
        QCOMPARE(ortho.north, truth.north);
        QCOMPARE(ortho.cell, truth.cell);
        for (int row = 0; row < ortho.height; ++row) {
          for (int column = 0; column < ortho.width; ++column) {
            ++cells;
            if (ortho.at(3, column, row) == 0) {
              QCOMPARE(int(ortho.at(0, column, row)) + ortho.at(1, column, row) + ortho.at(2, column, row), 0);
              continue;
            }
            ++coloured;
            const double difference = colourDifference(ortho, column, row, truth, column, row);
            sum += difference;
            // Ground beside a wall that a roof hides from the photo that sees it most steeply.
            const double lx = ortho.west + (column + 0.5) * ortho.cell - layout.origin.x();
            const double ly = ortho.north - (row + 0.5) * ortho.cell - layout.origin.y();
            demo::BuildingHit building;
            if (terrain.buildingAt(lx, ly, building) || terrain.distanceToBuilding(lx, ly, 3.0) >= 3.0) continue;
            const double wx = lx + layout.origin.x(), wy = ly + layout.origin.y(), wz = terrain.surfaceHeight(lx, ly);
            const vx::ImageOrientation* best = nullptr;
            double bestScore = 0;
            for (const vx::ImageOrientation& camera : cameras) {
              double u = 0, v = 0;
              if (!camera.project({{wx, wy, wz}}, u, v) || u < 0 || v < 0 || u > camera.width() || v > camera.height())
                continue;
              const auto& c = camera.projectionCenter();
              const double range2 = (c[0] - wx) * (c[0] - wx) + (c[1] - wy) * (c[1] - wy) + (c[2] - wz) * (c[2] - wz);
              const double score = (c[2] - wz) / range2;
              if (score > bestScore) bestScore = score, best = &camera;
            }
            if (!best) continue;
            // Where the ray to that camera meets a roof: the colour a true ortho blind to walls would take.
            const auto& c = best->projectionCenter();
            double hitX = NAN, hitY = NAN;
            for (double t = 0.02; t < 1.0 && std::isnan(hitX); t += 0.002) {
              const double px = lx + t * (c[0] - wx), py = ly + t * (c[1] - wy), pz = wz + t * (c[2] - wz);
              if (pz > wz + 40) break;
              demo::BuildingHit roof;
              if (terrain.buildingAt(px, py, roof) && terrain.surfaceHeight(px, py) > pz) hitX = px, hitY = py;
            }
            if (std::isnan(hitX)) continue;
            const int hitColumn = int(std::floor((hitX + layout.origin.x() - truth.west) / truth.cell));
            const int hitRow = int(std::floor((truth.north - hitY - layout.origin.y()) / truth.cell));
            if (hitColumn < 0 || hitRow < 0 || hitColumn >= truth.width || hitRow >= truth.height) continue;
            // Only where ground and roof differ clearly can the colour tell which was taken.
            if (colourDifference(truth, column, row, truth, hitColumn, hitRow) < 30) continue;
            ++wallCells;
            wallSum += difference;
            if (difference < colourDifference(ortho, column, row, truth, hitColumn, hitRow)) ++wallCloserToGround;
          }
        }
      }
    }
    const double mean = sum / coloured, wallMean = wallSum / wallCells;
    qInfo(
        "true ortho: %d of %d cells coloured, mean colour difference %.2f; %d hidden cells beside walls, mean %.2f, "
        "%d closer to the ground than to the roof; %.2f s per tile of %d cells",
        coloured, cells, mean, wallCells, wallMean, wallCloserToGround, secondsPerTile, cells / 4);
    QVERIFY2(coloured >= cells * 9 / 10, qPrintable(QString::number(coloured)));
    QVERIFY2(mean <= 10, qPrintable(QString::number(mean)));
    QVERIFY2(wallCells >= 50, qPrintable(QString::number(wallCells)));
    QVERIFY2(wallMean <= 20, qPrintable(QString::number(wallMean)));
    QVERIFY2(wallCloserToGround >= wallCells * 4 / 5, qPrintable(QString::number(wallCloserToGround)));
  }

  // A tile that cannot be saved ends the run naming it, and the tile on disk stays as it was.
  void aFailedSaveEndsTheRunNamingTheTile() {
    if (!QFile::exists(orthoPath(0, 0))) QCOMPARE(runTrueOrtho(dsmList(), orientations_, images_), 0);
    const QByteArray before = testprojects::readText(orthoPath(0, 0));
    recorder_.messages.clear();
    vx::writefaults::inject(1, vx::writefaults::Fault::NoSpace);
    const int result = engine_.trueOrtho(project_);
    vx::writefaults::clear();
    QCOMPARE(result, int(vx::VEXA::kWriteFailed));
    const auto errors = recorder_.of(msg::TYPE_ERROR, 1720);
    QCOMPARE(errors.size(), std::size_t(1));
    QVERIFY2(QString::fromStdString(errors[0].text).contains(orthoPath(0, 0)), errors[0].text.c_str());
    QCOMPARE(testprojects::readText(orthoPath(0, 0)), before);
  }

  // Without named inputs the module takes the project's own DSM list, photos and orientations.
  void theProjectsOwnInputsGiveTheSameTiles() {
    removeOrthos();
    QCOMPARE(runTrueOrtho(dsmList(), orientations_, images_), 0);
    const QString fromTool = dir_.filePath("fromTool.tif");
    QVERIFY(QFile::copy(orthoPath(1, 0), fromTool));
    removeOrthos();
    recorder_.messages.clear();
    QCOMPARE(engine_.trueOrtho(project_), 0);
    QVERIFY(QFile::exists(orthoList()));
    QCOMPARE(readRaster(orthoPath(1, 0)).data, readRaster(fromTool).data);
  }
};

QTEST_APPLESS_MAIN(TrueOrthoTest)
#include "TrueOrthoTest.moc"
