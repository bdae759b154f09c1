#pragma once

// The values behind the range selector, without the widget: a total range, the selected part of
// it, and how both map to arrow positions on a bar of some pixel width.

#include <QVector>

class RangeSelection {
 public:
  struct Emission {
    bool automatic;
    double min;
    double max;
  };

  double totalMin() const { return totalMin_; }
  double totalMax() const { return totalMax_; }
  double selectedMin() const { return selectedMin_; }
  double selectedMax() const { return selectedMax_; }

  // A new total range; the selection is kept inside it.
  void setTotal(double min, double max);
  // Widens the total range to take lo and hi; selects them only when hi >= lo. Returns whether
  // the selection was taken.
  bool select(double lo, double hi);

  // Left edge of the minimum arrow and of the maximum arrow, whose right edge marks the maximum.
  int minArrowX(int barWidth) const;
  int maxArrowX(int barWidth, int arrowWidth) const;

  // An arrow dragged by `pixels` on a bar of `barWidth`; the selection stays ordered and inside
  // the total range.
  void moveMin(int pixels, int barWidth);
  void moveMax(int pixels, int barWidth);

  // What collecting the values announces: with `automatic`, the total range twice (manual, then
  // automatic) and the selection becomes the total range; otherwise the selection when it is
  // narrower than the total range at either end.
  QVector<Emission> collect(bool automatic);

 private:
  double span() const { return totalMax_ - totalMin_; }
  double valueChange(int pixels, int barWidth) const;
  int position(double value, int barWidth) const;

  double totalMin_ = 0.0;
  double totalMax_ = 1.0;
  double selectedMin_ = 0.0;
  double selectedMax_ = 1.0;
};
