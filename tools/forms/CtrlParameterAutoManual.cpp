#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSignalBlocker>
#include <QSpinBox>

#include "tools/forms/CtrlParameter.h"

namespace {
constexpr int kAutoIndex = 0;
constexpr int kManualIndex = 1;
constexpr int kSpinWidth = 80;
}  // namespace

CtrlParameterAutoManual::CtrlParameterAutoManual(const QString& label, const QString& toolTip, QWidget* parent)
    : CtrlParameter(label, toolTip, parent), m_mode(new QComboBox(this)) {
  m_mode->addItems({QStringLiteral("auto"), QStringLiteral("manual")});
  addEditor(m_mode, 0);
  connect(m_mode, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CtrlParameter::slot_uiChangedUser);
}

void CtrlParameterAutoManual::setSpinBox(QAbstractSpinBox* spin) {
  m_spin = spin;
  m_spin->setFixedWidth(kSpinWidth);
  addEditor(m_spin, 0);
  connect(m_spin, &QAbstractSpinBox::editingFinished, this, &CtrlParameter::slot_uiChangedUser);
}

bool CtrlParameterAutoManual::isAutoChosen() const { return m_mode->currentIndex() == kAutoIndex; }

void CtrlParameterAutoManual::loadIntoUi() {
  const QSignalBlocker blockMode(m_mode);
  const QSignalBlocker blockSpin(m_spin);
  const bool isAuto = loadMode();
  m_mode->setCurrentIndex(isAuto ? kAutoIndex : kManualIndex);
  m_spin->setEnabled(!isAuto);
}

namespace {
// The flag first: a manual value given while the project is still in "auto" could be ignored.
template <typename T>
void storeAutoManual(const AutoManualBinding<T>& binding, bool isAuto, const T& value) {
  if (binding.setAuto) binding.setAuto(isAuto);
  if (!isAuto && binding.setValue) binding.setValue(value);
}
}  // namespace

CtrlParameterAutoManualInt::CtrlParameterAutoManualInt(const QString& label, const QString& toolTip, int minimum,
                                                       int maximum, AutoManualBinding<int> binding,
                                                       QWidget* parent)
    : CtrlParameterAutoManual(label, toolTip, parent), m_binding(std::move(binding)), m_spin(new QSpinBox(this)) {
  m_spin->setRange(minimum, maximum);
  setSpinBox(m_spin);
  loadIntoUi();
}

bool CtrlParameterAutoManualInt::loadMode() {
  if (m_binding.value) m_spin->setValue(m_binding.value());
  return m_binding.isAuto && m_binding.isAuto();
}

void CtrlParameterAutoManualInt::commitFromUi(bool byUser) {
  const bool isAuto = isAutoChosen();
  const int value = m_spin->value();
  if (storeGuarded([&] { storeAutoManual(m_binding, isAuto, value); })) {
    loadIntoUi();
    emitModified(byUser);
  }
}

CtrlParameterAutoManualDouble::CtrlParameterAutoManualDouble(const QString& label, const QString& toolTip,
                                                             double minimum, double maximum,
                                                             AutoManualBinding<double> binding, QWidget* parent)
    : CtrlParameterAutoManual(label, toolTip, parent),
      m_binding(std::move(binding)),
      m_spin(new QDoubleSpinBox(this)) {
  m_spin->setRange(minimum, maximum);
  setSpinBox(m_spin);
  loadIntoUi();
}

bool CtrlParameterAutoManualDouble::loadMode() {
  if (m_binding.value) m_spin->setValue(m_binding.value());
  return m_binding.isAuto && m_binding.isAuto();
}

void CtrlParameterAutoManualDouble::commitFromUi(bool byUser) {
  const bool isAuto = isAutoChosen();
  const double value = m_spin->value();
  if (storeGuarded([&] { storeAutoManual(m_binding, isAuto, value); })) {
    loadIntoUi();
    emitModified(byUser);
  }
}
