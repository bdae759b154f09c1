#include "viewer/MeshViewerCanvas.h"

#include <QCursor>
#include <QDebug>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QWheelEvent>

#include <osgDB/DatabasePager>
#include <osgViewer/ViewerEventHandlers>

#include "rendering/RenderHost.h"
#include "stations/ImageOverlayController.h"
#include "viewer/MipmapReadCallback.h"
#include "viewer/Picking.h"
#include "viewer/ViewerMath.h"

using namespace qvx::viewer;

namespace {

constexpr const char* kQuadBufferRestartMessage =
    "In order to succesfully turn off Quad Buffer, the application needs to be restarted.";

// Where the platform has no stereo visual, asking for stereo buffers can yield a configuration
// without a depth buffer, and then nothing occludes anything. Depth matters more than quad-buffer
// stereo, so stereo buffers are only requested where the platform keeps depth with them.
bool platformKeepsDepthWithStereo() {
  static const bool keeps = [] {
    QSurfaceFormat format;
    format.setStereo(true);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    format.setAlphaBufferSize(8);
    QOffscreenSurface surface;
    surface.setFormat(format);
    surface.create();
    QOpenGLContext context;
    context.setFormat(format);
    return context.create() && context.format().depthBufferSize() > 0;
  }();
  return keeps;
}

QGLFormat canvasFormat() {
  QGLFormat format;
  format.setDoubleBuffer(true);
  format.setDepth(true);
  format.setRgba(true);
  format.setAlpha(true);
  format.setStencil(true);
  format.setStereo(platformKeepsDepthWithStereo());
  return format;
}

// Parentless and on top, like every message box of the editor.
void showInformation(const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Information, title, text);
  box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
  box.exec();
}

bool isShortcutKey(int key) {
  switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Minus:
    case Qt::Key_C:
    case Qt::Key_J:
    case Qt::Key_N:
    case Qt::Key_O:
    case Qt::Key_V:
    case Qt::Key_X:
    case Qt::Key_Y:
      return true;
    default:
      return false;
  }
}

bool isInputEvent(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
      return true;
    default:
      return false;
  }
}

}  // namespace

MeshViewerCanvas::MeshViewerCanvas(QWidget* parent)
    : QGLWidget(canvasFormat(), parent),
      frameInterval_(kFrameIntervalMs),
      graphicsWindow_(new osgViewer::GraphicsWindowEmbedded(x(), y(), width(), height())),
      view_(new osgViewer::View),
      viewer_(new osgViewer::CompositeViewer),
      camera_(new osg::Camera),
      displaySettings_(new osg::DisplaySettings),
      frameTimer_(new QTimer(this)),
      fieldOfView_(kDefaultFieldOfView),
      overlay_(new qvx::image::ImageOverlayController(view_.get(), camera_.get(), this)),
      renderHost_(new qvx::RenderHost(viewer_.get(), view_.get(), camera_.get(), [this] { makeCurrent(); }, this)) {
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(100, 100);
  setMouseTracking(true);

  // The renderer takes the view's display settings when the camera is set, so they come first.
  displaySettings_->setStereo(false);
  displaySettings_->setStereoMode(osg::DisplaySettings::ANAGLYPHIC);
  view_->setDisplaySettings(displaySettings_.get());

  camera_->setViewport(0, 0, width(), height());
  camera_->setClearColor(osg::Vec4(0.1f, 0.1f, 0.1f, 1.0f));
  camera_->setGraphicsContext(graphicsWindow_.get());
  // The embedded window does not know the widget is double-buffered; draw where Qt swaps from.
  camera_->setDrawBuffer(GL_BACK);
  camera_->setReadBuffer(GL_BACK);
  applyProjection();
  view_->setCamera(camera_.get());

  view_->addEventHandler(new osgViewer::StatsHandler);
  osg::ref_ptr<osgViewer::LODScaleHandler> lodScale = new osgViewer::LODScaleHandler;
  lodScale->setKeyEventIncreaseLODScale('*');
  lodScale->setKeyEventDecreaseLODScale('/');
  view_->addEventHandler(lodScale.get());

  viewer_->setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
  // The application decides when to end: a stray Escape or close event must not stop drawing.
  viewer_->setKeyEventSetsDone(0);
  viewer_->setQuitEventSetsDone(false);
  viewer_->addView(view_.get());

  connect(frameTimer_, &QTimer::timeout, this, &MeshViewerCanvas::on_paint);

  // Paging: tiles are merged into the scene in the frame after the pager threads read them,
  // and their GL objects are built when first drawn, instead of being compiled ahead in small
  // per-frame time slices. A tiled mesh thus reaches full detail as fast as the pager threads
  // read its files. The number of threads stays osgDB's default (OSG_NUM_DATABASE_THREADS), as
  // for any OpenSceneGraph viewer. Mipmaps are built while a file is read, so that first drawing
  // a tile only uploads it.
  view_->getDatabasePager()->setDoPreCompile(false);
  MipmapReadCallback::install();
  // A picture through a photo shows the scene as the photo does: without the camera stations (its
  // own would cover it) and without the viewer's markers.
  renderHost_->setOrientationCullMask(~kStationNodeMask);
}

