#include "stations/ImageOverlayController.h"

#include <cmath>

#include <QFileInfo>

#include <osg/Viewport>
#include <osgGA/CameraManipulator>

#include "stations/OrientationCamera.h"
#include "stations/PhotoReader.h"
#include "tasks/Task.h"
#include "vx/VEXAProject.h"

namespace qvx {
namespace image {

namespace {

bool isFinite(const osg::Vec3d& p) { return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z()); }

}  // namespace

ImageOverlayController::ImageOverlayController(osgViewer::View* view, osg::Camera* camera, QObject* parent)
    : QObject(parent), camera_(camera), view_(view) {}

void ImageOverlayController::showCameraImagesAtPoint(const std::vector<vx::ImageOrientation>& orientations,
                                                     const osg::Vec3d& p1, const osg::Vec3d& p2) {
  p1_ = p1;
  p2_ = p2;
  candidates_ = camerasSeeing(orientations, p1);
  index_ = 0;
  if (candidates_.empty()) return;
  showCandidate(true);
}

void ImageOverlayController::nextImage() {
  if (candidates_.empty()) return;
  index_ = wrapIndex(index_ + 1, candidateCount());
  showCandidate(false);
}

void ImageOverlayController::previousImage() {
  if (candidates_.empty()) return;
  index_ = wrapIndex(index_ - 1, candidateCount());
  showCandidate(false);
}

bool ImageOverlayController::windowPosition(const osg::Vec3d& world, osg::Vec2d& window) const {
  if (!camera_.valid()) return false;
  const osg::Viewport* viewport = camera_->getViewport();
  if (!viewport || !isFinite(world)) return false;
  const osg::Vec4d clip = osg::Vec4d(world, 1.0) * camera_->getViewMatrix() * camera_->getProjectionMatrix();
  if (!(clip.w() > 0.0)) return false;
  const osg::Vec3d ndc(clip.x() / clip.w(), clip.y() / clip.w(), clip.z() / clip.w());
  const osg::Vec3d onScreen = ndc * viewport->computeWindowMatrix();
  window.set(onScreen.x(), onScreen.y());
  return true;
}

void ImageOverlayController::showCandidate(bool isFirstImage) {
  const vx::ImageOrientation candidate = candidates_[index_].orientation;
  osg::Vec2d image1(-1.0, -1.0);
  osg::Vec2d image2;
  osg::Vec2d window1;
  osg::Vec2d window2;
  osg::Matrixd rotation;
  const bool inImage = stations::worldToPixel(candidate, p1_, image1);
  if (inImage && stations::worldToPixel(candidate, p2_, image2) && windowPosition(p1_, window1) &&
      windowPosition(p2_, window2)) {
    rotation = imageRotationFor(image2 - image1, window2 - window1);
  }
  if (!inImage) image1.set(-1.0, -1.0);
  emit signal_openImageFromOri(candidate);
  slot_jumpToCameraPosition(candidate, image1, rotation, isFirstImage, -1.0);
}

void ImageOverlayController::slot_jumpToCameraPosition(vx::ImageOrientation ori, osg::Vec2d imagePosition,
                                                       osg::Matrixd rotation, bool isFirstImage, double tileSize) {
  if (isFirstImage) emit signal_isImageView(true);
  const bool wasActive = active_;
  active_ = true;
  orientation_ = ori;
  const bool wasTrueOrtho = trueOrtho_;
  trueOrtho_ = tileSize > 0.0;
  if (trueOrtho_ && ori.width() > 0) {
    zoom_ = static_cast<float>(tileSize / ori.width());
  } else if (!isFirstImage || wasTrueOrtho) {
    // A true ortho's zoom is in world units per pixel, meaningless for a photo.
    zoom_ = 1.0f;
  }
  if (imagePosition != osg::Vec2d(-1.0, -1.0)) {
    const osg::Vec2d pan = panCentring(ori, imagePosition, rotation, trueOrtho_ ? zoom_ : 1.0);
    panX_ = static_cast<float>(pan.x());
    panY_ = static_cast<float>(pan.y());
  }
  imageRotation_ = rotation;
  // A second first image while the view is on must not lower the detail again.
  if (isFirstImage && !wasActive && camera_.valid()) {
    savedLodScale_ = camera_->getLODScale();
    camera_->setLODScale(savedLodScale_ * 0.25f);
  }
  applyView();
}

void ImageOverlayController::applyView() {
  if (!camera_.valid() || !view_.valid()) return;
  const osg::Matrixd view = stations::viewMatrixFromOrientation(orientation_, imageRotation_);
  if (osgGA::CameraManipulator* manipulator = view_->getCameraManipulator()) manipulator->setByInverseMatrix(view);
  // Also on the camera at once, so that picks before the next frame see the photo's view.
  camera_->setViewMatrix(view);
  const osg::Viewport* viewport = camera_->getViewport();
  const int width = viewport ? static_cast<int>(viewport->width()) : 1;
  const int height = viewport ? static_cast<int>(viewport->height()) : 1;
  const stations::ImagePlane plane =
      stations::viewportImagePlane(orientation_, width, height, zoom_, osg::Vec2d(panX_, panY_));
  camera_->setProjectionMatrix(stations::projectionOf(plane));
  view_->requestRedraw();
}

void ImageOverlayController::close() {
  ++orthoRequest_;
  if (!active_) return;
  active_ = false;
  rightHeld_ = false;
  lastX_ = -1.0f;
  lastY_ = -1.0f;
  if (camera_.valid()) camera_->setLODScale(savedLodScale_);
}

void ImageOverlayController::mouseMoved(float x, float y) {
  const bool hadPosition = !(lastX_ == -1.0f && lastY_ == -1.0f);
  if (active_ && hadPosition && rightHeld_) {
    panX_ += (x - lastX_) * zoom_;
    panY_ += (y - lastY_) * zoom_;
    applyView();
  }
  lastX_ = x;
  lastY_ = y;
}

void ImageOverlayController::rightButton(bool pressed) { rightHeld_ = pressed; }

void ImageOverlayController::wheel(int angleDelta) {
  zoom_ = static_cast<float>(zoomAfterWheel(zoom_, angleDelta));
  if (active_) applyView();
}

bool ImageOverlayController::showTrueOrthoAtPoint(const vx::VEXAProject& project, const osg::Vec3d& p1) {
  candidates_.clear();
  index_ = 0;
  if (!isFinite(p1)) {
    emit signal_error("Cannot open true ortho photo, no mesh in field of view.");
    return false;
  }
  double x0 = 0.0;
  double y0 = 0.0;
  const QString path = trueOrthoTilePath(project, p1.x(), p1.y(), x0, y0);
  if (!QFileInfo::exists(path)) {
    emit signal_error("Corresponding true ortho photo does not exist: " + path);
    return false;
  }
  const double tileSize = project.tileSize();
  const double gsd = project.groundSampleDistance();
  if (!(gsd > 0.0)) {
    emit signal_error("Cannot open true ortho photo as the VEXA project has an invalid GSD: " + QString::number(gsd));
    return false;
  }

  const int request = ++orthoRequest_;
  const auto open = [=](const osgcam::RasterSize& size) {
    if (request != orthoRequest_) return;
    if (size.width <= 0) {
      emit signal_error(size.error);
      return;
    }
    const vx::ImageOrientation tile = trueOrthoOrientation(size.width, size.height, x0, y0, tileSize, gsd, p1.z());
    emit signal_openTrueOrtho(tile, path.toStdString(), tileSize);
    slot_jumpToCameraPosition(tile, trueOrthoImagePosition(p1, x0, y0, tileSize, size.width), osg::Matrixd::identity(),
                              true, tileSize);
  };
  tasks::run<osgcam::RasterSize>(this, [path](tasks::Feedback&) { return osgcam::readRasterSize(path); }, open);
  return true;
}

}  // namespace image
}  // namespace qvx
