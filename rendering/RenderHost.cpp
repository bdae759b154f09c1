#include "rendering/RenderHost.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "stations/OrientationCamera.h"

namespace qvx {

RenderHost::RenderHost(osgViewer::CompositeViewer* viewer, osgViewer::View* view, osg::Camera* camera,
                       std::function<void()> makeCurrent, QObject* parent)
    : QObject(parent),
      viewer_(viewer),
      view_(view),
      camera_(camera),
      makeCurrent_(std::move(makeCurrent)),
      animation_(new osgGA::AnimationPathManipulator) {}

RenderHost::~RenderHost() {
  if (renderer_) viewer_->removeView(renderer_->view());
  setCanvasViewShown(true);
  renderer_.reset();
  if (makeCurrent_) makeCurrent_();
}

bool RenderHost::isRendering() const { return renderer_ != nullptr || run_ != nullptr; }

bool RenderHost::refuseWhileRendering() const {
  if (!isRendering()) return false;
  qDebug() << "Rendering in prgress";
  return true;
}

bool RenderHost::renderScreenshot(const QString& file, int width, int height) {
  if (refuseWhileRendering()) return false;
  if (width <= 0 || height <= 0) {
    emit signal_error(QStringLiteral("A screenshot of %1 x %2 pixels cannot be rendered; choose a width and a "
                                     "height above 0.")
                          .arg(width)
                          .arg(height));
    return false;
  }
  auto renderer = std::make_unique<ScreenshotRenderer>(width, height, camera_.get(), nullptr);
  renderer->setOutputFile(QFileInfo(file));
  start(std::move(renderer), false);
  return true;
}

bool RenderHost::renderAnimation(const QString& file, osg::AnimationPath* path) {
  if (refuseWhileRendering()) return false;
  if (!path) {
    emit signal_error(QStringLiteral("There is no animation to render: at least two ticked waypoints at different "
                                     "places are needed."));
    return false;
  }
  auto renderer = std::make_unique<AnimationRenderer>(kAnimationWidth, kAnimationHeight, camera_.get());
  renderer->setAnimationPath(path);
  renderer->setOutputFile(QFileInfo(file));
  start(std::move(renderer), true);
  return true;
}

QString RenderHost::orientationImageFile(const QString& folder, const vx::ImageOrientation& orientation) {
  const QString name = QFileInfo(QString::fromStdString(orientation.imageName())).completeBaseName();
  return QDir::toNativeSeparators(QDir::cleanPath(folder)) + QDir::separator() + name + QStringLiteral(".jpg");
}

bool RenderHost::renderFromOrientations(const QString& folder, const std::vector<vx::ImageOrientation>& orientations) {
  if (refuseWhileRendering()) return false;
  const QFileInfo info(folder);
  if (!info.isDir() || !info.isWritable()) {
    emit signal_error(QStringLiteral("The render folder \"%1\" does not exist or cannot be written.")
                          .arg(QDir::toNativeSeparators(folder)));
    emit signal_allDone(false, 0, int(orientations.size()));
    return false;
  }
  run_ = std::make_unique<OrientationRun>();
  run_->folder = folder;
  run_->orientations = orientations;
  run_->savedLodScale = camera_->getLODScale();
  camera_->setLODScale(kOrientationLodScale);
  emit signal_busy(true, QStringLiteral("rendering started"));
  nextOrientation();
  return true;
}

void RenderHost::nextOrientation() {
  if (run_->cancelled || run_->next >= run_->orientations.size()) {
    endOrientations();
    return;
  }
  const vx::ImageOrientation& orientation = run_->orientations[run_->next++];
  auto renderer = std::make_unique<ScreenshotRenderer>(orientation.width(), orientation.height(), camera_.get(),
                                                       &orientation);
  renderer->setOutputFile(QFileInfo(orientationImageFile(run_->folder, orientation)));
  renderer->camera()->setCullMask(orientationCullMask_);
  if (osgGA::CameraManipulator* manipulator = view_->getCameraManipulator())
    manipulator->setByInverseMatrix(renderer->camera()->getViewMatrix());
  emit signal_busy(true, QStringLiteral("rendering camera position %1 / %2")
                             .arg(run_->next)
                             .arg(run_->orientations.size()));
  start(std::move(renderer), true);
}

void RenderHost::endOrientations() {
  const std::unique_ptr<OrientationRun> run = std::move(run_);
  camera_->setLODScale(run->savedLodScale);
  setCanvasViewShown(true);
  const int notWritten = int(run->orientations.size()) - run->written;
  emit signal_busy(false, QStringLiteral("rendering finished"));
  emit signal_allDone(notWritten == 0, run->written, notWritten);
}

void RenderHost::cancel() {
  if (run_) run_->cancelled = true;
  if (renderer_) renderer_->cancel();
}

void RenderHost::start(std::unique_ptr<OffScreenRenderer> renderer, bool hideCanvasView) {
  renderer->setSceneData(view_->getSceneData());
  renderer->setLight(view_->getLight(), view_->getLightingMode());
  connect(renderer.get(), &OffScreenRenderer::signal_error, this, &RenderHost::signal_error);
  connect(renderer.get(), &OffScreenRenderer::signal_finished, this, &RenderHost::rendererFinished);
  if (!run_) connect(renderer.get(), &OffScreenRenderer::signal_started, this, [this](const QString& msg) {
      emit signal_busy(true, msg);
    });
  if (osg::GraphicsContext* context = renderer->camera()->getGraphicsContext()) {
    viewer_->addView(renderer->view());
    // The viewer realizes a new view's context only while another one is realized; between two
    // camera positions it holds no view at all.
    if (!context->isRealized()) context->realize();
    if (makeCurrent_) makeCurrent_();
  }
  if (hideCanvasView) setCanvasViewShown(false);
  renderer_ = std::move(renderer);
  renderer_->run();
}

void RenderHost::rendererFinished(const QString& msg) {
  // Called from inside the renderer: it is deleted once it has returned.
  OffScreenRenderer* done = renderer_.release();
  viewer_->removeView(done->view());
  const OffScreenRenderer::Result result = done->result();
  QTimer::singleShot(0, this, [this, done] {
    delete done;
    if (makeCurrent_) makeCurrent_();
  });
  if (!run_) {
    setCanvasViewShown(true);
    emit signal_busy(false, msg);
    return;
  }
  if (result == OffScreenRenderer::Result::Succeeded) ++run_->written;
  if (result == OffScreenRenderer::Result::Cancelled) run_->cancelled = true;
  nextOrientation();
}

void RenderHost::setCanvasViewShown(bool shown) {
  bool present = false;
  for (unsigned int i = 0; i < viewer_->getNumViews(); ++i) present = present || viewer_->getView(i) == view_.get();
  if (shown && !present) viewer_->addView(view_.get());
  if (!shown && present) viewer_->removeView(view_.get());
}

void RenderHost::playAnimation(osg::AnimationPath* path) {
  if (!path) return;
  animation_->setAnimationPath(path);
  view_->setCameraManipulator(animation_.get(), true);
  playing_ = true;
}

void RenderHost::setAnimationSpeed(int percent) { animation_->setTimeScale(animationTimeScale(percent)); }

void RenderHost::stopAnimation(osgGA::CameraManipulator* manipulator) {
  if (!playing_) return;
  view_->setCameraManipulator(manipulator, false);
  playing_ = false;
}

}  // namespace qvx