MeshViewerCanvas::~MeshViewerCanvas() {
  frameTimer_->stop();
  // A render's pixel buffer leaves the viewer before the viewer goes.
  delete renderHost_;
  renderHost_ = nullptr;
  // Let the viewer release its GL objects while the widget's context still exists.
  makeCurrent();
  viewer_ = nullptr;
  camera_ = nullptr;
  view_ = nullptr;
  graphicsWindow_ = nullptr;
}

void MeshViewerCanvas::setEventAdapter(ViewerEventAdapter* adapter) { adapter_ = adapter; }

bool MeshViewerCanvas::hasRenderer() const {
  if (!context() || !context()->isValid()) return false;
  const_cast<MeshViewerCanvas*>(this)->makeCurrent();
  const GLubyte* renderer = glGetString(GL_RENDERER);
  return renderer && renderer[0] != 0;
}

void MeshViewerCanvas::setFullScreenMode(bool on) {
  if (on == fullScreen_) {
    qDebug() << "Requested fullscreenMode is not consistent with current fullscreenMode";
    return;
  }
  fullScreen_ = on;
  if (on) {
    savedParent_ = parentWidget();
    savedLayout_ = savedParent_ ? savedParent_->layout() : nullptr;
    setParent(nullptr);
    showFullScreen();
  } else {
    showNormal();
    if (savedParent_ && savedLayout_) {
      savedLayout_->addWidget(this);
      savedParent_->setLayout(savedLayout_);
    }
  }
}

osg::Vec3d MeshViewerCanvas::pickWorldPoint(double x, double y) const {
  return qvx::viewer::pickWorldPoint(camera_.get(), x, y);
}

bool MeshViewerCanvas::isImageView() const { return overlay_->isActive(); }

bool MeshViewerCanvas::showCameraImageAtCentre(const std::vector<vx::ImageOrientation>& orientations) {
  const osg::Vec3d p1 = pickWorldPoint(0.0, 0.0);
  const osg::Vec3d p2 = pickWorldPoint(0.005, 0.005);
  if (!isValidPoint(p1) || !isValidPoint(p2)) return false;
  overlay_->showCameraImagesAtPoint(orientations, p1, p2);
  return overlay_->isActive();
}

bool MeshViewerCanvas::showTrueOrthoAtCentre(const vx::VEXAProject& project) {
  return overlay_->showTrueOrthoAtPoint(project, pickWorldPoint(0.0, 0.0));
}

void MeshViewerCanvas::leaveImageView() {
  overlay_->close();
  // No drag may stay open from the right button that the overlay kept for itself.
  eventQueue()->mouseButtonRelease(width() / 2.0f, height() / 2.0f, osgButtonFromQt(Qt::RightButton));
  applyProjection();
  emit signal_isImageView(false);
}

void MeshViewerCanvas::slot_prevCamera() { overlay_->previousImage(); }

void MeshViewerCanvas::slot_nextCamera() { overlay_->nextImage(); }

