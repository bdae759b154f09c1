#include "tasks/Feedback.h"

#include <algorithm>
#include <cmath>

namespace tasks {

void Feedback::setProgress(double percent) {
  // NaN would never compare equal and flood the receivers.
  if (std::isnan(percent)) return;
  const double clamped = std::clamp(percent, 0.0, 100.0);
  if (progress_.exchange(clamped) != clamped) emit progressChanged(clamped);
}

void Feedback::reset() {
  progress_ = 0.0;
  canceled_ = false;
}

}  // namespace tasks
