#include <algorithm>
#include <cmath>
#include <map>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include "demo/DemoProject.h"
#include "demo/PhotoWriter.h"
#include "demo/TerrainModel.h"
#include "demo/TexturePainter.h"
#include "demo/TileLayout.h"
#include "tests/platform/vx/TestProjects.h"
#include "vx/VEXAProject.h"

namespace {

demo::DemoOptions photoProject() {
  demo::DemoOptions options;
  options.tiles = 2;
  options.levels = 2;
  options.images = 4;  // two strips of a nadir and an oblique exposure
  options.finestGridCells = 32;
  options.textureSize = 128;
  options.seed = 7;
  return options;
}

struct Ortho {
  int width = 0;
  int height = 0;
  int bands = 0;
  GDALDataType type = GDT_Unknown;
  double geoTransform[6] = {};
  std::string wkt;
  std::vector<unsigned char> rgb;  // row 0 north

  const unsigned char* pixel(int column, int row) const { return &rgb[3 * (size_t(row) * size_t(width) + size_t(column))]; }
};

Ortho readOrtho(const QString& file) {
  Ortho ortho;
  GDALAllRegister();
  GDALDataset* dataset = static_cast<GDALDataset*>(GDALOpen(file.toUtf8().constData(), GA_ReadOnly));
  if (!dataset) return ortho;
  ortho.width = dataset->GetRasterXSize();
  ortho.height = dataset->GetRasterYSize();
  ortho.bands = dataset->GetRasterCount();
  ortho.type = ortho.bands > 0 ? dataset->GetRasterBand(1)->GetRasterDataType() : GDT_Unknown;
  dataset->GetGeoTransform(ortho.geoTransform);
  ortho.wkt = dataset->GetProjectionRef();
  if (ortho.bands == 3) {
    ortho.rgb.resize(3 * size_t(ortho.width) * size_t(ortho.height));
    int bands[3] = {1, 2, 3};
    if (dataset->RasterIO(GF_Read, 0, 0, ortho.width, ortho.height, ortho.rgb.data(), ortho.width, ortho.height, GDT_Byte,
                          3, bands, 3, 3 * ortho.width, 1, nullptr) != CE_None)
      ortho.rgb.clear();
  }
  GDALClose(dataset);
  return ortho;
}

// Bilinear between pixel centres, clamped at the edges; (x, y) in pixels from the top-left corner.
template <class Pixel>
osg::Vec3d bilinear(const Pixel& pixel, int width, int height, double x, double y) {
  x = std::clamp(x - 0.5, 0.0, width - 1.0);
  y = std::clamp(y - 0.5, 0.0, height - 1.0);
  const int c0 = int(x), r0 = int(y);
  const int c1 = std::min(c0 + 1, width - 1), r1 = std::min(r0 + 1, height - 1);
  const double fx = x - c0, fy = y - r0;
  osg::Vec3d colour;
  for (int k = 0; k < 3; ++k) {
    const double top = pixel(c0, r0)[k] * (1 - fx) + pixel(c1, r0)[k] * fx;
    const double bottom = pixel(c0, r1)[k] * (1 - fx) + pixel(c1, r1)[k] * fx;
    colour[k] = top * (1 - fy) + bottom * fy;
  }
  return colour;
}

double meanDifference(const osg::Vec3d& a, const osg::Vec3d& b) {
  return (std::abs(a.x() - b.x()) + std::abs(a.y() - b.y()) + std::abs(a.z() - b.z())) / 3.0;
}

}  // namespace

class DemoPhotosTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    root_ = dir_.filePath("Photo Project");
    demo::writeDemoProject(root_.toStdString(), photoProject());
    project_.loadProjectFile((root_ + "/Project.vpr").toStdString());
    origin_ = demo::demoOrigin();
  }

  // Every camera of the flight has its photo where the project file and the image list say,
  // of the orientation's size, showing terrain.
  void everyCameraHasItsPhoto() {
    const QStringList listed = QString::fromUtf8(testprojects::readText(root_ + "/Internal/Images/Color/image_color_list.txt"))
                                   .split('\n', Qt::SkipEmptyParts);
    QCOMPARE(size_t(listed.size()), project_.imageCount());
    QCOMPARE(project_.imageCount(), size_t(photoProject().images));
    for (size_t i = 0; i < project_.imageCount(); ++i) {
      const vx::ProjectImage& image = project_.image(i);
      const vx::ImageOrientation orientation = project_.imageOrientation(image);
      QCOMPARE(listed[int(i)], QString::fromStdString(image.name));
      const QString file = root_ + "/" + QString::fromStdString(image.photoPath);
      QCOMPARE(QFileInfo(file).absolutePath(), QDir(root_ + "/Internal/Images/Color").absolutePath());
      QImage photo(file);
      QVERIFY2(!photo.isNull(), qPrintable(file));
      QCOMPARE(photo.width(), orientation.width());
      QCOMPARE(photo.height(), orientation.height());
      QCOMPARE(photo.size(), QSize(1600, 1200));
      QVERIFY(!photo.hasAlphaChannel() && !photo.isGrayscale());
      int terrain = 0;
      for (int y = 0; y < photo.height(); y += 10)
        for (int x = 0; x < photo.width(); x += 10) terrain += qGray(photo.pixel(x, y)) > 10;
      QVERIFY2(terrain > 160 * 120 / 5, qPrintable(QString("%1 shows terrain in %2 of 19200 samples").arg(file).arg(terrain)));
    }
  }

  // The ground truth's true orthos: one north-up GeoTIFF per tile named after the tile, GSD pixels,
  // top-left corner of the tile, the project's coordinate system, and exactly the painted albedo of
  // the terrain; the project lists its own, the engine's, under the same names.
  void trueOrthoTilesAreGeoreferencedAlbedo() {
    const demo::DemoOptions options = photoProject();
    const double s = project_.tileSize();
    const double gsd = project_.groundSampleDistance();
    QCOMPARE(s / gsd, double(options.textureSize));
    const demo::TerrainModel terrain(options.seed, options.tiles * s);
    const demo::TexturePainter painter(terrain);
    OGRSpatialReference projectSrs;
    QCOMPARE(projectSrs.importFromWkt(project_.coordinateSystemWkt().c_str()), OGRERR_NONE);
    QStringList expectedList;
    for (int y = 0; y < options.tiles; ++y) {
      for (int x = 0; x < options.tiles; ++x) {
        const QString file = QString("%1/Ground_Truth/True_Ortho/True_Ortho_%2_%3.tif").arg(root_).arg(x).arg(y);
        // The project's own true ortho is the engine's, made from the photos, at the same place.
        expectedList << QDir(QString("%1/Results/True_Ortho/True_Ortho_%2_%3.tif").arg(root_).arg(x).arg(y)).absolutePath();
        const Ortho ortho = readOrtho(file);
        QCOMPARE(ortho.width, options.textureSize);
        QCOMPARE(ortho.height, options.textureSize);
        QCOMPARE(ortho.bands, 3);
        QCOMPARE(ortho.type, GDT_Byte);
        QCOMPARE(ortho.rgb.size(), size_t(3 * ortho.width * ortho.height));
        const double* g = ortho.geoTransform;
        QCOMPARE(g[0], origin_.x() + x * s);
        QCOMPARE(g[3], origin_.y() + (y + 1) * s);
        QCOMPARE(g[1], gsd);
        QCOMPARE(g[5], -gsd);
        QVERIFY(g[2] == 0.0 && g[4] == 0.0);
        OGRSpatialReference srs;
        QCOMPARE(srs.importFromWkt(ortho.wkt.c_str()), OGRERR_NONE);
        QVERIFY(srs.IsSame(&projectSrs));
        for (int k = 0; k < 40; ++k) {
          const int column = (k * 37 + 5) % ortho.width;
          const int row = (k * 53 + 11) % ortho.height;
          const demo::Rgb expected =
              painter.colour(x * s + (column + 0.5) * gsd, (y + 1) * s - (row + 0.5) * gsd);
          const unsigned char* p = ortho.pixel(column, row);
          QCOMPARE(int(p[0]), int(std::lround(std::clamp(expected.r, 0.0, 255.0))));
          QCOMPARE(int(p[1]), int(std::lround(std::clamp(expected.g, 0.0, 255.0))));
          QCOMPARE(int(p[2]), int(std::lround(std::clamp(expected.b, 0.0, 255.0))));
        }
      }
    }
    const QStringList listed =
        QString::fromUtf8(testprojects::readText(root_ + "/Internal/Lists/true_ortho_list.txt")).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(listed, expectedList);
  }

  // A ground point's colour in a nadir photo, at the pixel its projection names, is its colour in
  // the true ortho; shifting the photo by a pixel or more only makes the match worse.
  void nadirPhotosAgreeWithTheTrueOrtho() {
    const demo::DemoOptions options = photoProject();
    const double s = project_.tileSize();
    const double gsd = project_.groundSampleDistance();
    const double extent = options.tiles * s;
    const demo::TerrainModel terrain(options.seed, extent);
    std::map<std::pair<int, int>, Ortho> orthos;
    for (int y = 0; y < options.tiles; ++y)
      for (int x = 0; x < options.tiles; ++x)
        orthos[{x, y}] = readOrtho(QString("%1/Ground_Truth/True_Ortho/True_Ortho_%2_%3.tif").arg(root_).arg(x).arg(y));

    // Height of the finest mesh: the grid of surface heights, each cell split along its
    // south-west to north-east diagonal.
    const double spacing = s / options.finestGridCells;
    const auto gridHeight = [&](int i, int j) { return double(float(terrain.surfaceHeight(i * spacing, j * spacing))); };
    const auto meshHeight = [&](double x, double y) {
      const int i = std::min(int(x / spacing), options.tiles * options.finestGridCells - 1);
      const int j = std::min(int(y / spacing), options.tiles * options.finestGridCells - 1);
      const double fx = x / spacing - i, fy = y / spacing - j;
      const double a = gridHeight(i, j), b = gridHeight(i + 1, j), c = gridHeight(i + 1, j + 1), d = gridHeight(i, j + 1);
      return fx >= fy ? a + fx * (b - a) + fy * (c - b) : a + fy * (d - a) + fx * (c - d);
    };

    int nadirPhotos = 0;
    for (size_t n = 0; n < project_.imageCount(); ++n) {
      const vx::ImageOrientation camera = project_.imageOrientation(project_.image(n));
      if (camera.rotation()[8] > -0.999) continue;  // oblique
      ++nadirPhotos;
      const QImage photo = QImage(root_ + "/" + QString::fromStdString(project_.image(n).photoPath)).convertToFormat(QImage::Format_RGB888);
      const auto photoPixel = [&](int column, int row) { return photo.constScanLine(row) + 3 * column; };

      struct Sample {
        double u, v;
        osg::Vec3d ortho;
      };
      std::vector<Sample> samples;
      for (double y = 0.5; y < extent; y += 1.37) {
        for (double x = 0.5; x < extent; x += 1.37) {
          double u = 0, v = 0;
          if (!camera.project({{origin_.x() + x, origin_.y() + y, meshHeight(x, y)}}, u, v)) continue;
          if (u < 8 || v < 8 || u > camera.width() - 8 || v > camera.height() - 8) continue;
          const int tx = std::min(int(x / s), options.tiles - 1), ty = std::min(int(y / s), options.tiles - 1);
          const Ortho& ortho = orthos[{tx, ty}];
          const auto orthoPixel = [&](int column, int row) { return ortho.pixel(column, row); };
          samples.push_back({u, v, bilinear(orthoPixel, ortho.width, ortho.height, (x - tx * s) / gsd, ((ty + 1) * s - y) / gsd)});
        }
      }
      QVERIFY2(samples.size() > 3000, qPrintable(QString::number(samples.size())));

      std::map<std::pair<int, int>, double> differenceAtShift;
      for (int dy = -3; dy <= 3; ++dy) {
        for (int dx = -3; dx <= 3; ++dx) {
          double sum = 0;
          for (const Sample& sample : samples)
            sum += meanDifference(bilinear(photoPixel, photo.width(), photo.height(), sample.u + dx, sample.v + dy), sample.ortho);
          differenceAtShift[{dx, dy}] = sum / samples.size();
        }
      }
      const double atZero = differenceAtShift[{0, 0}];
      QVERIFY2(atZero <= 6.0, qPrintable(QString("photo %1 differs from the ortho by %2 per channel").arg(n).arg(atZero)));
      for (const auto& [shift, difference] : differenceAtShift) {
        if (shift != std::make_pair(0, 0))
          QVERIFY2(difference > atZero, qPrintable(QString("shift %1, %2: %3 <= %4").arg(shift.first).arg(shift.second).arg(difference).arg(atZero)));
      }
    }
    QCOMPARE(nadirPhotos, 2);
  }

  // A photo that cannot be written, or a progress report that throws while photos are drawn on
  // several threads, ends the run with that error, and the project folder is left out entirely.
  void photoFailuresEndTheRunAndLeaveNothing() {
    demo::DemoOptions tiny;
    tiny.tiles = 1;
    tiny.levels = 1;
    tiny.images = 5;
    tiny.finestGridCells = 8;
    tiny.textureSize = 16;
    QTemporaryDir other;
    const auto failInPhotos = [](int percent, const std::string& step) {
      if (percent > 52 && step.find("photos") != std::string::npos) throw std::runtime_error("cancelled while drawing");
    };
    QCOMPARE(testprojects::errorOf([&] { demo::writeDemoProject(other.filePath("p").toStdString(), tiny, failInPhotos); }),
             QString("cancelled while drawing"));
    QCOMPARE(QDir(other.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());

    demo::PhotoRenderer renderer;
    std::vector<vx::ImageOrientation> cameras(3, project_.imageOrientation(project_.image(0)));
    cameras[1].setImageName("second.jpg");
    const QString missing = other.filePath("no such folder");
    const QString error = testprojects::errorOf([&] { demo::writePhotos(renderer, cameras, missing.toStdString(), {}); });
    QVERIFY2(error.contains(missing + "/"), qPrintable(error));
  }

 private:
  QTemporaryDir dir_;
  QString root_;
  vx::VEXAProject project_;
  osg::Vec3d origin_;
};

QTEST_GUILESS_MAIN(DemoPhotosTest)
#include "DemoPhotosTest.moc"
