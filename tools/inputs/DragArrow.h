#pragma once

// An arrow the operator drags sideways inside its parent; it reports every change of its x.

#include <QLabel>

#include <climits>

class DragArrow : public QLabel {
  Q_OBJECT
 public:
  explicit DragArrow(QWidget* parent = nullptr);

  // Further bounds of x for drags (inclusive), such as the other arrow of a pair.
  void setLimits(int lowest, int highest);
  // Whether a drag may take the arrow to x.
  bool allows(int x) const;

 signals:
  void signal_moved(int dist);

 public slots:
  void slot_move(int dist);
  void slot_moveTo(int x);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void reportMove();

  int pressOffset_ = 0;
  int lastX_ = 0;
  int lowest_ = INT_MIN;
  int highest_ = INT_MAX;
};
