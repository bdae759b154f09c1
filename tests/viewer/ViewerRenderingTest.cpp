#include <QtTest>

#include <QSet>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <cmath>

#include <osg/ComputeBoundsVisitor>
#include <osgDB/DatabasePager>

#include "demo/DemoProject.h"
#include "resources/DataBase.h"
#include "viewer/AugmentController.h"
#include "viewer/MeshViewerCanvas.h"
#include "viewer/Viridis.h"

using qvx::viewer::ViewerEventAdapter;

namespace {

bool isBackground(QRgb pixel) {
  // Clear colour 0.1 grey.
  return std::abs(qRed(pixel) - 26) <= 2 && std::abs(qGreen(pixel) - 26) <= 2 && std::abs(qBlue(pixel) - 26) <= 2;
}

struct ImageStats {
  int pixels = 0;
  int background = 0;
  int distinctColours = 0;
};

ImageStats statsOf(const QImage& image) {
  ImageStats stats;
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y) | 0xff000000u;
      ++stats.pixels;
      if (isBackground(pixel))
        ++stats.background;
      else
        colours.insert(pixel);
    }
  }
  stats.distinctColours = colours.size();
  return stats;
}

// Index of the nearest viridis entry and its distance in 8-bit units.
std::pair<int, double> nearestViridis(QRgb pixel) {
  int best = 0;
  double bestDistance = 1e9;
  for (int i = 0; i < 256; ++i) {
    const double dr = qRed(pixel) - 255.0 * qvx::viewer::kViridis[i][0];
    const double dg = qGreen(pixel) - 255.0 * qvx::viewer::kViridis[i][1];
    const double db = qBlue(pixel) - 255.0 * qvx::viewer::kViridis[i][2];
    const double distance = std::sqrt(dr * dr + dg * dg + db * db);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return {best, bestDistance};
}

void saveForInspection(const QImage& image, const QString& name) {
  const QString folder = qEnvironmentVariable("VEXA_VIEWER_IMAGE_DIR");
  if (!folder.isEmpty()) image.save(QDir(folder).filePath(name));
}

}  // namespace

class ViewerRenderingTest : public QObject {
  Q_OBJECT

 private:
  MeshViewerCanvas* canvas_ = nullptr;

  unsigned int frameNumber() const { return canvas_->compositeViewer()->getFrameStamp()->getFrameNumber(); }

  bool waitFrames(unsigned int count) {
    const unsigned int target = frameNumber() + count;
    return QTest::qWaitFor([&] { return frameNumber() >= target; }, 30000);
  }

  // Full detail: the pager has had nothing to do for a good number of consecutive frames.
  bool waitUntilPaged() {
    osgDB::DatabasePager* pager = canvas_->view()->getDatabasePager();
    unsigned int lastFrame = frameNumber();
    unsigned int idleFrames = 0;
    auto settled = [&] {
      const unsigned int frame = frameNumber();
      if (frame == lastFrame) return false;
      lastFrame = frame;
      const bool idle = !pager->getRequestsInProgress() && pager->getFileRequestListSize() == 0 &&
                        pager->getDataToMergeListSize() == 0 && pager->getDataToCompileListSize() == 0;
      idleFrames = idle ? idleFrames + 1 : 0;
      return idleFrames >= 30;
    };
    return QTest::qWaitFor(settled, 120000);
  }

 private slots:
  void texturedTilesAndHeightColours() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    demo::DemoOptions options;
    options.tiles = 2;
    options.levels = 3;
    const std::string meshFolder = QDir(folder.path()).filePath("Mesh").toStdString();
    demo::writeTiledMesh(meshFolder, options, false);
    osg::ref_ptr<osg::Node> mesh = osgDB::readNodeFile(QDir(folder.path()).filePath("Mesh/Mesh.osgb").toStdString());
    QVERIFY(mesh);

