#include <stdexcept>
#include <QtTest>
#include <QTemporaryDir>

#include <cmath>
#include <limits>

#include <gdal_priv.h>
#include <osg/Viewport>
#include <osgGA/TrackballManipulator>
#include <osgViewer/View>

#include "StationTestData.h"
#include "stations/ImageOverlayController.h"
#include "stations/OrientationCamera.h"
#include "vx/VEXAProject.h"

using qvx::image::ImageOverlayController;

namespace {

constexpr int kWait = 30000;

// A view as the canvas has one, without a window: viewport, perspective, a manipulator.
struct Rig {
  osg::ref_ptr<osgViewer::View> view = new osgViewer::View;
  osg::Camera* camera = view->getCamera();
  osg::ref_ptr<osgGA::TrackballManipulator> manipulator = new osgGA::TrackballManipulator;
  Rig() {
    camera->setViewport(0, 0, 800, 600);
    camera->setProjectionMatrixAsPerspective(30.0, 800.0 / 600.0, 1.0, 10000.0);
    view->setCameraManipulator(manipulator, false);
    // Looking down at the block from the south-west, turned against the photos.
    camera->setViewMatrixAsLookAt(osg::Vec3d(-150.0, -250.0, 500.0), osg::Vec3d(80.0, 60.0, 0.0), osg::Vec3d(0.3, 1.0, 0.0));
    manipulator->setByInverseMatrix(camera->getViewMatrix());
    camera->setLODScale(1.7f);
  }
  osg::Vec2d window(const osg::Vec3d& world) const {
    const osg::Vec4d clip = osg::Vec4d(world, 1.0) * camera->getViewMatrix() * camera->getProjectionMatrix();
    const osg::Vec3d ndc(clip.x() / clip.w(), clip.y() / clip.w(), clip.z() / clip.w());
    const osg::Vec3d w = ndc * camera->getViewport()->computeWindowMatrix();
    return osg::Vec2d(w.x(), w.y());
  }
};

struct Recorder {
  QList<bool> imageViews;
  std::vector<vx::ImageOrientation> opened;
  QStringList errors;
  std::vector<vx::ImageOrientation> orthos;
  QStringList orthoPaths;
  double orthoTileSize = 0.0;
  explicit Recorder(ImageOverlayController& c) {
    QObject::connect(&c, &ImageOverlayController::signal_isImageView, [this](bool on) { imageViews << on; });
    QObject::connect(&c, &ImageOverlayController::signal_openImageFromOri,
                     [this](vx::ImageOrientation o) { opened.push_back(o); });
    QObject::connect(&c, &ImageOverlayController::signal_error, [this](QString m) { errors << m; });
    QObject::connect(&c, &ImageOverlayController::signal_openTrueOrtho,
                     [this](vx::ImageOrientation o, std::string path, double tile) {
                       orthos.push_back(o);
                       orthoPaths << QString::fromStdString(path);
                       orthoTileSize = tile;
                     });
  }
};

// Cameras 0..4 along x see the ground around (80, 60); camera 9 looks away.
std::vector<vx::ImageOrientation> photos() {
  std::vector<vx::ImageOrientation> result = stationtests::block(5);
  result.push_back(stationtests::camera("IMG_9.jpg", 0.0, 0.0, 300.0, {{0.0, 0.0, 1.0}}));
  return result;
}

const osg::Vec3d kP1(80.0, 60.0, 4.0);
const osg::Vec3d kP2(81.5, 61.0, 4.0);

vx::VEXAProject projectIn(const QString& folder, double gsd) {
  vx::VEXAProject project;
  project.setOutputFolder(folder.toStdString(), 0, 0);
  project.setArea({{0.0, 0.0, 0.0}}, {{200.0, 200.0, 50.0}});
  project.setTileSize(100.0);
  project.setGroundSampleDistance(gsd);
  return project;
}

QString writeOrthoTile(const QString& folder, const QString& name, int size) {
  GDALAllRegister();
  QDir().mkpath(folder + "/Results/True_Ortho");
  const QString path = QDir::toNativeSeparators(folder + "/Results/True_Ortho/" + name);
  GDALDataset* dataset = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
      path.toUtf8().constData(), size, size, 3, GDT_Byte, nullptr);
  GDALClose(dataset);
  return path;
}

}  // namespace

