#include "tools/inputs/DragArrow.h"

#include <QMouseEvent>
#include <QPixmap>

DragArrow::DragArrow(QWidget* parent) : QLabel(parent) {
  setPixmap(QPixmap(QStringLiteral(":/img/images/triangle.png")));
  setFixedSize(12, 12);
  setCursor(Qt::SizeHorCursor);
}

void DragArrow::setLimits(int lowest, int highest) {
  lowest_ = lowest;
  highest_ = highest;
}

bool DragArrow::allows(int x) const {
  const int parentWidth = parentWidget() ? parentWidget()->width() : INT_MAX;
  return x > 0 && x + width() <= parentWidth && x >= lowest_ && x <= highest_;
}

void DragArrow::slot_move(int dist) { slot_moveTo(x() + dist); }

void DragArrow::slot_moveTo(int x) {
  move(x, y());
  lastX_ = x;
}

void DragArrow::mousePressEvent(QMouseEvent* event) {
  pressOffset_ = event->pos().x();
  lastX_ = x();
  event->accept();
}

void DragArrow::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  const int newX = mapToParent(event->pos()).x() - pressOffset_;
  if (allows(newX)) move(newX, y());
  reportMove();
}

void DragArrow::mouseReleaseEvent(QMouseEvent* event) {
  reportMove();
  event->accept();
}

void DragArrow::reportMove() {
  if (x() == lastX_) return;
  const int dist = x() - lastX_;
  lastX_ = x();
  emit signal_moved(dist);
}
