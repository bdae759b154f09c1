#include "tools/forms/CtrlParameter.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>

#include "tools/forms/StoreOrReport.h"

namespace {
constexpr int kMinRowHeight = 30;
constexpr int kMaxRowHeight = 40;
constexpr int kLeftMargin = 6;

int settingBit(FormSetting setting) { return 1 << static_cast<int>(setting); }
}  // namespace

CtrlParameter::CtrlParameter(const QString& label, const QString& toolTip, QWidget* parent)
    : QFrame(parent), m_label(new QLabel(label, this)), m_layout(new QHBoxLayout(this)) {
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Plain);
  setMinimumHeight(kMinRowHeight);
  setMaximumHeight(kMaxRowHeight);
  // Wrapped in a div so that Qt treats the tip as rich text and wraps long lines.
  setToolTip(QStringLiteral("<div>") + (toolTip.isEmpty() ? label : toolTip) + QStringLiteral("</div>"));
  m_label->setObjectName(QStringLiteral("label"));
  m_layout->setContentsMargins(kLeftMargin, 0, 0, 0);
  m_layout->setSpacing(6);
  m_layout->addWidget(m_label, 1);
}

QString CtrlParameter::labelText() const { return m_label->text(); }

void CtrlParameter::addEditor(QWidget* editor, int stretch) { m_layout->addWidget(editor, stretch); }

void CtrlParameter::setEnabledCondition(std::function<bool()> condition) {
  m_condition = std::move(condition);
  m_expected = true;
  slot_updateUi();
}

void CtrlParameter::setEnabledCondition(const bool* condition) {
  setEnabledCondition([condition] { return *condition; });
}

void CtrlParameter::setExpectedConditionValue(bool expected) {
  m_expected = expected;
  applyEnabledCondition();
}

void CtrlParameter::setHiddenIn(FormSetting setting, bool hidden) {
  if (hidden)
    m_hiddenIn |= settingBit(setting);
  else
    m_hiddenIn &= ~settingBit(setting);
}

bool CtrlParameter::isHiddenIn(FormSetting setting) const { return m_hiddenIn & settingBit(setting); }

void CtrlParameter::setRowStyle(int style) {
  const QColor colour = style == 0 ? QColor(Qt::white) : QColor(231, 231, 231);
  QPalette pal = palette();
  pal.setColor(QPalette::All, QPalette::Window, colour);
  setPalette(pal);
  setAutoFillBackground(true);
}

void CtrlParameter::hideParameter(bool hide) { setHidden(hide); }

// The form's buttons take no focus, so a value typed before "Save" would otherwise stay uncommitted.
void CtrlParameter::finishEditing() {
  QWidget* focused = QApplication::focusWidget();
  if (focused && isAncestorOf(focused)) focused->clearFocus();
}

void CtrlParameter::applyEnabledCondition() { setEnabled(!m_condition || m_condition() == m_expected); }

void CtrlParameter::slot_updateUi() {
  loadIntoUi();
  applyEnabledCondition();
}

bool CtrlParameter::storeGuarded(const std::function<void()>& store, const QString& fallbackError) {
  if (m_storing) return false;
  m_storing = true;
  const bool stored = storeOrReport(store, fallbackError);
  if (!stored) slot_updateUi();
  m_storing = false;
  return stored;
}

void CtrlParameter::emitModified(bool byUser) {
  emit signal_modified();
  if (byUser) emit signal_user_modified();
}