void MeshViewerCanvas::on_3DVis(bool on) {
  if (displaySettings_->getStereo() && !on &&
      displaySettings_->getStereoMode() == osg::DisplaySettings::QUAD_BUFFER)
    showInformation("VEXA", kQuadBufferRestartMessage);
  displaySettings_->setStereo(on);
}

void MeshViewerCanvas::on_setEyeSeparation(double value) {
  displaySettings_->setEyeSeparation(static_cast<float>(value));
}

void MeshViewerCanvas::slot_stereoModeChanged(int stereoMode) {
  if (displaySettings_->getStereoMode() == osg::DisplaySettings::QUAD_BUFFER)
    showInformation("Info", kQuadBufferRestartMessage);
  displaySettings_->setStereoMode(static_cast<osg::DisplaySettings::StereoMode>(stereoMode));
}

void MeshViewerCanvas::on_zoomReset() {
  for (unsigned int i = 0; i < viewer_->getNumViews(); ++i) viewer_->getView(i)->home();
  update();
}

void MeshViewerCanvas::on_zoomIn() {
  QWheelEvent wheel(QPointF(0, 0), QPointF(0, 0), QPoint(), QPoint(0, kZoomInWheelDelta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  wheelEvent(&wheel);
}

void MeshViewerCanvas::on_zoomOut() {
  QWheelEvent wheel(QPointF(0, 0), QPointF(0, 0), QPoint(), QPoint(0, kZoomOutWheelDelta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  wheelEvent(&wheel);
}

void MeshViewerCanvas::on_paint() { repaint(); }

bool MeshViewerCanvas::event(QEvent* event) {
  if (adapter_) {
    const osg::Vec2d ndc = cursorNdc();
    adapter_->handleEvent(event, ndc.x(), ndc.y());
  }
  const bool handled = QGLWidget::event(event);
  if (isInputEvent(event->type())) {
    update();
    if (adapter_) {
      osg::Vec3d eye, center, up;
      adapter_->cameraManipulator()->getTransformation(eye, center, up);
      emit signal_cameraPositionChanged(eye);
    }
  }
  return handled;
}

void MeshViewerCanvas::initializeGL() {
  viewer_->realize();
  makeCurrent();
}

void MeshViewerCanvas::resizeGL(int width, int height) {
  eventQueue()->windowResize(x(), y(), width, height);
  graphicsWindow_->resized(x(), y(), width, height);
  applyProjection();
}

void MeshViewerCanvas::paintGL() {
  viewer_->frame();
  // Other graphics contexts of the same viewer (off-screen views) leave theirs current.
  makeCurrent();
  const osg::Vec2d ndc = cursorNdc();
  emit signal_updateMousePos(ndc.x(), ndc.y());
  if (adapter_) adapter_->updateMousePosition(ndc.x(), ndc.y());
}

void MeshViewerCanvas::paintEvent(QPaintEvent* event) {
  if (!hasRenderer()) return;
  QGLWidget::paintEvent(event);
}

void MeshViewerCanvas::showEvent(QShowEvent* event) {
  qDebug() << "show event";
  frameTimer_->start(frameInterval_);
  QGLWidget::showEvent(event);
}

void MeshViewerCanvas::hideEvent(QHideEvent* event) {
  qDebug() << "hide event";
  frameTimer_->stop();
  QGLWidget::hideEvent(event);
}

void MeshViewerCanvas::mousePressEvent(QMouseEvent* event) {
  if (overlay_->isActive() && event->button() == Qt::RightButton) {
    overlay_->rightButton(true);
    return;
  }
  setModifiers(event->modifiers());
  eventQueue()->mouseButtonPress(static_cast<float>(event->x()), static_cast<float>(event->y()),
                                 osgButtonFromQt(event->button()), eventQueue()->getTime());
}

void MeshViewerCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (overlay_->isActive() && event->button() == Qt::RightButton) {
    overlay_->rightButton(false);
    return;
  }
  setModifiers(event->modifiers());
  eventQueue()->mouseButtonRelease(static_cast<float>(event->x()), static_cast<float>(event->y()),
                                   osgButtonFromQt(event->button()), eventQueue()->getTime());
}

void MeshViewerCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (overlay_->isActive()) {
    overlay_->mouseMoved(static_cast<float>(event->x()), static_cast<float>(event->y()));
    return;
  }
  update();
  setModifiers(event->modifiers());
  eventQueue()->mouseMotion(static_cast<float>(event->x()), static_cast<float>(event->y()));
}

void MeshViewerCanvas::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Left) {
    overlay_->previousImage();
  } else if (key == Qt::Key_Right) {
    overlay_->nextImage();
  } else if (key == Qt::Key_Escape) {
    if (fullScreen_) setFullScreenMode(false);
  } else if (key == Qt::Key_F) {
    setFullScreenMode(!fullScreen_);
  } else if (key == Qt::Key_H) {
    on_zoomReset();
  } else if (isShortcutKey(key)) {
    emit signal_shortcut(key);
  } else {
    postKey(event, true);
  }
}

