#pragma once

#include <osg/BoundingBox>
#include <osg/Vec3d>

namespace bench {

struct CameraView {
  osg::Vec3d eye;
  osg::Vec3d center;
  osg::Vec3d up;
};

// The fixed benchmark view: from low above the south-west corner of the data set across it
// towards the far corner, so that the whole set lies ahead, the nearest tiles are seen closely
// enough to need their finest level and the distant ones stay coarse.
CameraView benchmarkView(const osg::BoundingBoxd& bounds);

}  // namespace bench