class ImageOverlayControllerTest : public QObject {
  Q_OBJECT

 private slots:
  void pointNoPhotoSeesGivesNoJump() {
    Rig rig;
    ImageOverlayController overlay(rig.view, rig.camera);
    Recorder seen(overlay);
    const osg::Matrixd projection = rig.camera->getProjectionMatrix();
    overlay.showCameraImagesAtPoint(photos(), osg::Vec3d(5000.0, 5000.0, 0.0), osg::Vec3d(5001.0, 5000.0, 0.0));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    overlay.showCameraImagesAtPoint(photos(), osg::Vec3d(nan, nan, nan), osg::Vec3d(nan, nan, nan));
    overlay.nextImage();
    QCOMPARE(overlay.candidateCount(), 0);
    QVERIFY(!overlay.isActive());
    QVERIFY(seen.imageViews.isEmpty() && seen.opened.empty());
    QCOMPARE(rig.camera->getProjectionMatrix(), projection);
    QCOMPARE(rig.camera->getLODScale(), 1.7f);
  }

  // The photo nearest to the point comes first; the point stays in the middle of the screen and
  // the scene keeps its turn on screen.
  void jumpKeepsThePointCentredAndTheSceneTurned() {
    Rig rig;
    ImageOverlayController overlay(rig.view, rig.camera);
    Recorder seen(overlay);
    const osg::Vec2d before = rig.window(kP2) - rig.window(kP1);
    overlay.showCameraImagesAtPoint(photos(), kP1, kP2);

    QCOMPARE(overlay.candidateCount(), 4);  // IMG_4 (x = 240) and IMG_9 (looking up) do not see it
    QCOMPARE(seen.imageViews, QList<bool>{true});
    QCOMPARE(seen.opened.size(), size_t(1));
    QCOMPARE(seen.opened[0].imageName(), std::string("IMG_1.jpg"));  // 60 m east: nearest to x = 80
    QVERIFY(overlay.isActive());
    QCOMPARE(overlay.currentOrientation().imageName(), std::string("IMG_1.jpg"));
    const osg::Matrixd fromManipulator = rig.manipulator->getInverseMatrix();
    for (int i = 0; i < 16; ++i) {
      QVERIFY(std::abs(fromManipulator.ptr()[i] - rig.camera->getViewMatrix().ptr()[i]) < 1e-6);
    }

    for (int step = 0; step < 2; ++step) {
      const osg::Vec2d centre = rig.window(kP1);
      QVERIFY2(std::abs(centre.x() - 400.0) < 1e-4 && std::abs(centre.y() - 300.0) < 1e-4,
               qPrintable(QString("(%1, %2)").arg(centre.x()).arg(centre.y())));
      const osg::Vec2d after = rig.window(kP2) - rig.window(kP1);
      const double cross = before.x() * after.y() - before.y() * after.x();
      QVERIFY2(std::abs(cross) < 1e-6 * before.length() * after.length() && before * after > 0.0,
               qPrintable(QString("(%1, %2) vs (%3, %4)").arg(before.x()).arg(before.y()).arg(after.x()).arg(after.y())));
      overlay.nextImage();
    }
    QCOMPARE(seen.imageViews.size(), 1);  // next is not a first image
  }

