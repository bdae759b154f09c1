// The central widget's camera wiring on a real demo project: stations from the project, the
// image view by key and toolbar, true orthos, waypoints and playback, clearing the cameras.

#include "demo/DemoProject.h"
#include "img/images/Images.h"
#include "rendering/RenderHost.h"
#include "rendering/WaypointTree.h"
#include "shell/MeshViewer.h"
#include "tests/shell/ShownMainWindow.h"
#include "stations/CameraStationManager.h"
#include "stations/ImageOverlayController.h"
#include "tests/support/MessageBoxWatcher.h"
#include "viewer/EditorToolbar.h"
#include "viewer/MeshViewerCanvas.h"
#include "viewer/ViewerControlPanel.h"
#include "viewer/ViewerEventAdapter.h"
#include "viewer/ViewerMenu.h"
#include "vx/VEXAProject.h"

#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class MeshViewerCamerasTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString projectFile_;
  std::unique_ptr<MeshViewer> viewer_;

  MeshViewerCanvas* canvas() const { return viewer_->canvas(); }

  // Straight down onto the middle of the project area, where the flight's photos overlap.
  void lookDownAtTheAreaCentre() {
    const auto min = viewer_->project()->areaMin();
    const auto max = viewer_->project()->areaMax();
    const osg::Vec3d centre((min[0] + max[0]) / 2, (min[1] + max[1]) / 2, (min[2] + max[2]) / 2);
    viewer_->adapter()->cameraManipulator()->setTransformation(centre + osg::Vec3d(0, -1, 250), centre,
                                                              osg::Vec3d(0, 1, 0));
    QTRY_VERIFY_WITH_TIMEOUT(viewer_->isSceneIdle(), 60000);
    for (int i = 0; i < 5; ++i) canvas()->on_paint();
  }

  void key(Qt::Key key) { QTest::keyPress(canvas(), key); }

 private slots:
  void initTestCase() {
    vexaInitImages();
    projectFile_ = shelltest::writeSmallDemo(dir_.path(), 6);
  }

  void init() {
    viewer_ = shelltest::showMainWindow();
    QVERIFY(viewer_);
    QVERIFY(shelltest::openProject(*viewer_, projectFile_, 60000));
  }

  void cleanup() { viewer_.reset(); }

  void openingAProjectShowsItsCameraStations() {
    QCOMPARE(viewer_->stations()->stationCount(), 6);
    QVERIFY(viewer_->stations()->stationRoot()->getNumParents() > 0);  // in the scene
  }

  // C looks through the nearest photo; the arrows step through the others and wrap; C again
  // returns to 3D with the level-of-detail scale as it was.
  void theCameraImageKeyLooksThroughThePhotosAndBack() {
    lookDownAtTheAreaCentre();
    const float lodScale = canvas()->camera()->getLODScale();
    qvx::viewer::EditorToolbar* toolbar = viewer_->editorToolbar();
    key(Qt::Key_C);
    QVERIFY(canvas()->isImageView());
    QTRY_VERIFY(toolbar->cameraImageButton()->isChecked());
    QVERIFY(!toolbar->trueOrthoButton()->isEnabled());
    QVERIFY(toolbar->nextButton()->isEnabled());
    qvx::image::ImageOverlayController* overlay = canvas()->imageOverlay();
    const int count = overlay->candidateCount();
    QVERIFY(count >= 2);
    const std::string first = overlay->currentOrientation().imageName();
    for (int i = 0; i < count; ++i) key(Qt::Key_Right);
    QCOMPARE(overlay->currentOrientation().imageName(), first);
    key(Qt::Key_Left);
    QCOMPARE(overlay->currentIndex(), count - 1);
    key(Qt::Key_C);
    QVERIFY(!canvas()->isImageView());
    QVERIFY(!toolbar->cameraImageButton()->isChecked());
    QVERIFY(toolbar->trueOrthoButton()->isEnabled());
    QCOMPARE(canvas()->camera()->getLODScale(), lodScale);
  }

  void theTrueOrthoKeyOpensTheTileUnderTheCentre() {
    lookDownAtTheAreaCentre();
    QSignalSpy imageView(canvas()->imageOverlay(), &qvx::image::ImageOverlayController::signal_isImageView);
    key(Qt::Key_O);
    QVERIFY(imageView.count() > 0 || imageView.wait(30000));
    QVERIFY(canvas()->isImageView());
    QVERIFY(canvas()->imageOverlay()->isTrueOrtho());
    QTRY_VERIFY(viewer_->editorToolbar()->trueOrthoButton()->isChecked());
    QVERIFY(!viewer_->editorToolbar()->cameraImageButton()->isChecked());
    QVERIFY(viewer_->stations()->station("ortho"));
    key(Qt::Key_O);
    QVERIFY(!canvas()->isImageView());
    QVERIFY(!viewer_->stations()->station("ortho"));
  }

  // A point no photo sees: no image view, the button does not stay checked, a short message.
  void nothingUnderTheCentreLeavesTheButtonUnchecked() {
    viewer_->adapter()->cameraManipulator()->setTransformation(osg::Vec3d(0, 0, 100), osg::Vec3d(0, 0, 200),
                                                              osg::Vec3d(0, 1, 0));
    for (int i = 0; i < 3; ++i) canvas()->on_paint();
    MessageBoxWatcher watcher;
    key(Qt::Key_C);
    QVERIFY(!canvas()->isImageView());
    QVERIFY(!viewer_->editorToolbar()->cameraImageButton()->isChecked());
    QCOMPARE(watcher.boxes().size(), 1);
  }

  void waypointsComeFromTheViewAndPlayAsAFlight() {
    lookDownAtTheAreaCentre();
    {
      MessageBoxWatcher watcher;
      key(Qt::Key_V);  // one waypoint short of a flight
      QCOMPARE(watcher.boxes().size(), 1);
    }
    key(Qt::Key_X);
    viewer_->adapter()->cameraManipulator()->setDistance(viewer_->adapter()->cameraManipulator()->getDistance() * 2);
    canvas()->on_paint();
    key(Qt::Key_X);
    QCOMPARE(viewer_->waypointList().size(), size_t(2));
    QCOMPARE(viewer_->waypointTree()->treeWidget()->topLevelItemCount(), 2);
    key(Qt::Key_V);
    QVERIFY(canvas()->renderHost()->isAnimationPlaying());
    key(Qt::Key_V);
    QVERIFY(!canvas()->renderHost()->isAnimationPlaying());
    // Stopping looks through the last waypoint with the viewer's own manipulator.
    QCOMPARE(canvas()->view()->getCameraManipulator(), viewer_->adapter()->cameraManipulator());
    const osg::Matrixd last = *viewer_->waypointList().last()->viewMatrix();
    QVERIFY(viewer_->adapter()->cameraManipulator()->getInverseMatrix().compare(last) == 0 ||
            (viewer_->adapter()->cameraManipulator()->getInverseMatrix().getTrans() - last.getTrans()).length() < 1e-6);
  }

  // A dropped file that is no topology is named, and the stations stay.
  void aBrokenTopologyIsNamed() {
    QSignalSpy errors(viewer_.get(), &MeshViewer::signal_error);
    const QString garbage = dir_.filePath("garbage.tif");
    QFile file(garbage);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a tiff");
    file.close();
    viewer_->on_loadCameraStationsTopology(garbage);
    QTRY_COMPARE(errors.count(), 1);
    QVERIFY(errors.at(0).at(0).toString().contains("garbage.tif"));
    QCOMPARE(viewer_->stations()->stationCount(), 6);
  }

  void theWaypointPanelFollowsTheViewerMode() {
    viewer_->setViewerMode(2);
    QVERIFY(!viewer_->waypointTree()->isEnabled());
    viewer_->setViewerMode(1);
    QVERIFY(viewer_->waypointTree()->isEnabled());
  }

  void clearCameraResourcesRemovesTheStations() {
    for (QAction* action : viewer_->viewerMenu()->actions())
      if (action->text() == "Clear camera resources") action->trigger();
    QCOMPARE(viewer_->stations()->stationCount(), 0);
    lookDownAtTheAreaCentre();
    MessageBoxWatcher watcher;
    key(Qt::Key_C);
    QVERIFY(!canvas()->isImageView());
  }
};

QTEST_MAIN(MeshViewerCamerasTest)
#include "MeshViewerCamerasTest.moc"
