#include "viewer/AugmentController.h"

#include <osg/PolygonMode>

#include "viewer/ViewerMath.h"

using vx::me::rendering::BoundingBoxAugment;
using vx::me::rendering::RotationCenterAugment;

namespace {

// Drawn by the camera but never hit by picking, so the marker at the rotation centre cannot
// capture the next re-centring pick.
constexpr unsigned int kAugmentNodeMask = 1;

// Augments stay out of the scene's bound: the marker starts at the origin, far from georeferenced
// data, and would otherwise pull the home view and the model size towards it.
class NoBound : public osg::Node::ComputeBoundingSphereCallback {
 public:
  osg::BoundingSphere computeBound(const osg::Node&) const override { return osg::BoundingSphere(); }
};

}  // namespace

AugmentController::AugmentController(QObject* parent)
    : QObject(parent),
      root_(new osg::Group),
      boundingBoxes_(new osg::Group),
      rotationCenter_(new RotationCenterAugment(15.0f, osg::Vec3d(0.0, 0.0, 0.0), 1.0)),
      lastEye_(0.0, 0.0, 0.0) {
  root_->setName("Augments");
  root_->setNodeMask(kAugmentNodeMask);
  root_->setComputeBoundingSphereCallback(new NoBound);
  // Without a bound of its own the root must not be culled; its augments are culled one by one.
  root_->setCullingActive(false);
  root_->getOrCreateStateSet()->setAttributeAndModes(
      new osg::PolygonMode(osg::PolygonMode::FRONT_AND_BACK, osg::PolygonMode::FILL));
  root_->addChild(boundingBoxes_);
  root_->addChild(rotationCenter_);
}

void AugmentController::clearBoundingBoxes() {
  boundingBoxes_->removeChildren(0, boundingBoxes_->getNumChildren());
  boxesByPath_.clear();
}

BoundingBoxAugment* AugmentController::boundingBox(const QFileInfo& filePath) const {
  auto it = boxesByPath_.find(filePath.absoluteFilePath());
  return it == boxesByPath_.end() ? nullptr : it.value().get();
}

void AugmentController::slot_showBoundingBox(osg::Vec3 minXYZ, osg::Vec3 maxXYZ, osg::Vec3d offset,
                                             QFileInfo filePath) {
  const QString key = filePath.absoluteFilePath();
  auto it = boxesByPath_.find(key);
  if (it != boxesByPath_.end()) {
    updateWidth(*it.value());
    it.value()->show();
    return;
  }
  osg::ref_ptr<BoundingBoxAugment> box =
      new BoundingBoxAugment(minXYZ, maxXYZ, offset, osg::Vec4(1.0f, 1.0f, 1.0f, 1.0f), 1.0f);
  boundingBoxes_->addChild(box);
  updateWidth(*box);
  boxesByPath_.insert(key, box);
}

void AugmentController::slot_hideBoundingBox(QFileInfo filePath) {
  if (BoundingBoxAugment* box = boundingBox(filePath)) box->hide();
}

void AugmentController::slot_showRotationCenter(bool show) {
  if (show)
    rotationCenter_->show();
  else
    rotationCenter_->hide();
}

void AugmentController::slot_updateRotationCenter(osg::Vec3d newRotationCenter) {
  rotationCenter_->setCenter(newRotationCenter);
}

void AugmentController::slot_updateAugmentScales(osg::Vec3d eye) {
  lastEye_ = eye;
  for (auto& box : boxesByPath_) updateWidth(*box);
  rotationCenter_->setScale(
      qvx::viewer::rotationCenterScale(rotationCenter_->getCenter(), lastEye_, fovFactor_));
}

void AugmentController::setFovFactor(float factor) { fovFactor_ = factor; }

void AugmentController::updateWidth(BoundingBoxAugment& box) const {
  box.setWidth(qvx::viewer::boundingBoxWidth(box.getCenter(), box.getRadius(), lastEye_, fovFactor_));
}
