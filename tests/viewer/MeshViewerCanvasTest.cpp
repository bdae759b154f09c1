#include <QtTest>

#include <QVBoxLayout>
#include <QWheelEvent>

#include <osg/Geode>

#include "TestScenes.h"
#include "resources/DataBase.h"
#include "viewer/MeshViewerCanvas.h"
#include "viewer/ViewerMath.h"

using qvx::viewer::ViewerEventAdapter;

namespace {

void sendWheel(QWidget* widget, int delta, Qt::KeyboardModifiers modifiers) {
  const QPointF centre(widget->width() / 2.0, widget->height() / 2.0);
  QWheelEvent wheel(centre, widget->mapToGlobal(centre.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton,
                    modifiers, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget, &wheel);
}

}  // namespace

class MeshViewerCanvasTest : public QObject {
  Q_OBJECT

 private:
  std::shared_ptr<MeshTree::DataBase> database_ = std::make_shared<MeshTree::DataBase>();
  QWidget* window_ = nullptr;
  MeshViewerCanvas* canvas_ = nullptr;
  ViewerEventAdapter* adapter_ = nullptr;

  unsigned int frameNumber() const { return canvas_->compositeViewer()->getFrameStamp()->getFrameNumber(); }

  bool waitFrames(unsigned int count) {
    const unsigned int target = frameNumber() + count;
    return QTest::qWaitFor([&] { return frameNumber() >= target; }, 20000);
  }

  void showGround() {
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(viewertest::makeQuad(400.0, 0.0, true, false));
    adapter_->setScene(geode, new osg::Group, nullptr, vx::me::NoPagedLOD);
    QVERIFY(waitFrames(3));
  }

  osgGA::EventQueue::Events takeEvents() {
    osgGA::EventQueue::Events events;
    canvas_->graphicsWindow()->getEventQueue()->takeEvents(events);
    return events;
  }

