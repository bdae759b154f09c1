#include "stations/CamTransNode.h"

#include <cmath>

namespace qvx {
namespace osgcam {

CamTransNode::CamTransNode(const vx::ImageOrientation& orientation, bool selected)
    : selected_(selected),
      imageName_(orientation.imageName()),
      orientation_(orientation),
      look_(selected ? StationLook::Selected : StationLook::Unselected) {
  setName(kNodeName);
  const auto& c = orientation.projectionCenter();
  const auto& r = orientation.rotation();
  t_.makeTranslate(c[0], c[1], c[2]);
  // Row vectors: the rows of R are the camera axes in world coordinates, so camera -> world is R itself.
  r_.set(r[0], r[1], r[2], 0.0, r[3], r[4], r[5], 0.0, r[6], r[7], r[8], 0.0, 0.0, 0.0, 0.0, 1.0);
  recomputeMatrix();
  rebuild();
}

void CamTransNode::setScale(double scale) {
  scale_ = scale;
  matrixDirty_ = true;
  dirtyBound();
}

void CamTransNode::recomputeMatrix() {
  s_.makeScale(scale_, scale_, scale_);
  setMatrix(s_ * r_ * t_);
  matrixDirty_ = false;
}

osg::BoundingSphere CamTransNode::computeBound() const {
  const osg::BoundingSphere local = osg::Group::computeBound();
  if (!local.valid()) return local;
  // R is a rotation, so the radius only scales.
  const osg::Matrixd matrix = osg::Matrixd::scale(scale_, scale_, scale_) * r_ * t_;
  return osg::BoundingSphere(local.center() * matrix, local.radius() * std::abs(scale_));
}

void CamTransNode::applyLook(StationLook look) {
  look_ = look;
  rebuild();
}

void CamTransNode::setPhoto(osg::Image* photo, double orthoPixelSize) {
  photo_ = photo;
  orthoPixelSize_ = orthoPixelSize;
  rebuild();
}

void CamTransNode::traverse(osg::NodeVisitor& visitor) {
  if (matrixDirty_) recomputeMatrix();
  osg::MatrixTransform::traverse(visitor);
}

void CamTransNode::rebuild() {
  const LookColors colors = lookColors(look_);
  if (frustum_) removeChild(frustum_);
  frustum_ = new FrustumGeode(orientation_, stationColor(colors.image), stationColor(colors.frame), photo_.get(),
                              orthoPixelSize_);
  addChild(frustum_);
}

}  // namespace osgcam
}  // namespace qvx
