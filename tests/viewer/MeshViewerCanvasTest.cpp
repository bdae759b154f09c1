#include <QtTest>

#include <QVBoxLayout>
#include <QWheelEvent>

#include "TestScenes.h"
#include "resources/DataBase.h"
#include "viewer/MeshViewerCanvas.h"
#include "viewer/ViewerMath.h"

using qvx::viewer::ViewerEventAdapter;
using Event = osgGA::GUIEventAdapter;

class MeshViewerCanvasTest : public QObject {
  Q_OBJECT

 private:
  QWidget* window_ = nullptr;
  MeshViewerCanvas* canvas_ = nullptr;
  ViewerEventAdapter* adapter_ = nullptr;

  bool waitFrames(unsigned int count) {
    auto frame = [this] { return canvas_->compositeViewer()->getFrameStamp()->getFrameNumber(); };
    const unsigned int target = frame() + count;
    return QTest::qWaitFor([&] { return frame() >= target; }, 20000);
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
    window_->resize(640, 480);
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
    // The picked point keeps its size on screen: L' = L sin(50) / sin(56).
    const double expected = distance * std::sin(50.0 * M_PI / 180) / std::sin(56.0 * M_PI / 180);
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

  void inputReachesTheScene() {
    takeEvents();
    QSignalSpy controlWheel(canvas_, &MeshViewerCanvas::signal_controlWheel);
    wheel(-120, Qt::ControlModifier);  // only signalled
    QCOMPARE(controlWheel.count(), 1);
    QCOMPARE(controlWheel.at(0).at(0).toInt(), -120);
    wheel(0, Qt::NoModifier);
    wheel(-120, Qt::NoModifier);
    QTest::mouseClick(canvas_, Qt::RightButton, Qt::NoModifier, QPoint(30, 40));
    const auto events = takeEvents();
    QCOMPARE(events.size(), size_t(4));
    QCOMPARE(events[0]->getScrollingMotion(), Event::SCROLL_DOWN);
    QCOMPARE(events[1]->getScrollingMotion(), Event::SCROLL_UP);
    QCOMPARE(events[2]->getEventType(), Event::PUSH);
    QCOMPARE(events[2]->getButton(), int(Event::RIGHT_MOUSE_BUTTON));
    QCOMPARE(events[2]->getX(), 30.0f);
    QCOMPARE(events[2]->getY(), 40.0f);
    QCOMPARE(events[3]->getEventType(), Event::RELEASE);
  }

  void shortcutKeysAreSignalledNotPosted() {
    QSignalSpy shortcut(canvas_, &MeshViewerCanvas::signal_shortcut);
    takeEvents();
    for (Qt::Key key : {Qt::Key_Plus, Qt::Key_Minus, Qt::Key_C, Qt::Key_J, Qt::Key_N, Qt::Key_O, Qt::Key_V, Qt::Key_X,
                        Qt::Key_Y, Qt::Key_Escape})
      QTest::keyPress(canvas_, key);
    QCOMPARE(shortcut.count(), 9);
    QCOMPARE(shortcut.at(2).at(0).toInt(), int(Qt::Key_C));
    QVERIFY(takeEvents().empty());
    QTest::keyPress(canvas_, 'w');
    const auto events = takeEvents();
    QCOMPARE(events.size(), size_t(1));
    QCOMPARE(events[0]->getEventType(), Event::KEYDOWN);
    QCOMPARE(events[0]->getKey(), int('w'));
    // Escape outside full screen must not stop drawing.
    QVERIFY(!canvas_->isFullScreenMode());
    QVERIFY(waitFrames(2));
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
};

QTEST_MAIN(MeshViewerCanvasTest)
#include "MeshViewerCanvasTest.moc"
