#include "rendering/WaypointList.h"

#include <algorithm>

#include "rendering/PathTiming.h"

namespace qvx {

void WaypointList::append(std::shared_ptr<WaypointItem> waypoint) {
  if (waypoint) waypoints_.push_back(std::move(waypoint));
}

void WaypointList::removeInactive() {
  waypoints_.erase(std::remove_if(waypoints_.begin(), waypoints_.end(),
                                  [](const std::shared_ptr<WaypointItem>& w) { return !w->isActive(); }),
                   waypoints_.end());
}

std::optional<osg::Matrixd> WaypointList::takeJumpTarget() {
  for (const auto& waypoint : waypoints_) {
    if (!waypoint->isJumpRequested()) continue;
    waypoint->setJumpRequested(false);
    return *waypoint->viewMatrix();
  }
  return std::nullopt;
}

std::shared_ptr<WaypointItem> WaypointList::last() const {
  return waypoints_.empty() ? nullptr : waypoints_.back();
}

osg::ref_ptr<osg::AnimationPath> WaypointList::buildAnimationPath(double duration) const {
  if (waypoints_.size() < 2) return nullptr;
  std::vector<osg::AnimationPath::ControlPoint> points;
  std::vector<osg::Vec3d> positions;
  for (const auto& waypoint : waypoints_) {
    if (!waypoint->isOnPath()) continue;
    osg::Vec3d translation, scale;
    osg::Quat rotation, scaleOrientation;
    osg::Matrixd::inverse(*waypoint->viewMatrix()).decompose(translation, rotation, scale, scaleOrientation);
    points.emplace_back(translation, rotation, scale);
    positions.push_back(translation);
  }
  const std::vector<double> times = constantSpeedTimes(positions, duration);
  if (times.empty()) return nullptr;
  osg::ref_ptr<osg::AnimationPath> path = new osg::AnimationPath;
  for (size_t i = 0; i < points.size(); ++i) path->insert(times[i], points[i]);
  return path;
}

std::vector<WaypointRecord> WaypointList::records() const {
  std::vector<WaypointRecord> records;
  for (const auto& waypoint : waypoints_) records.push_back({waypoint->getName(), *waypoint->viewMatrix()});
  return records;
}

QString WaypointList::save(const QString& file) const { return writeWaypointFile(file, records()); }

}  // namespace qvx
