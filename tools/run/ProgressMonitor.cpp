#include "tools/run/ProgressMonitor.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLoggingCategory>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "dialogs/MessageDialogs.h"
#include "tools/run/TimeText.h"
#include "vx/Steps.h"
#include "vx/VEXAProject.h"

// Progress arrives many times a second; its debug lines are off unless asked for
// (QT_LOGGING_RULES="vexa.run.debug=true").
Q_LOGGING_CATEGORY(lcProgress, "vexa.run", QtInfoMsg)

namespace {
const QString kPlayIcon = QStringLiteral(":/img/images/VEXAPlay.png");
const QString kPlayDistributedIcon = QStringLiteral(":/img/images/playDistributed.png");
const QString kPauseIcon = QStringLiteral(":/img/images/VEXAPause.png");
constexpr int kIconSide = 50;
const char* const kResetQuestion =
    "This will reset the following processing steps: \nDense Cloud, DSM, True Ortho, DSM Mesh, DSM Mesh "
    "Texturing, Cloud Filter, Mesh, Mesh Texturing.";

QString withSuffix(qint64 seconds, const char* suffix) { return timeText(seconds) + QLatin1String(suffix); }
}  // namespace

ProgressMonitor::ProgressMonitor(bool hideDistributedButton, QWidget* parent)
    : QWidget(parent), startIcon_(kPlayIcon), askReset_([](const QString& question) {
        return qvx::yesNoQuestion(question) == QMessageBox::Yes;
      }) {
  setMinimumWidth(200);
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("progressBar"));
  bar_->setRange(0, 100);
  bar_->setTextVisible(false);
  percentage_ = new QLabel(QStringLiteral("0"), this);
  percentage_->setObjectName(QStringLiteral("labelPercentage"));
  elapsedLabel_ = new QLabel(QStringLiteral("X:XX:XX elapsed"), this);
  elapsedLabel_->setObjectName(QStringLiteral("labelElapsed"));
  remainingLabel_ = new QLabel(QStringLiteral("X:XX:XX remaining"), this);
  remainingLabel_->setObjectName(QStringLiteral("labelRemaining"));
  subprocess_ = new QLabel(this);
  subprocess_->setObjectName(QStringLiteral("labelSubprocess"));
  pushOk_ = new QPushButton(this);
  pushOk_->setObjectName(QStringLiteral("pushOk"));
  pushOk_->setCheckable(true);
  pushOk_->setMinimumWidth(kIconSide);
  pushOk_->setIconSize(QSize(kIconSide, kIconSide));
  buttonDP_ = new QPushButton(QStringLiteral("Activate Distributed Processing"), this);
  buttonDP_->setObjectName(QStringLiteral("buttonDP"));
  buttonDP_->setCheckable(true);
  buttonDP_->setVisible(!hideDistributedButton);

  auto* times = new QHBoxLayout;
  times->addWidget(percentage_);
  times->addStretch(1);
  times->addWidget(elapsedLabel_);
  times->addWidget(remainingLabel_);
  auto* info = new QVBoxLayout;
  info->addWidget(subprocess_);
  info->addWidget(bar_);
  info->addLayout(times);
  info->addWidget(buttonDP_);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(pushOk_);
  layout->addLayout(info, 1);

  timer_ = new QTimer(this);
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, &ProgressMonitor::on_TimerUpdate);
  connect(buttonDP_, &QPushButton::clicked, this, &ProgressMonitor::slot_activateDP);
  QMetaObject::connectSlotsByName(this);
  setState(0);
}

void ProgressMonitor::setProject(std::shared_ptr<vx::VEXAProject> project) {
  project_ = std::move(project);
  slot_updateDPButton();
}

void ProgressMonitor::setResetAsker(Asker asker) { askReset_ = std::move(asker); }

void ProgressMonitor::setState(int state) {
  state_ = state;
  switch (state) {
    case 0:
      predictor_.reset();
      showPercentage(0);
      showTimes(-1, -1);
      showStartIcon();
      pushOk_->setChecked(false);
      buttonDP_->setEnabled(true);
      break;
    case 2:
      predictor_.reset();
      elapsed_ = 0;
      timer_->start();
      showTimes(-1, -1);
      pushOk_->setIcon(QIcon(kPauseIcon));
      pushOk_->setChecked(true);
      buttonDP_->setEnabled(false);
      break;
    case 1:
      timer_->stop();
      remainingLabel_->setText(
          withSuffix(predictor_.hasEstimate() ? predictor_.remainingSeconds() : -1, "  remaining"));
      subprocess_->clear();
      showStartIcon();
      pushOk_->setChecked(false);
      buttonDP_->setEnabled(true);
      break;
    default:
      break;
  }
}

void ProgressMonitor::on_setSubprocessName(QString name) { subprocess_->setText(name); }

void ProgressMonitor::slot_processingEnd() { showTimes(-1, -1); }

void ProgressMonitor::slot_progress(int percentage, int, int process) {
  qCDebug(lcProgress) << "Process: " << process << " /%: " << percentage;
  showPercentage(percentage);
  predictor_.addSample(percentage / 100.0, elapsed_);
  if (predictor_.hasEstimate())
    remainingLabel_->setText(withSuffix(predictor_.remainingSeconds(), "  remaining"));
}

void ProgressMonitor::on_mainProgress(int percentage) { bar_->setValue(percentage); }

void ProgressMonitor::on_minorProgress(int) {}

void ProgressMonitor::on_mainProgressAndTime(int percentage, int remainingSecs) {
  showPercentage(percentage);
  remainingLabel_->setText(withSuffix(remainingSecs, "  remaining"));
}

void ProgressMonitor::on_TimerUpdate() {
  ++elapsed_;
  elapsedLabel_->setText(withSuffix(elapsed_, "  elapsed"));
}

void ProgressMonitor::on_LockCancel(bool) {}

void ProgressMonitor::on_pushOk_clicked(bool checked) {
  if (checked)
    emit signal_Ok();
  else
    emit signal_Cancel();
}

void ProgressMonitor::slot_activateDP(bool active) {
  if (!project_) {
    slot_updateDPButton();
    return;
  }
  if (project_->stepStatus(vx::steps::DenseMatching) == vx::steps::Done && !askReset_(QString::fromUtf8(kResetQuestion))) {
    slot_updateDPButton();
    return;
  }
  project_->setDistributedDenseMatching(active);
  project_->setDistributedProcessing(active);
  slot_updateDPButton();
}

void ProgressMonitor::slot_updateDPButton() {
  const bool on = distributedOn();
  if (state_ != 2) {
    startIcon_ = on ? kPlayDistributedIcon : kPlayIcon;
    showStartIcon();
  }
  buttonDP_->setChecked(on);
  emit signal_DPActivated(on);
}

bool ProgressMonitor::distributedOn() const { return project_ && project_->distributedProcessing(); }

void ProgressMonitor::showPercentage(int percentage) {
  bar_->setValue(percentage);
  percentage_->setText(QString::number(percentage));
}

void ProgressMonitor::showTimes(qint64 elapsed, qint64 remaining) {
  elapsedLabel_->setText(withSuffix(elapsed, "  elapsed"));
  remainingLabel_->setText(withSuffix(remaining, "  remaining"));
}

void ProgressMonitor::showStartIcon() {
  if (state_ != 2) pushOk_->setIcon(QIcon(startIcon_));
}
