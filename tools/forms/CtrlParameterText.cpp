#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "tools/forms/CtrlParameter.h"

CtrlParameterStringFromList::CtrlParameterStringFromList(const QString& label, const QString& toolTip,
                                                         const QStringList& allowed, ValueBinding<QString> binding,
                                                         QWidget* parent)
    : CtrlParameter(label, toolTip, parent), m_binding(std::move(binding)), m_box(new QComboBox(this)) {
  m_box->addItems(allowed);
  addEditor(m_box);
  connect(m_box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CtrlParameter::slot_uiChanged);
  loadIntoUi();
}

void CtrlParameterStringFromList::commitFromUi(bool byUser) {
  if (m_box->currentIndex() < 0) return;
  commitValue(m_binding, m_box->currentText(), byUser);
}

// A stored value that is not in the list shows as no selection rather than as a wrong entry.
void CtrlParameterStringFromList::loadIntoUi() {
  const QSignalBlocker block(m_box);
  m_box->setCurrentIndex(m_box->findText(m_binding.get()));
}

CtrlParameterStringArbitrary::CtrlParameterStringArbitrary(const QString& label, const QString& toolTip,
                                                           ValueBinding<QString> binding, bool readOnly,
                                                           QWidget* parent)
    : CtrlParameter(label, toolTip, parent), m_binding(std::move(binding)), m_edit(new QLineEdit(this)) {
  m_edit->setReadOnly(readOnly);
  addEditor(m_edit);
  connect(m_edit, &QLineEdit::editingFinished, this, &CtrlParameter::slot_uiChanged);
  loadIntoUi();
}

void CtrlParameterStringArbitrary::commitFromUi(bool byUser) {
  if (m_edit->isReadOnly()) return;
  commitValue(m_binding, m_edit->text(), byUser);
}

// The start of a long text (a coordinate system) says more than its end.
void CtrlParameterStringArbitrary::loadIntoUi() {
  const QSignalBlocker block(m_edit);
  m_edit->setText(m_binding.get());
  m_edit->setCursorPosition(0);
}

CtrlParameterLabel::CtrlParameterLabel(const QString& label, const QString& toolTip, QWidget* parent)
    : CtrlParameter(label, toolTip, parent) {}

CtrlParameterWrapper::CtrlParameterWrapper(const QString& label, const QString& toolTip, QWidget* widget,
                                           QWidget* parent)
    : CtrlParameter(label, toolTip, parent), m_widget(widget) {
  if (m_widget) addEditor(m_widget);
}
