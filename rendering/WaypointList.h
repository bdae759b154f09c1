#pragma once

#include <osg/AnimationPath>
#include <osg/Matrixd>
#include <osg/ref_ptr>

#include <memory>
#include <optional>
#include <vector>

#include "rendering/WaypointFile.h"
#include "rendering/WaypointItem.h"

namespace qvx {

// The recorded waypoints in the order they were added. The list owns them; the waypoint panel
// only shows them, and removing one from the panel marks it inactive until the next update.
class WaypointList {
 public:
  void append(std::shared_ptr<WaypointItem> waypoint);
  void removeInactive();
  // The view of the first waypoint whose jump was requested; the request is consumed.
  std::optional<osg::Matrixd> takeJumpTarget();
  std::shared_ptr<WaypointItem> last() const;
  size_t size() const { return waypoints_.size(); }
  const std::vector<std::shared_ptr<WaypointItem>>& waypoints() const { return waypoints_; }

  // A constant-speed flight through the ticked waypoints taking `duration` seconds; null when
  // there is nothing to fly (fewer than two ticked waypoints, or all at one place).
  osg::ref_ptr<osg::AnimationPath> buildAnimationPath(double duration) const;

  std::vector<WaypointRecord> records() const;
  // The error text naming the file, empty on success.
  QString save(const QString& file) const;

 private:
  std::vector<std::shared_ptr<WaypointItem>> waypoints_;
};

}  // namespace qvx
