#include "bench/FullDetailVisitor.h"

#include <algorithm>

namespace bench {

FullDetailVisitor::FullDetailVisitor(const osg::Camera& camera)
    : osg::NodeVisitor(osg::NodeVisitor::TRAVERSE_ACTIVE_CHILDREN) {
  setCullSettings(camera);
  setTraversalMask(camera.getCullMask());
  pushViewport(const_cast<osg::Viewport*>(camera.getViewport()));
  pushProjectionMatrix(new osg::RefMatrix(camera.getProjectionMatrix()));
  pushModelViewMatrix(new osg::RefMatrix(camera.getViewMatrix()), osg::Transform::ABSOLUTE_RF);
}

void FullDetailVisitor::apply(osg::Node& node) {
  if (isCulled(node)) return;
  pushCurrentMask();
  traverse(node);
  popCurrentMask();
}

void FullDetailVisitor::apply(osg::Transform& node) {
  if (isCulled(node)) return;
  pushCurrentMask();
  osg::ref_ptr<osg::RefMatrix> matrix = new osg::RefMatrix(*getModelViewMatrix());
  node.computeLocalToWorldMatrix(*matrix, this);
  pushModelViewMatrix(matrix.get(), node.getReferenceFrame());
  traverse(node);
  popModelViewMatrix();
  popCurrentMask();
}

// Same selection as osg::LOD::traverse; plain LODs hold all their children.
void FullDetailVisitor::apply(osg::LOD& node) {
  if (isCulled(node)) return;
  pushCurrentMask();
  const float required = requiredRange(node);
  const unsigned int count = std::min(node.getNumRanges(), node.getNumChildren());
  for (unsigned int i = 0; i < count; ++i) {
    if (node.getMinRange(i) <= required && required < node.getMaxRange(i)) node.getChild(i)->accept(*this);
  }
  popCurrentMask();
}

// Same selection as osg::PagedLOD::traverse: a selected child that is not loaded is what the
// pager is asked for, while the last loaded child stands in for it.
void FullDetailVisitor::apply(osg::PagedLOD& node) {
  if (isCulled(node)) return;
  pushCurrentMask();
  const int depth = pagedDepth_++;
  const float required = requiredRange(node);
  const unsigned int loaded = node.getNumChildren();
  int lastTraversed = -1;
  bool missing = false;
  for (unsigned int i = 0; i < node.getNumRanges(); ++i) {
    if (!(node.getMinRange(i) <= required && required < node.getMaxRange(i))) continue;
    if (i < loaded) {
      if (i < node.getNumFileNames() && !node.getFileName(i).empty()) countDrawnFile(depth);
      node.getChild(i)->accept(*this);
      lastTraversed = static_cast<int>(i);
    } else {
      missing = true;
    }
  }
  if (missing) {
    ++missingChildren_;
    if (loaded > 0 && static_cast<int>(loaded) - 1 != lastTraversed) node.getChild(loaded - 1)->accept(*this);
  }
  --pagedDepth_;
  popCurrentMask();
}

float FullDetailVisitor::requiredRange(const osg::LOD& node) const {
  if (node.getRangeMode() == osg::LOD::DISTANCE_FROM_EYE_POINT)
    return (node.getCenter() - getViewPointLocal()).length() * getLODScale();
  if (getLODScale() > 0.0f) return clampedPixelSize(node.getBound()) / getLODScale();
  // Without a usable scale the finest level is wanted.
  float required = 0.0f;
  for (unsigned int i = 0; i < node.getNumRanges(); ++i) required = std::max(required, node.getMinRange(i));
  return required;
}

void FullDetailVisitor::countDrawnFile(int depth) {
  if (static_cast<int>(drawnFilesByDepth_.size()) <= depth) drawnFilesByDepth_.resize(depth + 1, 0);
  ++drawnFilesByDepth_[depth];
}

}  // namespace bench
