#pragma once

#include <osg/Camera>
#include <osg/CullStack>
#include <osg/NodeVisitor>
#include <osg/PagedLOD>
#include <osg/Transform>
#include <vector>

namespace bench {

// Walks the scene as the cull traversal of `camera` would (same frustum and small-feature
// culling, same pixel-size range test, same LOD scale) and finds every paged LOD whose range
// selects a child that is not loaded yet. Run it between frames, on the thread that runs them.
class FullDetailVisitor : public osg::NodeVisitor, public osg::CullStack {
 public:
  explicit FullDetailVisitor(const osg::Camera& camera);

  void apply(osg::Node& node) override;
  void apply(osg::Transform& node) override;
  void apply(osg::LOD& node) override;
  void apply(osg::PagedLOD& node) override;

  // Children the ranges select that are not in the scene yet.
  int missingChildren() const { return missingChildren_; }
  // Loaded file children drawn, by the nesting depth of their paged LOD (index 0: outermost).
  const std::vector<int>& drawnFilesByDepth() const { return drawnFilesByDepth_; }

 private:
  float requiredRange(const osg::LOD& node) const;
  void countDrawnFile(int depth);

  int missingChildren_ = 0;
  int pagedDepth_ = 0;
  std::vector<int> drawnFilesByDepth_;
};

}  // namespace bench