  void nextAndPreviousWrapAround() {
    Rig rig;
    ImageOverlayController overlay(rig.view, rig.camera);
    Recorder seen(overlay);
    overlay.showCameraImagesAtPoint(photos(), kP1, kP2);
    const int count = overlay.candidateCount();
    QVERIFY(count >= 3);
    overlay.previousImage();
    QCOMPARE(overlay.currentIndex(), count - 1);
    overlay.nextImage();
    QCOMPARE(overlay.currentIndex(), 0);
    for (int i = 0; i < count; ++i) overlay.nextImage();
    QCOMPARE(overlay.currentIndex(), 0);
    QCOMPARE(seen.opened.front().imageName(), seen.opened.back().imageName());
    QCOMPARE(int(seen.opened.size()), count + 3);
  }

  void zoomStaysInItsRange() {
    Rig rig;
    ImageOverlayController overlay(rig.view, rig.camera);
    overlay.showCameraImagesAtPoint(photos(), kP1, kP2);
    overlay.wheel(120);
    QVERIFY(std::abs(overlay.zoom() - 0.8) < 1e-6);
    for (int i = 0; i < 200; ++i) overlay.wheel(120);
    QVERIFY(std::abs(overlay.zoom() - qvx::image::kMinZoom) < 1e-6);
    overlay.wheel(100000);  // would turn the zoom negative
    QVERIFY(std::abs(overlay.zoom() - qvx::image::kMinZoom) < 1e-6);
    for (int i = 0; i < 200; ++i) overlay.wheel(-360);
    QVERIFY(std::abs(overlay.zoom() - qvx::image::kMaxZoom) < 1e-4);
  }

  void dragPansOnlyFromAKnownPosition() {
    Rig rig;
    ImageOverlayController overlay(rig.view, rig.camera);
    overlay.showCameraImagesAtPoint(photos(), kP1, kP2);
    overlay.wheel(-300);  // zoom 1.5
    const osg::Vec2d start = overlay.pan();
    const osg::Matrixd projection = rig.camera->getProjectionMatrix();
    overlay.rightButton(true);
    overlay.mouseMoved(100.0f, 100.0f);  // no previous position
    QCOMPARE(overlay.pan(), start);
    QCOMPARE(rig.camera->getProjectionMatrix(), projection);
    overlay.mouseMoved(110.0f, 96.0f);
    QVERIFY((overlay.pan() - (start + osg::Vec2d(15.0, -6.0))).length() < 1e-4);
    overlay.rightButton(false);
    overlay.mouseMoved(200.0f, 200.0f);
    QVERIFY((overlay.pan() - (start + osg::Vec2d(15.0, -6.0))).length() < 1e-4);
  }

  void closingRestoresTheLodScale() {
    Rig rig;
    ImageOverlayController overlay(rig.view, rig.camera);
    overlay.showCameraImagesAtPoint(photos(), kP1, kP2);
    QCOMPARE(rig.camera->getLODScale(), 1.7f * 0.25f);
    overlay.showCameraImagesAtPoint(photos(), kP1, kP2);  // again while on
    overlay.nextImage();
    QCOMPARE(rig.camera->getLODScale(), 1.7f * 0.25f);
    overlay.close();
    QVERIFY(!overlay.isActive());
    QCOMPARE(rig.camera->getLODScale(), 1.7f);
    overlay.close();
    QCOMPARE(rig.camera->getLODScale(), 1.7f);
  }

  void trueOrthoRefusals() {
    QTemporaryDir dir;
    Rig rig;
    ImageOverlayController overlay(rig.view, rig.camera);
    Recorder seen(overlay);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const vx::VEXAProject good = projectIn(dir.path(), 0.5);

    QVERIFY(!overlay.showTrueOrthoAtPoint(good, osg::Vec3d(nan, nan, nan)));
    QCOMPARE(seen.errors.last(), QString("Cannot open true ortho photo, no mesh in field of view."));

    QVERIFY(!overlay.showTrueOrthoAtPoint(good, osg::Vec3d(30.0, 160.0, 12.0)));
    const QString expected = QDir::toNativeSeparators(dir.filePath("Results/True_Ortho/True_Ortho_0_1.tif"));
    QCOMPARE(seen.errors.last(), "Corresponding true ortho photo does not exist: " + expected);

    // The third refusal, a GSD that is not positive, cannot arise: the project refuses such a GSD.
    QVERIFY_EXCEPTION_THROWN(projectIn(dir.path(), 0.0), std::invalid_argument);

    QCOMPARE(seen.errors.size(), 2);
    QVERIFY(seen.imageViews.isEmpty() && seen.orthos.empty());
    QVERIFY(!overlay.isActive());
    QCOMPARE(rig.camera->getLODScale(), 1.7f);
  }

