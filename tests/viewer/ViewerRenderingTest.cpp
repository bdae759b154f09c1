#include <QtTest>

#include <QSet>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <osg/ComputeBoundsVisitor>
#include <osgDB/DatabasePager>
#include <osgDB/ReadFile>

#include "demo/DemoProject.h"
#include "resources/DataBase.h"
#include "viewer/AugmentController.h"
#include "viewer/MeshViewerCanvas.h"
#include "viewer/Viridis.h"

using qvx::viewer::ViewerEventAdapter;

namespace {

// The clear colour is 0.1 grey.
bool isBackground(QRgb pixel) {
  return std::abs(qRed(pixel) - 26) <= 2 && std::abs(qGreen(pixel) - 26) <= 2 && std::abs(qBlue(pixel) - 26) <= 2;
}

// Index of the nearest viridis entry, or -1 when none is within 6 units of 8 bits.
int viridisIndex(QRgb pixel) {
  for (int i = 0; i < 256; ++i) {
    const double dr = qRed(pixel) - 255.0 * qvx::viewer::kViridis[i][0];
    const double dg = qGreen(pixel) - 255.0 * qvx::viewer::kViridis[i][1];
    const double db = qBlue(pixel) - 255.0 * qvx::viewer::kViridis[i][2];
    if (dr * dr + dg * dg + db * db < 36.0) return i;
  }
  return -1;
}

QImage grab(MeshViewerCanvas* canvas, const QString& name) {
  const QImage image = canvas->grabFrameBuffer();
  const QString folder = qEnvironmentVariable("VEXA_VIEWER_IMAGE_DIR");  // for inspection by eye
  if (!folder.isEmpty()) image.save(QDir(folder).filePath(name));
  return image;
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

  // Full detail: the pager has had nothing to do for 30 consecutive frames.
  bool waitUntilPaged() {
    osgDB::DatabasePager* pager = canvas_->view()->getDatabasePager();
    unsigned int lastFrame = frameNumber(), idleFrames = 0;
    return QTest::qWaitFor(
        [&] {
          if (frameNumber() == lastFrame) return false;
          lastFrame = frameNumber();
          const bool idle = !pager->getRequestsInProgress() && pager->getFileRequestListSize() == 0 &&
                            pager->getDataToMergeListSize() == 0 && pager->getDataToCompileListSize() == 0;
          idleFrames = idle ? idleFrames + 1 : 0;
          return idleFrames >= 30;
        },
        120000);
  }

 private slots:
  void texturedTilesAndHeightColours() {
    QTemporaryDir folder;
    demo::DemoOptions options;
    options.tiles = 2;
    demo::writeTiledMesh(QDir(folder.path()).filePath("Mesh").toStdString(), options, false);
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
    QCOMPARE(adapter->textureMode(), 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    canvas_->on_zoomReset();
    QVERIFY(waitUntilPaged());

    const QImage textured = grab(canvas_, "viewer_textured.png");
    adapter->setShadingMode(0);  // lit by the headlight
    QVERIFY(waitFrames(3));
    const QImage lit = grab(canvas_, "viewer_lit.png");
    osg::ComputeBoundsVisitor bounds;
    mesh->accept(bounds);
    adapter->slot_manualHeightValuesChanged(false, bounds.getBoundingBox().zMin(), bounds.getBoundingBox().zMax());
    adapter->setShadingMode(1);
    adapter->setTextureMode(2);
    QVERIFY(waitFrames(3));
    const QImage heights = grab(canvas_, "viewer_heights.png");
    QVERIFY(lit.size() == textured.size() && heights.size() == textured.size());

    int meshPixels = 0, changed = 0, viridisLike = 0;
    double litSum = 0.0, unlitSum = 0.0;
    QSet<QRgb> colours;
    QSet<int> bands;
    for (int y = 0; y < textured.height(); ++y) {
      for (int x = 0; x < textured.width(); ++x) {
        const QRgb pixel = textured.pixel(x, y) | 0xff000000u, height = heights.pixel(x, y) | 0xff000000u;
        if (isBackground(pixel)) continue;
        ++meshPixels;
        colours.insert(pixel);
        unlitSum += qGray(pixel);
        litSum += qGray(lit.pixel(x, y));
        changed += height != pixel;
        const int index = viridisIndex(height);
        viridisLike += index >= 0;
        if (index >= 0) bands.insert(index / 32);
      }
    }
    // Home shows the whole terrain from the south, covering a good part of the picture in many colours.
    QVERIFY2(meshPixels > textured.width() * textured.height() * 15 / 100, qPrintable(QString::number(meshPixels)));
    QVERIFY2(colours.size() > 1000, qPrintable(QString::number(colours.size())));
    // Height colours over the terrain's range: viridis everywhere, spanning several bands of the map.
    QVERIFY2(changed > meshPixels * 9 / 10, qPrintable(QString("%1 of %2").arg(changed).arg(meshPixels)));
    QVERIFY2(viridisLike > meshPixels * 9 / 10, qPrintable(QString("%1 of %2").arg(viridisLike).arg(meshPixels)));
    QVERIFY2(bands.size() >= 4, qPrintable(QString::number(bands.size())));
    // The headlight darkens slopes facing away but keeps the picture.
    QVERIFY2(litSum < unlitSum && litSum > 0.5 * unlitSum,
             qPrintable(QString("lit %1, unlit %2").arg(litSum).arg(unlitSum)));
  }
};

QTEST_MAIN(ViewerRenderingTest)
#include "ViewerRenderingTest.moc"
