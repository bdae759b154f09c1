#include <QtTest>

#include <QSet>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <osg/ComputeBoundsVisitor>
#include <osgDB/DatabasePager>
#include <osgDB/ReadFile>

#include "TestScenes.h"
#include "demo/DemoProject.h"
#include "resources/DataBase.h"
#include "viewer/AugmentController.h"
#include "viewer/MeshViewerCanvas.h"
#include "viewer/ViewerMath.h"
#include "viewer/Viridis.h"

using qvx::viewer::ViewerEventAdapter;
using Event = osgGA::GUIEventAdapter;

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

class MeshViewerCanvasTest : public QObject {
  Q_OBJECT

 private:
  QWidget* window_ = nullptr;
  MeshViewerCanvas* canvas_ = nullptr;
  ViewerEventAdapter* adapter_ = nullptr;

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

  void showGround() {
    adapter_->setScene(viewertest::makeQuadScene(400.0, 0.0, true), new osg::Group, nullptr, vx::me::NoPagedLOD);
    QVERIFY(waitFrames(3));
  }

  void wheel(int delta, Qt::KeyboardModifiers modifiers) {
    const QPointF centre(canvas_->width() / 2.0, canvas_->height() / 2.0);
    QWheelEvent event(centre, canvas_->mapToGlobal(centre.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas_, &event);
  }

  // The events posted to the scene since the last call.
  std::vector<const Event*> takeEvents() {
    events_.clear();
    canvas_->graphicsWindow()->getEventQueue()->takeEvents(events_);
    std::vector<const Event*> result;
    for (const auto& event : events_)
      if (const Event* ea = event->asGUIEventAdapter()) result.push_back(ea);
    return result;
  }
  osgGA::EventQueue::Events events_;

  osg::Vec3d eye() const {
    osg::Vec3d eye, centre, up;
    adapter_->cameraManipulator()->getTransformation(eye, centre, up);
    return eye;
  }

 private slots:
  void init() {
    window_ = new QWidget;
    window_->resize(800, 600);
    auto* layout = new QVBoxLayout(window_);
    layout->setContentsMargins(0, 0, 0, 0);
    canvas_ = new MeshViewerCanvas(window_);
    layout->addWidget(canvas_);
    adapter_ = new ViewerEventAdapter(canvas_->view(), std::make_shared<MeshTree::DataBase>(), nullptr, window_);
    canvas_->setEventAdapter(adapter_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
    QVERIFY(waitFrames(2));
  }

  void cleanup() { delete window_; }

  void theCanvasHasADepthBuffer() {
    canvas_->makeCurrent();
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    QVERIFY2(depthBits > 0, "without depth nothing occludes anything");
  }

  void shiftWheelChangesTheFieldOfViewAroundThePickedPoint() {
    QSignalSpy fov(canvas_, &MeshViewerCanvas::signal_fovChanged);
    // Nothing under the centre: nothing changes.
    wheel(120, Qt::ShiftModifier);
    QCOMPARE(canvas_->fieldOfView(), 50.0f);
    QCOMPARE(fov.count(), 0);

    showGround();
    const osg::Vec3d target = canvas_->pickWorldPoint(0.0, 0.0);
    QVERIFY(qvx::viewer::isValidPoint(target));
    const double distance = (eye() - target).length();
    const double lodScale = canvas_->camera()->getLODScale();
    wheel(120, Qt::ShiftModifier);
    QCOMPARE(canvas_->fieldOfView(), 56.0f);
    QCOMPARE(fov.count(), 1);
    QCOMPARE(fov.at(0).at(0).toFloat(), 56.0f);
    // The picked point keeps its size on screen: L' = L tan(25) / tan(28).
    const double expected = distance * std::tan(25.0 * M_PI / 180) / std::tan(28.0 * M_PI / 180);
    QVERIFY((adapter_->cameraManipulator()->getCenter() - target).length() < 1e-6);
    QVERIFY(std::fabs((eye() - target).length() - expected) < 1e-6 * expected);
    // The camera keeps its LOD scale in single precision.
    QVERIFY(std::fabs(canvas_->camera()->getLODScale() - lodScale * (1.0 - (expected - distance) / distance)) < 1e-6);
  }

  void shiftWheelStaysWithinLimits() {
    showGround();
    // Frames in between let the camera fit its near and far planes to the scene again.
    const std::vector<std::pair<int, float>> steps = {{1200, 85.0f}, {-1200, 25.0f}, {-1200, 0.1f}, {-1200, 0.1f},
                                                      {1200, 60.1f}};
    for (const auto& [delta, expected] : steps) {
      const double lodScale = canvas_->camera()->getLODScale();
      wheel(delta, Qt::ShiftModifier);
      QCOMPARE(canvas_->fieldOfView(), expected);
      const double factor = canvas_->camera()->getLODScale() / lodScale;
      QVERIFY(factor >= 0.01 - 1e-6 && factor <= 1.99 + 1e-6);
      QVERIFY(waitFrames(2));
    }
  }

  void inputReachesTheSceneShortcutsAreOnlySignalled() {
    takeEvents();
    QSignalSpy controlWheel(canvas_, &MeshViewerCanvas::signal_controlWheel);
    QSignalSpy shortcut(canvas_, &MeshViewerCanvas::signal_shortcut);
    wheel(-120, Qt::ControlModifier);
    QCOMPARE(controlWheel.count(), 1);
    QCOMPARE(controlWheel.at(0).at(0).toInt(), -120);
    for (Qt::Key key : {Qt::Key_Plus, Qt::Key_Minus, Qt::Key_C, Qt::Key_J, Qt::Key_N, Qt::Key_O, Qt::Key_V, Qt::Key_X,
                        Qt::Key_Y, Qt::Key_Escape})
      QTest::keyPress(canvas_, key);
    QCOMPARE(shortcut.count(), 9);
    QCOMPARE(shortcut.at(2).at(0).toInt(), int(Qt::Key_C));
    QVERIFY(takeEvents().empty());
    wheel(0, Qt::NoModifier);
    wheel(-120, Qt::NoModifier);
    QTest::mouseClick(canvas_, Qt::RightButton, Qt::NoModifier, QPoint(30, 40));
    QTest::keyPress(canvas_, 'w');
    const auto events = takeEvents();
    QCOMPARE(events.size(), size_t(5));
    QCOMPARE(events[0]->getScrollingMotion(), Event::SCROLL_DOWN);
    QCOMPARE(events[1]->getScrollingMotion(), Event::SCROLL_UP);
    QCOMPARE(events[2]->getEventType(), Event::PUSH);
    QCOMPARE(events[2]->getButton(), int(Event::RIGHT_MOUSE_BUTTON));
    QCOMPARE(events[2]->getX(), 30.0f);
    QCOMPARE(events[2]->getY(), 40.0f);
    QCOMPARE(events[3]->getEventType(), Event::RELEASE);
    QCOMPARE(events[4]->getEventType(), Event::KEYDOWN);
    QCOMPARE(events[4]->getKey(), int('w'));
    // Escape outside full screen must not stop drawing.
    QVERIFY(!canvas_->isFullScreenMode());
    QVERIFY(waitFrames(2));
  }

  // Handlers read the keys held at the event from the event itself: the mask travels with it.
  void modifierKeysTravelWithTheEvents() {
    takeEvents();
    QTest::mouseClick(canvas_, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, QPoint(10, 10));
    QTest::mouseClick(canvas_, Qt::LeftButton, Qt::AltModifier, QPoint(10, 10));
    QTest::keyPress(canvas_, 'w', Qt::NoModifier);
    const auto events = takeEvents();
    QCOMPARE(events.size(), size_t(5));
    const int ctrlShift = Event::MODKEY_CTRL | Event::MODKEY_SHIFT;
    QCOMPARE(events[0]->getModKeyMask() & ctrlShift, ctrlShift);
    QCOMPARE(events[1]->getModKeyMask() & ctrlShift, ctrlShift);
    QCOMPARE(events[2]->getModKeyMask(), int(Event::MODKEY_ALT));
    QCOMPARE(events[4]->getModKeyMask(), 0);
    // A Ctrl-drag belongs to other tools: the manipulator leaves the camera where it is.
    showGround();
    const osg::Vec3d before = eye();
    QTest::mousePress(canvas_, Qt::LeftButton, Qt::ControlModifier, QPoint(100, 100));
    for (int x = 110; x <= 300; x += 10) {
      QMouseEvent move(QEvent::MouseMove, QPointF(x, 120), Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
      QApplication::sendEvent(canvas_, &move);
      QVERIFY(waitFrames(1));
    }
    QTest::mouseRelease(canvas_, Qt::LeftButton, Qt::ControlModifier, QPoint(300, 120));
    QVERIFY(waitFrames(2));
    QVERIFY((eye() - before).length() < 1e-9);
  }

  void zoomButtonsAndHomeMoveTheCamera() {
    showGround();
    std::vector<osg::Vec3d> eyes;
    connect(canvas_, &MeshViewerCanvas::signal_cameraPositionChanged, this, [&](osg::Vec3d e) { eyes.push_back(e); });
    const double start = adapter_->cameraManipulator()->getDistance();
    canvas_->on_zoomIn();
    QVERIFY(waitFrames(2));
    const double zoomedIn = adapter_->cameraManipulator()->getDistance();
    QVERIFY(zoomedIn < start);
    canvas_->on_zoomOut();
    QVERIFY(waitFrames(2));
    QVERIFY(adapter_->cameraManipulator()->getDistance() > zoomedIn);
    adapter_->cameraManipulator()->setDistance(start * 3.0);
    QTest::keyPress(canvas_, Qt::Key_H);
    QVERIFY(std::fabs(adapter_->cameraManipulator()->getDistance() - start) < 1e-6 * start);
    // Input reports where the camera now is.
    QMouseEvent move(QEvent::MouseMove, QPointF(100, 100), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(canvas_, &move);
    QVERIFY(!eyes.empty());
    QCOMPARE(eyes.back(), eye());
  }

  void fullScreenAndBackAndHidden() {
    QTest::keyPress(canvas_, Qt::Key_F);
    QVERIFY(canvas_->isFullScreenMode());
    QVERIFY(canvas_->parentWidget() == nullptr && canvas_->isVisible());
    QTest::keyPress(canvas_, Qt::Key_Escape);
    QVERIFY(!canvas_->isFullScreenMode());
    QVERIFY(canvas_->parentWidget() == window_ && window_->layout()->indexOf(canvas_) >= 0);
    QVERIFY(waitFrames(2));
    canvas_->setFullScreenMode(false);
    QVERIFY(canvas_->parentWidget() == window_);
    // Drawing (and with it the mouse position report) stops while hidden.
    QSignalSpy mouse(canvas_, &MeshViewerCanvas::signal_updateMousePos);
    QVERIFY(mouse.wait(5000));
    window_->hide();
    mouse.clear();
    QVERIFY(!mouse.wait(300));
  }

  // Reads back the frame buffer: the demo tiles are drawn textured, lit by the headlight, and in
  // height colours over the terrain's range.
  void texturedTilesAndHeightColours() {
    QTemporaryDir folder;
    demo::DemoOptions options;
    options.tiles = 2;
    demo::writeTiledMesh(QDir(folder.path()).filePath("Mesh").toStdString(), options, false);
    osg::ref_ptr<osg::Node> mesh = osgDB::readNodeFile(QDir(folder.path()).filePath("Mesh/Mesh.osgb").toStdString());
    QVERIFY(mesh);
    AugmentController augments;
    adapter_->setScene(mesh, augments.root(), nullptr, vx::me::TileMain);
    // The tiles are not paged in yet: their textures are found by reading them in the background.
    QTRY_COMPARE_WITH_TIMEOUT(adapter_->textureMode(), 0, 60000);
    canvas_->on_zoomReset();
    QVERIFY(waitUntilPaged());

    const QImage textured = grab(canvas_, "viewer_textured.png");
    adapter_->setShadingMode(0);
    QVERIFY(waitFrames(3));
    const QImage lit = grab(canvas_, "viewer_lit.png");
    osg::ComputeBoundsVisitor bounds;
    mesh->accept(bounds);
    adapter_->slot_manualHeightValuesChanged(false, bounds.getBoundingBox().zMin(), bounds.getBoundingBox().zMax());
    adapter_->setShadingMode(1);
    adapter_->setTextureMode(2);
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
    // Height colours: viridis everywhere, spanning several bands of the map.
    QVERIFY2(changed > meshPixels * 9 / 10, qPrintable(QString("%1 of %2").arg(changed).arg(meshPixels)));
    QVERIFY2(viridisLike > meshPixels * 9 / 10, qPrintable(QString("%1 of %2").arg(viridisLike).arg(meshPixels)));
    QVERIFY2(bands.size() >= 4, qPrintable(QString::number(bands.size())));
    // The headlight darkens slopes facing away but keeps the picture.
    QVERIFY2(litSum < unlitSum && litSum > 0.5 * unlitSum,
             qPrintable(QString("lit %1, unlit %2").arg(litSum).arg(unlitSum)));
  }
};

QTEST_MAIN(MeshViewerCanvasTest)
#include "MeshViewerCanvasTest.moc"
