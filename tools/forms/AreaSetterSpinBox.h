#pragma once

#include <QDoubleSpinBox>

// One bound of a project area axis: world coordinates, to the micrometre, typed rather than stepped.
class AreaSetterSpinBox : public QDoubleSpinBox {
  Q_OBJECT

 public:
  explicit AreaSetterSpinBox(QWidget* parent = nullptr);
};
