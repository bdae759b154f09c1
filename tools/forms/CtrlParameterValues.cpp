#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QSignalBlocker>
#include <QSpinBox>

#include "tools/forms/CtrlParameter.h"

namespace {
constexpr int kMinimum = -1000;
constexpr int kMaximum = 10000;
}  // namespace

CtrlParameterCheckBox::CtrlParameterCheckBox(const QString& label, const QString& toolTip,
                                             ValueBinding<bool> binding, QWidget* parent)
    : CtrlParameter(label, toolTip, parent), m_binding(std::move(binding)), m_box(new QCheckBox(this)) {
  addEditor(m_box, 0);
  connect(m_box, &QCheckBox::clicked, this, &CtrlParameter::slot_uiChangedUser);
  loadIntoUi();
}

void CtrlParameterCheckBox::commitFromUi(bool byUser) { commitValue(m_binding, m_box->isChecked(), byUser); }

void CtrlParameterCheckBox::loadIntoUi() {
  const QSignalBlocker block(m_box);
  m_box->setChecked(m_binding.get());
}

CtrlParameterInt::CtrlParameterInt(const QString& label, const QString& toolTip, ValueBinding<int> binding,
                                   QWidget* parent)
    : CtrlParameter(label, toolTip, parent), m_binding(std::move(binding)), m_spin(new QSpinBox(this)) {
  m_spin->setRange(kMinimum, kMaximum);
  addEditor(m_spin);
  connect(m_spin, &QSpinBox::editingFinished, this, &CtrlParameter::slot_uiChanged);
  loadIntoUi();
}

void CtrlParameterInt::commitFromUi(bool byUser) { commitValue(m_binding, m_spin->value(), byUser); }

void CtrlParameterInt::loadIntoUi() {
  const QSignalBlocker block(m_spin);
  m_spin->setValue(m_binding.get());
}

CtrlParameterDouble::CtrlParameterDouble(const QString& label, const QString& toolTip,
                                         ValueBinding<double> binding, QWidget* parent)
    : CtrlParameter(label, toolTip, parent), m_binding(std::move(binding)), m_spin(new QDoubleSpinBox(this)) {
  m_spin->setRange(kMinimum, kMaximum);
  addEditor(m_spin);
  connect(m_spin, &QDoubleSpinBox::editingFinished, this, &CtrlParameter::slot_uiChanged);
  loadIntoUi();
}

void CtrlParameterDouble::commitFromUi(bool byUser) { commitValue(m_binding, m_spin->value(), byUser); }

void CtrlParameterDouble::loadIntoUi() {
  const QSignalBlocker block(m_spin);
  m_spin->setValue(m_binding.get());
}
