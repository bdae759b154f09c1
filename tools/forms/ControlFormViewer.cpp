#include "tools/forms/ControlFormViewer.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "dialogs/MessageDialogs.h"
#include "tools/forms/ControlForm.h"
#include "tools/forms/StepResets.h"

namespace {
QToolButton* makeButton(const QString& text, const QString& name, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setText(text);
  button->setObjectName(name);
  return button;
}

bool askYesNo(const QString& question) { return qvx::yesNoQuestion(question) == QMessageBox::Yes; }
}  // namespace

ControlFormViewer::ControlFormViewer(std::shared_ptr<vx::VEXAProject> project, bool save, FormSetting setting,
                                     QWidget* parent)
    : QDialog(parent),
      m_form(new ControlForm(setting, this)),
      m_parameters(new QGroupBox(this)),
      m_unsavedLabel(new QLabel(QStringLiteral("Unsaved Parameter modifications"), this)),
      m_saveButton(makeButton(QStringLiteral("Save"), QStringLiteral("buttonAccept"), this)),
      m_cancelButton(makeButton(QStringLiteral("Cancel"), QStringLiteral("cancel"), this)),
      m_resetButton(makeButton(QStringLiteral("Reset"), QStringLiteral("buttonReset"), this)),
      m_saveToFile(save),
      m_askReset(askYesNo),
      m_askUnsaved(qvx::saveQuestion) {
  setWindowTitle(QStringLiteral("Advanced Configuration"));
  m_parameters->setTitle(setting == FormSetting::ProjectWide ? QStringLiteral("Controlfile parameters")
                                                             : QStringLiteral("Parameters"));
  auto* parametersLayout = new QVBoxLayout(m_parameters);
  parametersLayout->addWidget(m_form);
  m_unsavedLabel->setObjectName(QStringLiteral("labelUnsaved"));
  m_unsavedLabel->hide();

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_unsavedLabel);
  buttons->addStretch(1);
  buttons->addWidget(m_saveButton);
  buttons->addWidget(m_cancelButton);
  buttons->addWidget(m_resetButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_parameters, 1);
  layout->addLayout(buttons);
  resize(700, 800);

  connect(m_saveButton, &QToolButton::released, this, &ControlFormViewer::on_buttonAccept_clicked);
  connect(m_cancelButton, &QToolButton::released, this, &ControlFormViewer::on_cancel_clicked);
  connect(m_resetButton, &QToolButton::released, this, &ControlFormViewer::on_buttonReset_clicked);
  connect(this, &ControlFormViewer::signal_ParamsAccepted, m_form, &ControlForm::on_acceptParams);
  connect(this, &ControlFormViewer::signal_ParamsReset, m_form, &ControlForm::on_resetParams);
  connect(m_form, &ControlForm::signal_ParamsModified, this, &ControlFormViewer::on_ParamsModified);
  connect(m_form, &ControlForm::signal_numProjectImagesChanged, this,
          &ControlFormViewer::signal_numProjectImagesChanged);
  connect(m_form, &ControlForm::signal_busy, this, &ControlFormViewer::signal_busy);
  // The image selection runs while the dialog's events are served: nothing may edit or save meanwhile.
  connect(m_form, &ControlForm::signal_busy, this, [this](bool busy) {
    m_busy = busy;
    setEnabled(!busy);
  });

  bindProject(std::move(project));
}

void ControlFormViewer::bindProject(std::shared_ptr<vx::VEXAProject> project) {
  m_form->bindProject(std::move(project));
  on_ParamsModified(false);
}

void ControlFormViewer::on_updateUI() { m_form->on_updateUI(); }

void ControlFormViewer::on_ParamsModified(const bool& modified) {
  m_modified = modified;
  m_unsavedLabel->setVisible(modified);
  emit signal_localParamModifications(modified);
}

void ControlFormViewer::on_buttonAccept_clicked() {
  acceptEdits();
  closeConfirmed();
}

void ControlFormViewer::acceptEdits() {
  const std::vector<vx::steps::Steps> reset = stepsResetBy(*m_form->workingCopy(), *m_form->boundProject());
  if (reset.empty() || m_skipResetQuestion || m_askReset(resetQuestion(reset)))
    emit signal_ParamsAccepted(m_saveToFile, true);
  else
    // Declined: the edits must not come back as if they had been kept when the dialog opens again.
    emit signal_ParamsReset();
  emit signal_updateUI();
}

void ControlFormViewer::on_buttonReset_clicked() {
  emit signal_ParamsReset();
  emit signal_updateUI();
  on_ParamsModified(false);
}

void ControlFormViewer::on_cancel_clicked() {
  emit signal_ParamsReset();
  closeConfirmed();
}

void ControlFormViewer::closeConfirmed() {
  m_closeConfirmed = true;
  close();
  m_closeConfirmed = false;  // also when the dialog was not shown and no close event came
  on_ParamsModified(false);
}

void ControlFormViewer::slot_disable() {
  m_form->setEnabled(false);
  m_saveButton->setEnabled(false);
  m_resetButton->setEnabled(false);
}

void ControlFormViewer::slot_enable() {
  m_form->setEnabled(m_form->mode() != 2);
  m_saveButton->setEnabled(true);
  m_resetButton->setEnabled(true);
}

void ControlFormViewer::closeEvent(QCloseEvent* event) {
  if (m_busy) {
    event->ignore();
    return;
  }
  if (m_closeConfirmed || !m_modified) {
    event->accept();
    return;
  }
  switch (m_askUnsaved(QStringLiteral("Parameters have unsaved changes."))) {
    case QMessageBox::Save:
      acceptEdits();
      on_ParamsModified(false);
      event->accept();
      break;
    case QMessageBox::Reset:
      emit signal_ParamsReset();
      emit signal_updateUI();
      on_ParamsModified(false);
      event->accept();
      break;
    default:
      event->ignore();
      break;
  }
}

// Escape closes like the window's close button, with the same question.
void ControlFormViewer::reject() { close(); }
