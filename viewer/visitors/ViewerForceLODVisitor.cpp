#include "viewer/visitors/ViewerForceLODVisitor.h"

#include <limits>

namespace qvx {
namespace viewer {

ViewerForceLODVisitor::ViewerForceLODVisitor()
    : osg::NodeVisitor(osg::NodeVisitor::TRAVERSE_ALL_CHILDREN) {}

void ViewerForceLODVisitor::apply(osg::PagedLOD& node) {
  // Finer levels below manage their own ranges; a node without any level has nothing to force.
  if (node.getNumRanges() == 0 && node.getNumFileNames() == 0) return;
  const float minRange = node.getNumRanges() > 0 ? node.getMinRange(0) : 0.0f;
  node.setRange(0, minRange, std::numeric_limits<float>::max());
}

}  // namespace viewer
}  // namespace qvx
