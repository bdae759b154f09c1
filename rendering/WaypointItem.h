#pragma once

#include <osg/Matrixd>

#include <memory>

#include "resources/BaseTreeItem.h"

namespace qvx {

// One recorded camera view of the waypoint panel. The view matrix is shared so that copies of the
// waypoint (the list, a path being built) see the same view.
class WaypointItem : public BaseTreeItem {
  Q_OBJECT

 public:
  static constexpr const char* kDefaultName = "pt";

  explicit WaypointItem(const osg::Matrixd& viewMatrix, const std::string& name = kDefaultName);

  std::shared_ptr<osg::Matrixd> viewMatrix() const { return viewMatrix_; }

  bool isJumpRequested() const { return jumpRequested_; }
  void setJumpRequested(bool requested) { jumpRequested_ = requested; }

  // Whether the waypoint takes part in an animation path: still in the panel and ticked.
  bool isOnPath() const { return isActive() && checkState(0) == Qt::Checked; }

 private:
  std::shared_ptr<osg::Matrixd> viewMatrix_;
  bool jumpRequested_ = false;
};

}  // namespace qvx
