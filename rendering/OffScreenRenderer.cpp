#include "rendering/OffScreenRenderer.h"

#include <QDebug>
#include <QDir>
#include <QtConcurrent>

#include <osgDB/DatabasePager>

#include "rendering/AnimationFrames.h"
#include "rendering/ImageFile.h"
#include "rendering/OffScreenContext.h"
#include "stations/OrientationCamera.h"
#include "vx/CameraParameters.h"

namespace qvx {

namespace {

constexpr double kDefaultFieldOfView = 50.0;
constexpr double kNear = 1.0099999904632568;  // 1.01 in single precision
constexpr double kFar = 1000.0;
constexpr int kPollMs = 10;
// Frames drawn with an idle pager before an image counts as complete: the frame that merged the
// last tile may still request finer ones.
constexpr int kIdleFramesNeeded = 2;

}  // namespace

OffScreenRenderer::OffScreenRenderer(int width, int height, osg::Camera* source,
                                     const vx::ImageOrientation* orientation, QObject* parent)
    : QObject(parent), view_(new osgViewer::View), image_(new osg::Image) {
  setAutoDelete(false);
  if (orientation && orientation->focalLength() != 0.0) {
    vx::ImageOrientation copy = *orientation;
    if (vx::normalizeCameraParameters(copy))
      orientation_ = copy;
    else
      setupError_ = QStringLiteral("The orientation of image \"%1\" cannot be drawn.")
                        .arg(QString::fromStdString(orientation->imageName()));
  }

  osg::Camera* camera = view_->getCamera();
  // A render that cannot start gets no context: it is never drawn.
  osg::ref_ptr<osg::GraphicsContext> context;
  if (setupError_.isEmpty()) context = createOffScreenContext(width, height, orientation_.has_value());
  if (!context && setupError_.isEmpty())
    setupError_ = QStringLiteral("No off-screen image of %1 x %2 pixels can be drawn here.").arg(width).arg(height);
  camera->setGraphicsContext(context.get());
  // The camera draws into its own pixel buffer and reads the frame back from there.
  camera->setRenderTargetImplementation(osg::Camera::FRAME_BUFFER);
  camera->setDrawBuffer(GL_BACK);
  camera->setReadBuffer(GL_BACK);
  camera->setViewport(0, 0, width, height);

  double fieldOfView = kDefaultFieldOfView;
  if (source) {
    camera->setLODScale(source->getLODScale());
    camera->setViewMatrix(source->getViewMatrix());
    camera->setClearColor(source->getClearColor());
    camera->setStateSet(source->getStateSet());
    // The picture shows what the user sees, also after the field of view was changed.
    double fovy = 0.0, aspect = 0.0, zNear = 0.0, zFar = 0.0;
    if (source->getProjectionMatrixAsPerspective(fovy, aspect, zNear, zFar) && fovy > 0.0) fieldOfView = fovy;
  }
  camera->setProjectionMatrixAsPerspective(fieldOfView, height > 0 ? double(width) / height : 1.0, kNear, kFar);
  if (orientation_) {
    camera->setViewMatrix(stations::viewMatrixFromOrientation(*orientation_));
    camera->setProjectionMatrix(stations::projectionFromOrientation(*orientation_));
  }

  // RGB: the JPEG writer refuses an alpha channel.
  image_->allocateImage(std::max(width, 1), std::max(height, 1), 1, GL_RGB, GL_UNSIGNED_BYTE, 1);
  camera->attach(osg::Camera::COLOR_BUFFER, image_.get());
  view_->setCameraManipulator(nullptr);

  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &OffScreenRenderer::tick);
  connect(&writer_, &QFutureWatcher<QString>::finished, this, &OffScreenRenderer::written);
}

OffScreenRenderer::~OffScreenRenderer() = default;

void OffScreenRenderer::setSceneData(osg::Node* node) { view_->setSceneData(node); }

void OffScreenRenderer::setLight(osg::Light* light, osg::View::LightingMode mode) {
  view_->setLightingMode(mode);
  if (light) view_->setLight(light);
}

void OffScreenRenderer::run() {
  if (!ready_.exchange(false)) return;
  result_ = Result::None;
  error_.clear();
  emit signal_started(QStringLiteral("rendering started"));
  if (!setupError_.isEmpty()) {
    finish(Result::Failed, setupError_);
    return;
  }
  shot_ = 0;
  startShot();
}