  // The tile's size comes from the file in the background; then the camera looks straight down
  // with the point in the middle of the screen, one tile pixel per screen pixel.
  void trueOrthoJumpsWhenTheTileIsRead() {
    QTemporaryDir dir;
    Rig rig;
    ImageOverlayController overlay(rig.view, rig.camera);
    Recorder seen(overlay);
    const QString tile = writeOrthoTile(dir.path(), "True_Ortho_0_1.tif", 200);
    const osg::Vec3d p(30.0, 160.0, 12.0);
    QVERIFY(overlay.showTrueOrthoAtPoint(projectIn(dir.path(), 0.5), p));
    QVERIFY(!overlay.isActive());  // not before the read ends
    QTRY_VERIFY_WITH_TIMEOUT(overlay.isActive(), kWait);
    QVERIFY(seen.errors.isEmpty());
    QCOMPARE(seen.orthoPaths, QStringList{tile});
    QCOMPARE(seen.orthoTileSize, 100.0);
    const vx::ImageOrientation& o = seen.orthos.front();
    QVERIFY(o.isOrtho());
    QCOMPARE(o.imageName(), std::string("ortho"));
    QCOMPARE(o.width(), 200);
    QCOMPARE(o.principalPointX(), 100.0);
    QCOMPARE(seen.imageViews, QList<bool>{true});
    QVERIFY(overlay.isTrueOrtho());
    QCOMPARE(overlay.zoom(), 0.5);
    const osg::Vec2d centre = rig.window(p);
    QVERIFY2(std::abs(centre.x() - 400.0) < 1e-6 && std::abs(centre.y() - 300.0) < 1e-6,
             qPrintable(QString("(%1, %2)").arg(centre.x()).arg(centre.y())));
    // North up, east right, 0.5 m per screen pixel.
    const osg::Vec2d east = rig.window(p + osg::Vec3d(10.0, 0.0, 0.0)) - centre;
    const osg::Vec2d north = rig.window(p + osg::Vec3d(0.0, 10.0, 0.0)) - centre;
    QVERIFY((east - osg::Vec2d(20.0, 0.0)).length() < 1e-6);
    QVERIFY((north - osg::Vec2d(0.0, 20.0)).length() < 1e-6);

    // A photo after the tile starts unzoomed.
    overlay.slot_jumpToCameraPosition(stationtests::camera("IMG_0.jpg", 0.0, 0.0));
    QVERIFY(!overlay.isTrueOrtho());
    QCOMPARE(overlay.zoom(), 1.0);
  }

  // A read that ends after the view was closed does not jump.
  void lateTileReadAfterCloseIsDropped() {
    QTemporaryDir dir;
    Rig rig;
    ImageOverlayController overlay(rig.view, rig.camera);
    Recorder seen(overlay);
    writeOrthoTile(dir.path(), "True_Ortho_0_1.tif", 32);
    QVERIFY(overlay.showTrueOrthoAtPoint(projectIn(dir.path(), 0.5), osg::Vec3d(30.0, 160.0, 12.0)));
    overlay.close();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(!overlay.isActive());
    QVERIFY(seen.orthos.empty());
  }
};

QTEST_GUILESS_MAIN(ImageOverlayControllerTest)
#include "ImageOverlayControllerTest.moc"
