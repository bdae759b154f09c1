#include "viewer/Picking.h"

#include <limits>

#include <osgUtil/IntersectionVisitor>
#include <osgUtil/LineSegmentIntersector>

#include "viewer/ViewerMath.h"

namespace qvx {
namespace viewer {

namespace {

osg::ref_ptr<osgUtil::LineSegmentIntersector> intersect(osg::Camera* camera, double x, double y) {
  if (!camera) return nullptr;
  osg::ref_ptr<osgUtil::LineSegmentIntersector> picker =
      new osgUtil::LineSegmentIntersector(osgUtil::Intersector::PROJECTION, x, y);
  osgUtil::IntersectionVisitor visitor(picker.get());
  visitor.setTraversalMask(kPickTraversalMask);
  camera->accept(visitor);
  return picker;
}

}  // namespace

osg::Vec3d pickWorldPoint(osg::Camera* camera, double x, double y) {
  auto picker = intersect(camera, x, y);
  if (!picker || !picker->containsIntersections()) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return osg::Vec3d(nan, nan, nan);
  }
  return picker->getFirstIntersection().getWorldIntersectPoint();
}

osg::NodePath pickNodePath(osg::Camera* camera, double x, double y) {
  auto picker = intersect(camera, x, y);
  if (!picker || !picker->containsIntersections()) return {};
  return picker->getFirstIntersection().nodePath;
}

}  // namespace viewer
}  // namespace qvx
