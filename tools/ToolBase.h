#pragma once

#include <QMainWindow>
#include <QString>
#include <QUrl>

#include <list>
#include <memory>

#include "tools/ProcessingFrame.h"

class BusyScreen;
class ProgressMonitor;
class TextTerminal;
class VexaMsgInterface;
class QVBoxLayout;

namespace vx {
class VEXA;
class VEXAProject;
}  // namespace vx

namespace qvx {
namespace tool {

class DataInputFolder;

// A processing tool window: module rows run one after the other as one workflow, each on a worker
// thread, with progress, a terminal and cancel. All of it lives on the main thread; a module's end
// arrives through its row's signal_finished.
class ToolBase : public QMainWindow {
  Q_OBJECT

 public:
  using ModuleList = std::list<std::shared_ptr<ProcessingFrame>>;
  enum State { NotStarted = 0, Idle = 1, Running = 2 };

  explicit ToolBase(QWidget* parent = nullptr);
  ~ToolBase() override;

  int state() const { return m_state; }
  bool isClosePending() const { return m_closePending; }
  const ModuleList& modules() const { return m_modules; }
  std::shared_ptr<vx::VEXAProject> project() const { return m_project; }
  std::shared_ptr<vx::VEXA> engine() const { return m_engine; }
  ProgressMonitor* progressMonitor() const { return m_progressMonitor; }
  TextTerminal* terminal() const { return m_terminal; }
  BusyScreen* busyScreen() const { return m_busyScreen; }
  DataInputFolder* outputField() const { return m_outputField; }
  QString prefix() const { return m_prefix; }

  // Appends a row in run order: it reports through the tool's engine and its end runs the next one.
  void addModule(std::shared_ptr<ProcessingFrame> module);
  // Fills default paths from a project: the output folder becomes a dated folder inside it.
  virtual void initFromProject(std::shared_ptr<vx::VEXAProject> project);

 signals:
  void signal_progress(int percentage, int remainingSecs, int process);
  void signal_updateUI();
  void signal_processingStart();
  void signal_processingEnd();
  void signal_closing(QString outputFolder);
  void signal_closing();
  void signal_busyState(bool busy);

 public slots:
  void slot_moduleFinished(int retval);
  void slot_start();
  void slot_cancel();
  void slot_error(QString message);
  void slot_warning(QString message);
  void slot_progress(int percentage, int remainingSecs, int process);
  void slot_openOutputFolder();
  void slot_help();
  void slot_disableInputFields();
  void slot_enableInputFields();
  void slot_busy(bool busy, QString message);

 protected:
  virtual void prepareRun() {}
  virtual void setInputsEnabled(const bool& enabled);
  virtual void setupModule(ModuleList::iterator it);
  virtual void buildUi() {}
  virtual void setLogFile(const QString&) {}
  virtual void detachStatusCallback();

  void closeEvent(QCloseEvent* event) override;
  // Puts the window, the progress monitor and the terminal into `state`.
  void setState(int state);
  QString outputFolderPath() const;
  // The frame that holds the module rows, for buildUi to place.
  QWidget* moduleFrame() const { return m_moduleFrame; }

  QString m_prefix = QStringLiteral("VEXA-");
  QUrl m_helpUrl;
  ModuleList m_modules;
  ModuleList::iterator m_current;
  BusyScreen* m_busyScreen;
  ProgressMonitor* m_progressMonitor;
  TextTerminal* m_terminal;
  DataInputFolder* m_outputField;
  QWidget* m_moduleFrame;
  QVBoxLayout* m_moduleLayout;
  std::shared_ptr<vx::VEXA> m_engine;
  std::shared_ptr<VexaMsgInterface> m_msgInterface;
  std::shared_ptr<vx::VEXAProject> m_project;

 private:
  void runNextModule();
  void finishWorkflow();

  int m_state = NotStarted;
  bool m_closePending = false;
};

}  // namespace tool
}  // namespace qvx
