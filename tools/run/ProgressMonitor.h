#pragma once

// Progress bar, start/pause button, elapsed and remaining time of a processing run, and the switch
// for distributed processing of the bound project.

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

#include "tools/run/ProcessTimePredictor.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vx {
class VEXAProject;
}

class ProgressMonitor : public QWidget {
  Q_OBJECT
 public:
  // The yes/no question before distributed processing resets finished steps; true means yes.
  using Asker = std::function<bool(const QString& question)>;

  explicit ProgressMonitor(bool hideDistributedButton = false, QWidget* parent = nullptr);

  // The project whose distributed-processing settings the button shows and changes; may be empty.
  void setProject(std::shared_ptr<vx::VEXAProject> project);
  void setResetAsker(Asker asker);

  // 0 reset, 2 running, 1 finished.
  void setState(int state);
  int state() const { return state_; }
  int elapsedSeconds() const { return elapsed_; }
  QPushButton* startPauseButton() const { return pushOk_; }

 signals:
  void signal_Ok();
  void signal_Cancel();
  void signal_DPActivated(bool active);

 public slots:
  void on_setSubprocessName(QString name);
  void slot_processingEnd();
  void slot_progress(int percentage, int remainingSecs, int process);
  void on_mainProgress(int percentage);
  void on_minorProgress(int percentage);
  void on_mainProgressAndTime(int percentage, int remainingSecs);
  void on_TimerUpdate();
  void on_LockCancel(bool lock);
  void on_pushOk_clicked(bool checked);
  void slot_activateDP(bool active);
  void slot_updateDPButton();

 private:
  bool distributedOn() const;
  void showPercentage(int percentage);
  void showTimes(qint64 elapsed, qint64 remaining);
  void showStartIcon();

  QProgressBar* bar_;
  QLabel* percentage_;
  QLabel* elapsedLabel_;
  QLabel* remainingLabel_;
  QLabel* subprocess_;
  QPushButton* pushOk_;
  QPushButton* buttonDP_;
  QTimer* timer_;
  int elapsed_ = 0;
  int state_ = 0;
  QString startIcon_;
  ProcessTimePredictor predictor_;
  std::shared_ptr<vx::VEXAProject> project_;
  Asker askReset_;
};