    QWidget window;
    window.resize(800, 600);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    canvas_ = new MeshViewerCanvas(&window);
    layout->addWidget(canvas_);
    auto* adapter = new ViewerEventAdapter(canvas_->view(), std::make_shared<MeshTree::DataBase>(), nullptr, &window);
    canvas_->setEventAdapter(adapter);
    AugmentController augments;
    adapter->setScene(mesh, augments.root(), nullptr, vx::me::TileMain);
    QVERIFY(adapter->hasTexture());
    QCOMPARE(adapter->textureMode(), 0);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(canvas_->hasRenderer());
    canvas_->on_zoomReset();
    QVERIFY(waitUntilPaged());

    const QImage textured = canvas_->grabFrameBuffer();
    saveForInspection(textured, "viewer_textured.png");
    const ImageStats texturedStats = statsOf(textured);
    // Home shows the whole terrain from the south; it covers a good part of the picture.
    QVERIFY2(texturedStats.background < texturedStats.pixels * 85 / 100,
             qPrintable(QString("background %1 of %2").arg(texturedStats.background).arg(texturedStats.pixels)));
    QVERIFY2(texturedStats.distinctColours > 1000, qPrintable(QString::number(texturedStats.distinctColours)));

    // Height colours over the range of the paged-in terrain.
    osg::ComputeBoundsVisitor bounds;
    mesh->accept(bounds);
    const osg::BoundingBox box = bounds.getBoundingBox();
    QVERIFY(box.valid());
    adapter->slot_manualHeightValuesChanged(false, box.zMin(), box.zMax());
    adapter->setTextureMode(2);
    QVERIFY(waitFrames(3));
    const QImage heights = canvas_->grabFrameBuffer();
    saveForInspection(heights, "viewer_heights.png");
    QCOMPARE(heights.size(), textured.size());

    int changed = 0, mesh_pixels = 0, viridisLike = 0;
    QSet<int> indices;
    for (int y = 0; y < heights.height(); ++y) {
      for (int x = 0; x < heights.width(); ++x) {
        const QRgb pixel = heights.pixel(x, y);
        if (isBackground(pixel)) continue;
        ++mesh_pixels;
        if (pixel != textured.pixel(x, y)) ++changed;
        const auto [index, distance] = nearestViridis(pixel);
        if (distance < 6.0) {
          ++viridisLike;
          indices.insert(index / 32);
        }
      }
    }
    QVERIFY(mesh_pixels > 0);
    QVERIFY2(changed > mesh_pixels * 9 / 10, qPrintable(QString("%1 of %2").arg(changed).arg(mesh_pixels)));
    QVERIFY2(viridisLike > mesh_pixels * 9 / 10, qPrintable(QString("%1 of %2").arg(viridisLike).arg(mesh_pixels)));
    // The terrain spans several bands of the colour map.
    QVERIFY2(indices.size() >= 4, qPrintable(QString::number(indices.size())));

    // Lit texture: the headlight darkens slopes facing away but keeps the picture.
    adapter->setTextureMode(0);
    adapter->setShadingMode(0);
    QVERIFY(waitFrames(3));
    const QImage lit = canvas_->grabFrameBuffer();
    saveForInspection(lit, "viewer_lit.png");
    double litSum = 0.0, unlitSum = 0.0;
    int litPixels = 0;
    for (int y = 0; y < lit.height(); ++y) {
      for (int x = 0; x < lit.width(); ++x) {
        if (isBackground(textured.pixel(x, y))) continue;
        litSum += qGray(lit.pixel(x, y));
        unlitSum += qGray(textured.pixel(x, y));
        ++litPixels;
      }
    }
    QVERIFY(litPixels > 0);
    QVERIFY2(litSum < unlitSum && litSum > 0.5 * unlitSum,
             qPrintable(QString("lit %1, unlit %2").arg(litSum / litPixels).arg(unlitSum / litPixels)));
  }
};

QTEST_MAIN(ViewerRenderingTest)
#include "ViewerRenderingTest.moc"
