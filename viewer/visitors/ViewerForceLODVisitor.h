#pragma once

#include <osg/NodeVisitor>
#include <osg/PagedLOD>

namespace qvx {
namespace viewer {

// Keeps the coarse level of every paged tile visible at any distance, so a tiled model never
// disappears when the camera moves away from it.
class ViewerForceLODVisitor : public osg::NodeVisitor {
 public:
  ViewerForceLODVisitor();
  void apply(osg::PagedLOD& node) override;
};

}  // namespace viewer
}  // namespace qvx
