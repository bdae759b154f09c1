#pragma once

#include <QDialog>
#include <QMessageBox>

#include <functional>
#include <memory>

#include "tools/forms/FormSetting.h"

namespace vx {
class VEXAProject;
}
class ControlForm;
class QGroupBox;
class QLabel;
class QToolButton;

// "Advanced Configuration": the parameter form of a project with Save, Cancel and Reset. Saving
// first says which finished processing steps the edits reset; nothing reaches the project unless
// the operator agrees.
class ControlFormViewer : public QDialog {
  Q_OBJECT

 public:
  // The questions the dialog asks, replaceable so that tests answer them.
  using ResetAsker = std::function<bool(const QString& question)>;                           // true: go ahead
  using UnsavedAsker = std::function<QMessageBox::StandardButton(const QString& question)>;  // Save, Cancel, Reset

  // `save`: whether accepting writes Project.vpr (false in tools, whose project lives in memory).
  ControlFormViewer(std::shared_ptr<vx::VEXAProject> project, bool save, FormSetting setting,
                    QWidget* parent = nullptr);

  ControlForm* form() const { return m_form; }
  void bindProject(std::shared_ptr<vx::VEXAProject> project);
  bool isModified() const { return m_modified; }
  void setSkipResetQuestion(bool skip) { m_skipResetQuestion = skip; }
  void setResetAsker(ResetAsker asker) { m_askReset = std::move(asker); }
  void setUnsavedAsker(UnsavedAsker asker) { m_askUnsaved = std::move(asker); }

 signals:
  void signal_updateUI();
  void signal_ParamsAccepted(bool save, bool checkImages);
  void signal_ParamsReset();
  void signal_localParamModifications(bool modified);
  void signal_numProjectImagesChanged();
  void signal_busy(bool busy);

 public slots:
  void on_updateUI();
  void on_buttonAccept_clicked();
  void on_buttonReset_clicked();
  void on_cancel_clicked();
  void on_ParamsModified(const bool& modified);
  void slot_disable();
  void slot_enable();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  // Asks about the steps the edits reset and hands the edits to the project, or drops them.
  void acceptEdits();
  void closeConfirmed();

  ControlForm* m_form;
  QGroupBox* m_parameters;
  QLabel* m_unsavedLabel;
  QToolButton* m_saveButton;
  QToolButton* m_cancelButton;
  QToolButton* m_resetButton;
  bool m_modified = false;
  bool m_closeConfirmed = false;
  bool m_skipResetQuestion = false;
  bool m_busy = false;
  const bool m_saveToFile;
  ResetAsker m_askReset;
  UnsavedAsker m_askUnsaved;
};
