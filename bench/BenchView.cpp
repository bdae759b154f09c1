#include "bench/BenchView.h"

#include <algorithm>

namespace bench {

CameraView benchmarkView(const osg::BoundingBoxd& bounds) {
  const double extent = std::max(bounds.xMax() - bounds.xMin(), bounds.yMax() - bounds.yMin());
  CameraView view;
  view.eye = osg::Vec3d(bounds.xMin() + 0.02 * extent, bounds.yMin() + 0.02 * extent, bounds.zMax() + 0.03 * extent);
  view.center = osg::Vec3d(bounds.center().x(), bounds.center().y(), bounds.zMin());
  view.up = osg::Vec3d(0.0, 0.0, 1.0);
  return view;
}

}  // namespace bench
