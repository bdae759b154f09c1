#include "me/Augments.h"

#include "me/AugmentGeometry.h"

namespace vx {
namespace me {
namespace rendering {

namespace {
constexpr float kAxisLineWidth = 2.0f;
}

RotationCenterAugment::RotationCenterAugment(float size, const osg::Vec3d& center, double scale)
    : center_(center), scale_(scale) {
  const float half = size * 0.5f;
  osg::ref_ptr<osg::Vec3Array> ends = new osg::Vec3Array;
  osg::ref_ptr<osg::Vec4Array> colors = new osg::Vec4Array;
  const osg::Vec4 axisColors[3] = {osg::Vec4(1, 0, 0, 1), osg::Vec4(0, 1, 0, 1), osg::Vec4(0, 0, 1, 1)};
  for (int axis = 0; axis < 3; ++axis) {
    osg::Vec3 direction;
    direction[axis] = half;
    ends->push_back(-direction);
    ends->push_back(direction);
    colors->push_back(axisColors[axis]);
    colors->push_back(axisColors[axis]);
  }
  addChild(makeLineGeode(ends, colors, {0, 1, 2, 3, 4, 5}, kAxisLineWidth));
  setNodeMask(kShownAugmentMask);
  updateMatrix();
}

void RotationCenterAugment::setCenter(const osg::Vec3d& center) {
  center_ = center;
  updateMatrix();
}

osg::Vec3d RotationCenterAugment::getCenter() const { return center_; }

void RotationCenterAugment::setScale(double scale) {
  scale_ = scale;
  updateMatrix();
}

double RotationCenterAugment::getScale() const { return scale_; }

void RotationCenterAugment::show() { setNodeMask(kShownAugmentMask); }

void RotationCenterAugment::hide() { setNodeMask(0u); }

bool RotationCenterAugment::isShown() const { return getNodeMask() != 0u; }

void RotationCenterAugment::updateMatrix() {
  setMatrix(osg::Matrix::scale(scale_, scale_, scale_) * osg::Matrix::translate(center_));
}

}  // namespace rendering
}  // namespace me
}  // namespace vx
