#include "tools/inputs/DragArrow.h"

DragArrow::DragArrow(QWidget* parent) : QLabel(parent) {}

void DragArrow::slot_move(int dist) { slot_moveTo(x() + dist); }

void DragArrow::slot_moveTo(int x) {
  move(x, y());
  lastX_ = x;
}

void DragArrow::mousePressEvent(QMouseEvent* event) { QLabel::mousePressEvent(event); }
void DragArrow::mouseMoveEvent(QMouseEvent* event) { QLabel::mouseMoveEvent(event); }
void DragArrow::mouseReleaseEvent(QMouseEvent* event) { QLabel::mouseReleaseEvent(event); }
