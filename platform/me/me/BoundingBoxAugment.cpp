#include "me/Augments.h"

#include "me/AugmentGeometry.h"

namespace vx {
namespace me {
namespace rendering {

BoundingBoxAugment::BoundingBoxAugment(const osg::Vec3& minXYZ, const osg::Vec3& maxXYZ,
                                       const osg::Vec3d& offset, const osg::Vec4& color, float width)
    : width_(width) {
  osg::ref_ptr<osg::Vec3Array> corners = new osg::Vec3Array;
  for (int i = 0; i < 8; ++i) {
    corners->push_back(osg::Vec3((i & 1) ? maxXYZ.x() : minXYZ.x(), (i & 2) ? maxXYZ.y() : minXYZ.y(),
                                 (i & 4) ? maxXYZ.z() : minXYZ.z()));
  }
  osg::ref_ptr<osg::Vec4Array> colors = new osg::Vec4Array;
  colors->assign(corners->size(), color);
  // Corners differ in one coordinate bit along each of the twelve edges.
  const std::vector<unsigned short> edges = {0, 1, 2, 3, 4, 5, 6, 7,   // along x
                                             0, 2, 1, 3, 4, 6, 5, 7,   // along y
                                             0, 4, 1, 5, 2, 6, 3, 7};  // along z
  geode_ = makeLineGeode(corners, colors, edges, width);
  addChild(geode_);
  setMatrix(osg::Matrix::translate(offset));
  setNodeMask(kShownAugmentMask);

  const osg::Vec3d minCorner(minXYZ), maxCorner(maxXYZ);
  center_ = offset + (minCorner + maxCorner) * 0.5;
  radius_ = (maxCorner - minCorner).length() * 0.5;
}

void BoundingBoxAugment::setWidth(float width) {
  width_ = width;
  setLineGeodeWidth(*geode_, width);
}

float BoundingBoxAugment::getWidth() const { return width_; }

void BoundingBoxAugment::show() { setNodeMask(kShownAugmentMask); }

void BoundingBoxAugment::hide() { setNodeMask(0u); }

bool BoundingBoxAugment::isShown() const { return getNodeMask() != 0u; }

osg::Vec3d BoundingBoxAugment::getCenter() const { return center_; }

double BoundingBoxAugment::getRadius() const { return radius_; }

}  // namespace rendering
}  // namespace me
}  // namespace vx
