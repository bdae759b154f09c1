#include "rendering/PathTiming.h"

#include <QDebug>

#include <cmath>

namespace qvx {

std::vector<double> constantSpeedTimes(const std::vector<osg::Vec3d>& positions, double duration) {
  if (positions.size() < 2 || !std::isfinite(duration) || duration <= 0.0) return {};
  std::vector<double> lengths(positions.size(), 0.0);
  double total = 0.0;
  for (size_t i = 1; i < positions.size(); ++i) {
    lengths[i] = (positions[i] - positions[i - 1]).length();
    total += lengths[i];
  }
  if (!std::isfinite(total) || total <= 0.0) return {};

  std::vector<double> times(positions.size(), 0.0);
  double t = 0.0;
  for (size_t i = 1; i < positions.size(); ++i) {
    const double previous = t;
    t += duration * (lengths[i] / total);
    qDebug("t0: %f", previous);
    qDebug("t1: %f", t);
    qDebug("d1: %f", lengths[i]);
    times[i] = t;
  }
  // Rounding must not leave the flight a hair short of its end.
  times.back() = duration;
  return times;
}

}  // namespace qvx
