// The central widget's processing entry: the Processing menu, the runner on the global pool and
// the panel with its progress monitor and terminal. The window stays usable while a run goes on.

#include "shell/MeshViewer.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLayout>
#include <QMenu>
#include <QThreadPool>
#include <QToolButton>

#include "dialogs/MessageDialogs.h"
#include "tools/run/ProgressMonitor.h"
#include "tools/run/TextTerminal.h"
#include "tools/run/VexaProcess.h"
#include "tools/windows/Tool2_5DLauncher.h"
#include "tools/windows/ToolTexturingLauncher.h"
#include "ui_MeshViewer.h"
#include "vx/Steps.h"

namespace {

// A target that is no step: the full run.
constexpr int kFullRun = -1;

}  // namespace

void MeshViewer::wireProcessing() {
  processRunner_ = new VexaProcess(this);

  processingPanel_ = new QFrame(ui_->viewWidget);
  processingPanel_->setObjectName(QStringLiteral("processingPanel"));
  processingPanel_->setFrameShape(QFrame::StyledPanel);
  processingPanel_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
  auto* panelLayout = new QHBoxLayout(processingPanel_);
  progressMonitor_ = new ProgressMonitor(false, processingPanel_);
  terminal_ = new TextTerminal(processingPanel_);
  auto* hide = new QToolButton(processingPanel_);
  hide->setObjectName(QStringLiteral("buttonHideProcessing"));
  hide->setText(QStringLiteral("Hide"));
  hide->setToolTip(QStringLiteral("Hide the processing panel; the run goes on"));
  panelLayout->addWidget(progressMonitor_, 0, Qt::AlignTop);
  panelLayout->addWidget(terminal_, 1);
  panelLayout->addWidget(hide, 0, Qt::AlignTop);
  ui_->viewWidget->layout()->addWidget(processingPanel_);
  processingPanel_->hide();
  connect(hide, &QToolButton::clicked, processingPanel_, &QWidget::hide);

  processingMenu_ = new QMenu(QStringLiteral("Processing"), this);
  QMenu* upTo = processingMenu_->addMenu(QStringLiteral("Run up to"));
  for (vx::steps::Steps step : vx::steps::kAllSteps) {
    QAction* action = upTo->addAction(QString::fromUtf8(vx::steps::stepName(step)));
    connect(action, &QAction::triggered, this, [this, step] { startProcessing(step); });
  }
  QAction* full = processingMenu_->addAction(QStringLiteral("Full run"));
  connect(full, &QAction::triggered, this, [this] { startProcessing(kFullRun); });
  processingMenu_->addSeparator();
  auto* tool2_5D = new qvx::tool::Tool2_5DLauncher(this);
  connect(processingMenu_->addAction(QStringLiteral("VEXA 2.5D Tool...")), &QAction::triggered, tool2_5D,
          [this, tool2_5D] { tool2_5D->open(project_); });
  auto* toolTexturing = new qvx::tool::ToolTexturingLauncher(this);
  connect(processingMenu_->addAction(QStringLiteral("VEXA Texturing Tool...")), &QAction::triggered, toolTexturing,
          [this, toolTexturing] { toolTexturing->open(project_); });

  // The runner emits on this thread, in batches, its end after its last message.
  VexaProcess* runner = processRunner_;
  connect(runner, &VexaProcess::signal_started, this, [this] {
    terminal_->setState(0);
    progressMonitor_->setState(2);
  });
  connect(runner, &VexaProcess::signal_finished, this, &MeshViewer::on_processingFinished);
  connect(runner, &VexaProcess::signal_progressVexaTime, progressMonitor_, &ProgressMonitor::on_mainProgressAndTime);
  connect(runner, &VexaProcess::signal_newSubprocess, progressMonitor_, &ProgressMonitor::on_setSubprocessName);
  connect(runner, &VexaProcess::signal_infoMsg, terminal_, &TextTerminal::on_infoMsg);
  connect(runner, &VexaProcess::signal_warningMsg, terminal_,
          [this](QString msg, int step, int) { terminal_->on_warningMsg(msg, step); });
  connect(runner, &VexaProcess::signal_errorMsg, terminal_, &TextTerminal::on_errorMsg);
  connect(runner, &VexaProcess::signal_errorMsg, this, &MeshViewer::slot_error);
  connect(runner, &VexaProcess::signal_longInfoMsg, this, [](QString notice) { qvx::informationBox(notice); });
  connect(runner, &VexaProcess::signal_startedModule, terminal_, &TextTerminal::on_startedModule);
  connect(runner, &VexaProcess::signal_finishedModule, terminal_, &TextTerminal::on_finishedModule);
  // The start/pause button: unchecking cancels, checking starts the last run again.
  connect(progressMonitor_, &ProgressMonitor::signal_Cancel, runner, &VexaProcess::cancelProcessing);
  connect(progressMonitor_, &ProgressMonitor::signal_Ok, this, [this] { startProcessing(lastTarget_); });
  updateProcessingMenu();
}

void MeshViewer::startProcessing(int target) {
  if (processing_) {
    emit signal_error(QStringLiteral("A processing run is going on; wait for its end or cancel it."));
    return;
  }
  if (!project_) {
    progressMonitor_->setState(1);  // the start button of a run that cannot start does not stay checked
    return;
  }
  processing_ = true;
  lastTarget_ = target;
  updateProcessingMenu();
  processingPanel_->show();
  progressMonitor_->setProject(project_);
  progressMonitor_->setState(2);
  processRunner_->setProject(project_);
  processRunner_->on_ProcessStep(static_cast<vx::steps::Steps>(target));
  QThreadPool::globalInstance()->start(processRunner_);
}

void MeshViewer::on_processingFinished(int) {
  processing_ = false;
  progressMonitor_->setState(1);
  progressMonitor_->slot_processingEnd();
  updateProcessingMenu();
}

void MeshViewer::updateProcessingMenu() {
  const bool enabled = project_ && !processing_;
  for (QAction* action : processingMenu_->actions()) {
    action->setEnabled(enabled);
    if (action->menu())
      for (QAction* step : action->menu()->actions()) step->setEnabled(enabled);
  }
}

void MeshViewer::endProcessing() {
  if (!processing_ || QThreadPool::globalInstance()->tryTake(processRunner_)) return;
  // The runner belongs to this widget and may not outlive its run, which ends within a tile.
  processRunner_->cancelProcessing();
  QThreadPool::globalInstance()->waitForDone();
}
