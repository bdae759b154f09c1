#pragma once

// An arrow the operator drags along its parent's width; reports every change of x.

#include <QLabel>

class DragArrow : public QLabel {
  Q_OBJECT
 public:
  explicit DragArrow(QWidget* parent = nullptr);

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
  int pressOffset_ = 0;
  int lastX_ = 0;
};