void OffScreenRenderer::startShot() {
  if (cancel_) {
    finish(Result::Cancelled);
    return;
  }
  if (shot_ >= shotCount()) {
    finish(Result::Succeeded);
    return;
  }
  shotFile_ = prepareShot(shot_);
  if (shotFile_.isEmpty()) {
    finish(Result::Succeeded);
    return;
  }
  state_ = State::Waiting;
  const osg::FrameStamp* stamp = view_->getFrameStamp();
  lastFrame_ = stamp ? stamp->getFrameNumber() : 0;
  idleFrames_ = 0;
  settle_.start();
  poll_.start();
}

bool OffScreenRenderer::pagerIdle() const {
  const osgDB::DatabasePager* pager = view_->getDatabasePager();
  return !pager || (!pager->getRequestsInProgress() && pager->getFileRequestListSize() == 0 &&
                    pager->getDataToMergeListSize() == 0);
}

void OffScreenRenderer::tick() {
  if (state_ != State::Waiting) return;
  if (cancel_) {
    finish(Result::Cancelled);
    return;
  }
  const osg::FrameStamp* stamp = view_->getFrameStamp();
  const unsigned int frame = stamp ? stamp->getFrameNumber() : 0;
  if (frame == lastFrame_) return;  // no new picture since the last look
  lastFrame_ = frame;
  if (!pagerIdle()) {
    idleFrames_ = 0;
    return;
  }
  ++idleFrames_;
  if (idleFrames_ < kIdleFramesNeeded || settle_.elapsed() < settleMilliseconds()) return;
  capture();
}

void OffScreenRenderer::capture() {
  poll_.stop();
  state_ = State::Writing;
  // The copy goes to the pool; the attached image keeps being filled by the frames that follow.
  osg::ref_ptr<osg::Image> picture = new osg::Image(*image_, osg::CopyOp::DEEP_COPY_ALL);
  const QString file = shotFile_;
  writer_.setFuture(QtConcurrent::run([picture, file] { return writeImageFile(*picture, file); }));
}

void OffScreenRenderer::written() {
  if (state_ != State::Writing) return;
  const QString error = writer_.result();
  if (!error.isEmpty()) {
    finish(Result::Failed, error);
    return;
  }
  ++shot_;
  startShot();
}

void OffScreenRenderer::finish(Result result, const QString& error) {
  poll_.stop();
  state_ = State::Idle;
  result_ = result;
  error_ = error;
  if (!error.isEmpty()) {
    qDebug() << error;
    emit signal_error(error);
  }
  ready_ = true;
  emit signal_finished(QStringLiteral("rendering finished"));
}

ScreenshotRenderer::ScreenshotRenderer(int width, int height, osg::Camera* source,
                                       const vx::ImageOrientation* orientation, QObject* parent)
    : OffScreenRenderer(width, height, source, orientation, parent) {
  setOutputFile(QFileInfo(QStringLiteral("screenshot")));
}

QString ScreenshotRenderer::prepareShot(int) { return outputFile().absoluteFilePath(); }

AnimationRenderer::AnimationRenderer(int width, int height, osg::Camera* source, QObject* parent)
    : OffScreenRenderer(width, height, source, nullptr, parent) {
  setOutputFile(QFileInfo(QStringLiteral("frame")));
}

int AnimationRenderer::shotCount() const { return path_ ? animationFrameCount(path_->getLastTime()) : 0; }

QString AnimationRenderer::prepareShot(int index) {
  osg::AnimationPath::ControlPoint point;
  if (path_->getInterpolatedControlPoint(double(index) / kAnimationFramesPerSecond, point)) {
    osg::Matrixd placement = osg::Matrixd::rotate(point.getRotation());
    placement.preMultScale(point.getScale());
    placement.postMultTranslate(point.getPosition());
    camera()->setViewMatrix(osg::Matrixd::inverse(placement));
  }
  const QString file = animationFrameFile(outputFile(), index);
  qDebug("writing to %s", qUtf8Printable(file));
  emit signal_started(QStringLiteral(" rendering started  -  %1 / %2").arg(index).arg(shotCount()));
  return file;
}

}  // namespace qvx