void MeshViewerCanvas::keyReleaseEvent(QKeyEvent* event) { postKey(event, false); }

void MeshViewerCanvas::wheelEvent(QWheelEvent* event) {
  event->accept();
  const int delta = event->angleDelta().y();
  if (event->modifiers() & Qt::ControlModifier) {
    emit signal_controlWheel(delta);
  } else if (event->modifiers() & Qt::ShiftModifier) {
    changeFieldOfView(delta);
  } else if (overlay_->isActive()) {
    overlay_->wheel(delta);
  } else {
    setModifiers(event->modifiers());
    eventQueue()->mouseScroll(scrollMotionForDelta(delta));
  }
}

osgGA::EventQueue* MeshViewerCanvas::eventQueue() const { return graphicsWindow_->getEventQueue(); }

osg::Vec2d MeshViewerCanvas::cursorNdc() const {
  const QPoint cursor = mapFromGlobal(QCursor::pos());
  return ndcFromWidget(cursor.x(), cursor.y(), width(), height());
}

void MeshViewerCanvas::applyProjection() {
  const double aspect = height() > 0 ? static_cast<double>(width()) / height() : 1.0;
  camera_->setProjectionMatrixAsPerspective(fieldOfView_, aspect, kNearPlane, kFarPlane);
  camera_->setViewport(0, 0, width(), height());
}

void MeshViewerCanvas::changeFieldOfView(int angleDeltaY) {
  const float oldFov = fieldOfView_;
  const float newFov = fieldOfViewAfterWheel(oldFov, angleDeltaY);
  const osg::Vec3d target = pickWorldPoint(0.0, 0.0);
  if (!isValidPoint(target) || !adapter_) return;

  osg::Vec3d eye, center, up;
  camera_->getViewMatrixAsLookAt(eye, center, up, 1.0);
  osg::Vec3d direction = eye - target;
  const double distance = direction.normalize();
  if (!(distance > 0.0)) return;

  fieldOfView_ = newFov;
  const double newDistance = distanceForFieldOfView(distance, oldFov, newFov);
  CameraManipulator* manipulator = adapter_->cameraManipulator();
  manipulator->setTransformation(target + direction * newDistance, target, up);
  // Keep the camera in step, so that a second wheel step before the next frame starts here.
  camera_->setViewMatrix(manipulator->getInverseMatrix());
  camera_->setLODScale(camera_->getLODScale() * lodScaleFactorForDistanceChange(distance, newDistance));
  emit signal_fovChanged(fieldOfView_);
  applyProjection();
}

void MeshViewerCanvas::setModifiers(Qt::KeyboardModifiers modifiers) {
  eventQueue()->getCurrentEventState()->setModKeyMask(osgModKeyMaskFromQt(modifiers));
}

void MeshViewerCanvas::postKey(QKeyEvent* event, bool press) {
  setModifiers(event->modifiers());
  const QByteArray text = event->text().toLocal8Bit();
  // Keys without text (modifiers, arrows) mean nothing to the scene's handlers.
  if (text.isEmpty()) return;
  const int key = static_cast<unsigned char>(text.at(0));
  if (press)
    eventQueue()->keyPress(key);
  else
    eventQueue()->keyRelease(key);
}