 private slots:
  void init() {
    window_ = new QWidget;
    window_->resize(640, 480);
    auto* layout = new QVBoxLayout(window_);
    layout->setContentsMargins(0, 0, 0, 0);
    canvas_ = new MeshViewerCanvas(window_);
    layout->addWidget(canvas_);
    adapter_ = new ViewerEventAdapter(canvas_->view(), database_, nullptr, window_);
    canvas_->setEventAdapter(adapter_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
    QVERIFY(waitFrames(2));
  }

  void cleanup() {
    delete window_;
    window_ = nullptr;
  }

  void drawsFramesWhileShown() {
    QVERIFY(canvas_->hasRenderer());
    QCOMPARE(canvas_->fieldOfView(), 50.0f);
    QSignalSpy mouse(canvas_, &MeshViewerCanvas::signal_updateMousePos);
    QVERIFY(mouse.wait(5000));
    window_->hide();
    mouse.clear();
    QVERIFY(!mouse.wait(300));
  }

  void shiftWheelWithNothingUnderTheCentreKeepsTheFieldOfView() {
    QSignalSpy fov(canvas_, &MeshViewerCanvas::signal_fovChanged);
    sendWheel(canvas_, 120, Qt::ShiftModifier);
    QCOMPARE(canvas_->fieldOfView(), 50.0f);
    QCOMPARE(fov.count(), 0);
  }

  void shiftWheelChangesTheFieldOfViewAroundThePickedPoint() {
    showGround();
    const osg::Vec3d target = canvas_->pickWorldPoint(0.0, 0.0);
    QVERIFY(qvx::viewer::isValidPoint(target));
    osg::Vec3d eye, centre, up;
    canvas_->camera()->getViewMatrixAsLookAt(eye, centre, up, 1.0);
    const double distance = (eye - target).length();
    const double lodScale = canvas_->camera()->getLODScale();

    QSignalSpy fov(canvas_, &MeshViewerCanvas::signal_fovChanged);
    sendWheel(canvas_, 120, Qt::ShiftModifier);
    QCOMPARE(canvas_->fieldOfView(), 56.0f);
    QCOMPARE(fov.count(), 1);
    QCOMPARE(fov.at(0).at(0).toFloat(), 56.0f);

    const double expected = qvx::viewer::distanceForFieldOfView(distance, 50.0, 56.0);
    osg::Vec3d newEye, newCentre, newUp;
    adapter_->cameraManipulator()->getTransformation(newEye, newCentre, newUp);
    QVERIFY((newCentre - target).length() < 1e-6);
    QVERIFY(std::fabs((newEye - target).length() - expected) < 1e-6 * expected);
    // The camera keeps its LOD scale in single precision.
    QVERIFY(std::fabs(canvas_->camera()->getLODScale() -
                      lodScale * qvx::viewer::lodScaleFactorForDistanceChange(distance, expected)) < 1e-6);
  }

  void shiftWheelStaysWithinLimits() {
    showGround();
    // Frames in between let the camera fit its near and far planes to the scene again.
    const std::vector<std::pair<int, float>> steps = {{1200, 85.0f}, {-1200, 25.0f}, {-1200, 0.1f}, {-1200, 0.1f},
                                                      {1200, 60.1f}};
    for (const auto& [delta, expected] : steps) {
      const double lodScale = canvas_->camera()->getLODScale();
      sendWheel(canvas_, delta, Qt::ShiftModifier);
      QCOMPARE(canvas_->fieldOfView(), expected);
      const double factor = canvas_->camera()->getLODScale() / lodScale;
      QVERIFY(factor >= 0.01 - 1e-6 && factor <= 1.99 + 1e-6);
      QVERIFY(waitFrames(2));
    }
  }

  void controlWheelOnlySignals() {
    showGround();
    takeEvents();
    QSignalSpy wheel(canvas_, &MeshViewerCanvas::signal_controlWheel);
    sendWheel(canvas_, -120, Qt::ControlModifier);
    QCOMPARE(wheel.count(), 1);
    QCOMPARE(wheel.at(0).at(0).toInt(), -120);
    QCOMPARE(canvas_->fieldOfView(), 50.0f);
    for (const auto& event : takeEvents())
      QVERIFY(event->asGUIEventAdapter()->getEventType() != osgGA::GUIEventAdapter::SCROLL);
  }

  void plainWheelScrolls() {
    takeEvents();
    sendWheel(canvas_, 0, Qt::NoModifier);
    sendWheel(canvas_, -120, Qt::NoModifier);
    std::vector<osgGA::GUIEventAdapter::ScrollingMotion> motions;
    for (const auto& event : takeEvents()) {
      const osgGA::GUIEventAdapter* ea = event->asGUIEventAdapter();
      if (ea && ea->getEventType() == osgGA::GUIEventAdapter::SCROLL) motions.push_back(ea->getScrollingMotion());
    }
    QCOMPARE(motions.size(), size_t(2));
    QCOMPARE(motions[0], osgGA::GUIEventAdapter::SCROLL_DOWN);
    QCOMPARE(motions[1], osgGA::GUIEventAdapter::SCROLL_UP);
  }

  void zoomButtonsMoveTheCamera() {
    showGround();
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
  }

  void escapeOutsideFullScreenDoesNothing() {
    takeEvents();
    QTest::keyPress(canvas_, Qt::Key_Escape);
    QVERIFY(!canvas_->isFullScreenMode());
    QVERIFY(takeEvents().empty());
    // The viewer keeps drawing.
    QVERIFY(waitFrames(2));
  }

  void fullScreenAndBack() {
    QTest::keyPress(canvas_, Qt::Key_F);
    QVERIFY(canvas_->isFullScreenMode());
    QVERIFY(canvas_->parentWidget() == nullptr);
    QVERIFY(canvas_->isVisible());
    QTest::keyPress(canvas_, Qt::Key_Escape);
    QVERIFY(!canvas_->isFullScreenMode());
    QVERIFY(canvas_->parentWidget() == window_);
    QVERIFY(window_->layout()->indexOf(canvas_) >= 0);
    QVERIFY(waitFrames(2));
    // A request matching the current state changes nothing.
    canvas_->setFullScreenMode(false);
    QVERIFY(canvas_->parentWidget() == window_);
  }

  void shortcutKeysAreSignalledNotPosted() {
    QSignalSpy shortcut(canvas_, &MeshViewerCanvas::signal_shortcut);
    takeEvents();
    for (int key : {Qt::Key_Plus, Qt::Key_Minus, Qt::Key_C, Qt::Key_J, Qt::Key_N, Qt::Key_O, Qt::Key_V, Qt::Key_X,
                    Qt::Key_Y})
      QTest::keyPress(canvas_, static_cast<Qt::Key>(key));
    QCOMPARE(shortcut.count(), 9);
    QCOMPARE(shortcut.at(2).at(0).toInt(), int(Qt::Key_C));
    QVERIFY(takeEvents().empty());

    QTest::keyPress(canvas_, 'w');
    const auto events = takeEvents();
    QCOMPARE(events.size(), size_t(1));
    QCOMPARE(events.front()->asGUIEventAdapter()->getEventType(), osgGA::GUIEventAdapter::KEYDOWN);
    QCOMPARE(events.front()->asGUIEventAdapter()->getKey(), int('w'));
    QCOMPARE(shortcut.count(), 9);
  }

  void inputReportsTheCameraPosition() {
    showGround();
    std::vector<osg::Vec3d> eyes;
    connect(canvas_, &MeshViewerCanvas::signal_cameraPositionChanged, this,
            [&](osg::Vec3d eye) { eyes.push_back(eye); });
    QMouseEvent move(QEvent::MouseMove, QPointF(100, 100), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(canvas_, &move);
    QVERIFY(!eyes.empty());
    osg::Vec3d eye, centre, up;
    adapter_->cameraManipulator()->getTransformation(eye, centre, up);
    QCOMPARE(eyes.back(), eye);
  }

  void mouseButtonsReachTheScene() {
    takeEvents();
    QTest::mousePress(canvas_, Qt::RightButton, Qt::NoModifier, QPoint(30, 40));
    QTest::mouseRelease(canvas_, Qt::RightButton, Qt::NoModifier, QPoint(30, 40));
    const auto events = takeEvents();
    QCOMPARE(events.size(), size_t(2));
    const osgGA::GUIEventAdapter* push = events.front()->asGUIEventAdapter();
    QCOMPARE(push->getEventType(), osgGA::GUIEventAdapter::PUSH);
    QCOMPARE(push->getButton(), int(osgGA::GUIEventAdapter::RIGHT_MOUSE_BUTTON));
    QCOMPARE(push->getX(), 30.0f);
    QCOMPARE(push->getY(), 40.0f);
    QCOMPARE(events.back()->asGUIEventAdapter()->getEventType(), osgGA::GUIEventAdapter::RELEASE);
  }

  void stereoSettings() {
    canvas_->on_setEyeSeparation(0.07);
    QCOMPARE(canvas_->displaySettings()->getEyeSeparation(), 0.07f);
    canvas_->on_3DVis(true);
    QVERIFY(canvas_->displaySettings()->getStereo());
    QCOMPARE(canvas_->displaySettings()->getStereoMode(), osg::DisplaySettings::ANAGLYPHIC);
    QVERIFY(waitFrames(2));
    canvas_->on_3DVis(false);
    QVERIFY(!canvas_->displaySettings()->getStereo());
  }
};

QTEST_MAIN(MeshViewerCanvasTest)
#include "MeshViewerCanvasTest.moc"
