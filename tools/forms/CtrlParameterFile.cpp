#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

#include "dialogs/MessageDialogs.h"
#include "tools/forms/CtrlParameter.h"

namespace {
QString chooseWithDialog(QWidget* parent, const QString& title, const QString& start, const QString& filter) {
  return QFileDialog::getOpenFileName(parent, title, start, filter);
}

bool isExistingFile(const QString& path) {
  const QFileInfo info(path);
  return info.exists() && info.isFile();
}
}  // namespace

CtrlParameterFile::CtrlParameterFile(const QString& label, const QString& toolTip, const QString& filter,
                                     ValueBinding<QString> binding, QWidget* parent)
    : CtrlParameter(label, toolTip, parent),
      m_binding(std::move(binding)),
      m_filter(filter),
      m_edit(new QLineEdit(this)),
      m_browse(new QToolButton(this)),
      m_chooser(chooseWithDialog) {
  m_browse->setText(QStringLiteral("..."));
  addEditor(m_edit);
  addEditor(m_browse, 0);
  connect(m_edit, &QLineEdit::editingFinished, this, &CtrlParameter::slot_uiChangedUser);
  connect(m_browse, &QToolButton::clicked, this, &CtrlParameterFile::slot_browse);
  loadIntoUi();
}

void CtrlParameterFile::slot_browse() {
  const QString current = m_edit->text();
  const QString chosen =
      m_chooser(this, QStringLiteral("Select File"), isExistingFile(current) ? current : QString(), m_filter);
  if (chosen.isEmpty()) return;
  m_edit->setText(chosen);
  m_edit->setModified(true);
  commitFromUi(true);
}

void CtrlParameterFile::commitFromUi(bool byUser) {
  if (byUser && !m_edit->isModified()) return;
  // Cleared first: the message box below takes the focus, which finishes the edit once more.
  m_edit->setModified(false);
  const QString path = m_edit->text().trimmed();
  if (!path.isEmpty() && !isExistingFile(path)) {
    // The typed path stays in the editor so that the operator can correct it.
    qvx::criticalBox(QStringLiteral("The specified file does not exist.\n") + path);
    return;
  }
  if (storeGuarded([&] { m_binding.set(path); }, QStringLiteral("Error: Invalid area parameter input.")))
    emitModified(byUser);
}

void CtrlParameterFile::loadIntoUi() {
  const QSignalBlocker block(m_edit);
  m_edit->setText(m_binding.get());
  m_edit->setModified(false);
}
