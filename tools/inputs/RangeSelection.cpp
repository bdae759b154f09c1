#include "tools/inputs/RangeSelection.h"

#include <algorithm>
#include <cmath>

void RangeSelection::setTotal(double min, double max) {
  if (max < min) std::swap(min, max);
  totalMin_ = min;
  totalMax_ = max;
  selectedMin_ = std::clamp(selectedMin_, totalMin_, totalMax_);
  selectedMax_ = std::clamp(selectedMax_, selectedMin_, totalMax_);
}

bool RangeSelection::select(double lo, double hi) {
  totalMin_ = std::min(totalMin_, lo);
  totalMax_ = std::max(totalMax_, hi);
  if (hi < lo) return false;
  selectedMin_ = lo;
  selectedMax_ = hi;
  return true;
}

int RangeSelection::position(double value, int barWidth) const {
  if (span() <= 0.0) return 0;
  return static_cast<int>(std::ceil(barWidth * (value - totalMin_) / span()));
}

int RangeSelection::minArrowX(int barWidth) const { return position(selectedMin_, barWidth); }

int RangeSelection::maxArrowX(int barWidth, int arrowWidth) const {
  return (span() <= 0.0 ? barWidth : position(selectedMax_, barWidth)) - arrowWidth;
}

double RangeSelection::valueChange(int pixels, int barWidth) const {
  if (barWidth <= 0) return 0.0;
  // The ratio in single precision, as the bar's pixels are no finer than that.
  const float ratio = static_cast<float>(pixels) / static_cast<float>(barWidth);
  return ratio * span();
}

void RangeSelection::moveMin(int pixels, int barWidth) {
  selectedMin_ = std::clamp(selectedMin_ + valueChange(pixels, barWidth), totalMin_, selectedMax_);
}

void RangeSelection::moveMax(int pixels, int barWidth) {
  selectedMax_ = std::clamp(selectedMax_ + valueChange(pixels, barWidth), selectedMin_, totalMax_);
}

QVector<RangeSelection::Emission> RangeSelection::collect(bool automatic) {
  if (automatic) {
    selectedMin_ = totalMin_;
    selectedMax_ = totalMax_;
    return {{false, totalMin_, totalMax_}, {true, totalMin_, totalMax_}};
  }
  if (selectedMin_ > totalMin_ || selectedMax_ < totalMax_) return {{false, selectedMin_, selectedMax_}};
  return {};
}
