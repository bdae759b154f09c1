#include "tools/forms/AreaSetterSpinBox.h"

AreaSetterSpinBox::AreaSetterSpinBox(QWidget* parent) : QDoubleSpinBox(parent) {
  setRange(-1e8, 1e8);
  setDecimals(6);
  setButtonSymbols(QAbstractSpinBox::NoButtons);
  setAlignment(Qt::AlignRight);
  setSingleStep(1.0);
}
