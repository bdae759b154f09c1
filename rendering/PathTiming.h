#pragma once

#include <osg/Vec3d>

#include <vector>

namespace qvx {

// Times at which a camera flying at constant speed along the polyline through `positions` passes
// each of them: the first at 0, the last at `duration`, the others in proportion to the distance
// flown. Empty when there is no flight to time: fewer than two positions, all of them at one
// place, or a duration that is not a positive finite number.
std::vector<double> constantSpeedTimes(const std::vector<osg::Vec3d>& positions, double duration);

}  // namespace qvx
