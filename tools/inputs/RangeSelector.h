#pragma once

// Selects a part of a value range: spin boxes for the total and the selected range, two arrows
// dragged along a bar, and an "Auto" button that follows the total range.

#include <QWidget>

#include "tools/inputs/RangeSelection.h"

class DragArrow;
class QDoubleSpinBox;
class QPushButton;

class RangeSelector : public QWidget {
  Q_OBJECT
 public:
  explicit RangeSelector(QWidget* parent = nullptr);

  const RangeSelection& selection() const { return selection_; }
  bool isAuto() const;
  // Selects lo..hi (the total range grows to take them); hi below lo widens only the total range.
  void setSelection(double lo, double hi);

 signals:
  // `automatic` false: colour by min..max; true: follow the data's own range again.
  void signal_valuesChanged(bool automatic, double min, double max);
  void signal_moveMin(int x);
  void signal_moveMax(int x);

 public slots:
  // The data's range changed: it becomes the total range.
  void slot_focusRangeChanged(double min, double max);
  void slot_collectValues();
  void slot_movedMin(int dist);
  void slot_movedMax(int dist);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void applySpinBoxes();
  void placeArrows();
  void limitArrows();
  void showValues();

  RangeSelection selection_;
  QWidget* bar_;
  DragArrow* minArrow_;
  DragArrow* maxArrow_;
  QDoubleSpinBox* totalMin_;
  QDoubleSpinBox* totalMax_;
  QDoubleSpinBox* selectedMin_;
  QDoubleSpinBox* selectedMax_;
  QPushButton* auto_;
};
