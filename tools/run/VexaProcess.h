#pragma once

// The main window's processing runner: runs a whole project up to a chosen step on a worker
// thread (a QRunnable on the global pool) and turns the engine's status messages into signals.
// The signals are emitted on the runner's thread in batches (see tasks::Relay), signal_finished
// after every message of the run; of a run of progress messages only the newest is emitted.

#include <QObject>
#include <QRunnable>
#include <QString>

#include <atomic>
#include <memory>

#include "tasks/Relay.h"
#include "tools/run/ProcessTimePredictor.h"
#include "vx/Steps.h"
#include "vxdb/Monitor.h"

namespace vx {
class VEXA;
class VEXAProject;
}  // namespace vx

class VexaProcess : public QObject, public QRunnable {
  Q_OBJECT
 public:
  explicit VexaProcess(QObject* parent = nullptr);
  // Removes the engine's receiver, then destroys the engine. Only destroy it when no run is on.
  ~VexaProcess() override;

  void setProject(std::shared_ptr<vx::VEXAProject> project);
  std::shared_ptr<vx::VEXAProject> project() const { return project_; }
  int targetStep() const { return target_; }
  bool isRunning() const { return running_; }
  bool isActive() const { return active_; }

  // Runs the active steps before the target step, then the target step (a target that is no step
  // makes the full run), and emits signal_finished with the engine's code.
  void run() override;

  // The engine's status callback; `user` is the runner.
  static void callback(int code, const char* format, const double* doubles, const int* ints, const char* string,
                       void* user);
  // The rich-text notice for projects of an older structure, put before the engine's text.
  static QString oldProjectStructureNotice();

 signals:
  void signal_progressVexa(int progress);
  void signal_progressVexaTime(int progress, int remaining_seconds);
  void signal_progressStep(int step, int percentage);
  void signal_finished(int returnCode);
  void signal_cancelled();
  void signal_waitingForCancel();
  void signal_started();
  void signal_errorMsg(QString msg, int step);
  void signal_warningMsg(QString msg, int message_nr, int code);
  void signal_infoMsg(QString msg, int step);
  void signal_longInfoMsg(QString msg);
  void signal_newSubprocess(QString name);
  void signal_updatedProcessingStatus();
  void signal_finishedModule(int module);
  void signal_startedModule(int module);
  void signal_tileProgress(int step, int currentTile, int totalTiles);
  void signal_subprojectsCreated();
  void signal_subprojectPending(QString subprojectName);
  void signal_subprojectStarted(QString subprojectName);
  void signal_subprojectFinished(QString subprojectName);

 public slots:
  // While running: asks the engine to end its call.
  void cancelProcessing();
  // A value that is no step asks for the full run.
  void on_ProcessStep(vx::steps::Steps step);

 private:
  void receive(int code, const char* format, const double* doubles, const int* ints, const char* string);
  int runSteps();
  void moduleCheck(int type, int step);
  void subprojectCheck(int step, int subCode, const QString& text);

  std::unique_ptr<vx::VEXA> engine_;
  std::shared_ptr<vx::VEXAProject> project_;
  vxdb::MonitorObj monitor_;
  std::atomic<bool> monitorConnected_{false};
  ProcessTimePredictor predictor_;  // touched only by the callback
  std::atomic<int> target_{-1};
  std::atomic<bool> active_{false};
  std::atomic<bool> running_{false};
  tasks::Relay relay_;
  bool showErrors_ = true;
  bool showWarnings_ = true;
  std::atomic<bool> showInfo_{false};
};
