#include "tools/forms/AreaSetterPopUp.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "tools/forms/AreaSetterSpinBox.h"

AreaSetterPopUp::AreaSetterPopUp(const QString& title, double min, double max, QWidget* parent)
    : QDialog(parent), m_min(new AreaSetterSpinBox(this)), m_max(new AreaSetterSpinBox(this)) {
  setWindowTitle("VEXA");
  auto* layout = new QVBoxLayout(this);
  if (!title.isEmpty()) {
    auto* label = new QLabel(title, this);
    label->setObjectName("labelTitle");
    layout->addWidget(label);
  }
  auto* values = new QFormLayout;
  m_min->setValue(min);
  m_max->setValue(max);
  values->addRow("Min:", m_min);
  values->addRow("Max:", m_max);
  layout->addLayout(values);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("Ok", this);
  auto* cancel = new QPushButton("Cancel", this);
  ok->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &AreaSetterPopUp::slot_okClicked);
  connect(cancel, &QPushButton::clicked, this, &AreaSetterPopUp::slot_cancelClicked);
}

double AreaSetterPopUp::minimum() const { return m_min->value(); }

double AreaSetterPopUp::maximum() const { return m_max->value(); }

void AreaSetterPopUp::slot_okClicked() { accept(); }

void AreaSetterPopUp::slot_cancelClicked() { reject(); }
