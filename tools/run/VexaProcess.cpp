#include "tools/run/VexaProcess.h"

#include <QDebug>

#include <cmath>

#include "tools/run/StatusText.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"
#include "vxdb/Database.h"

namespace {

namespace msg = vx::MSG;

// Relay keys of the overall progress; the progress of a step is keyed by its message step code.
constexpr int kOverallKey = -2;
constexpr int kOverallTimeKey = -3;

using Call = int (vx::VEXA::*)(vx::VEXAProject&);

// The engine call of each step, in step order.
Call callOf(vx::steps::Steps step) {
  static const Call calls[vx::steps::kStepCount] = {
      &vx::VEXA::analysis,   &vx::VEXA::denseMatching, &vx::VEXA::dsm,
      &vx::VEXA::trueOrtho,  &vx::VEXA::dsmMesh,       &vx::VEXA::pointCloud,
      &vx::VEXA::mesh,       &vx::VEXA::meshTexturing, &vx::VEXA::dsmMeshTexturing};
  return calls[step];
}

}  // namespace

VexaProcess::VexaProcess(QObject* parent) : QObject(parent), engine_(std::make_unique<vx::VEXA>()) {
  setAutoDelete(false);
  engine_->setResultRegistrar(&vxdb::registerModuleResults);
}

VexaProcess::~VexaProcess() { engine_->registerStatusCallback(nullptr, nullptr); }

void VexaProcess::setProject(std::shared_ptr<vx::VEXAProject> project) { project_ = std::move(project); }

void VexaProcess::on_ProcessStep(vx::steps::Steps step) { target_ = step; }

void VexaProcess::cancelProcessing() {
  if (!running_) return;
  emit signal_waitingForCancel();
  engine_->cancel(false);
}

QString VexaProcess::oldProjectStructureNotice() {
  return QStringLiteral(
      "Due to the new project structure, only projects created by VEXA 4 can be loaded.<br>"
      "Read the <a href=\"https://docs.zentrik.example/vexa-editor/transition-guide\">transition guide</a> "
      "and <a href=\"https://docs.zentrik.example/vexa-editor/whats-new\">what's new</a>, or write to "
      "<a href=\"mailto:support@zentrik.example\">support@zentrik.example</a>.<br><br>");
}

void VexaProcess::run() {
  showInfo_ = true;
  active_ = true;
  predictor_.reset();
  engine_->registerStatusCallback(&VexaProcess::callback, this);
  relay_.post([=] { emit signal_started(); });
  running_ = true;
  engine_->resetCancel();
  int result = vx::VEXA::kInvalidInput;
  if (project_) {
    auto proxy = vxdb::DatabaseFactory::createDatabaseProxy();
    proxy->setData(*project_);
    monitor_.connectProxy(proxy);
    monitorConnected_ = true;
    if (!proxy->isOpen()) {
      const QString problem = QString::fromStdString(proxy->error());
      relay_.post([=] { emit signal_warningMsg(problem, 0, 0); });
    }
    result = runSteps();
  } else {
    relay_.post([=] { emit signal_errorMsg(QStringLiteral("There is no project to process."), 0); });
  }
  running_ = false;
  active_ = false;
  target_ = -1;
  // Last: a run started at its end must find this one's state reset.
  relay_.post([=] { emit signal_finished(result); });
}

int VexaProcess::runSteps() {
  vx::VEXAProject& project = *project_;
  const int target = target_;
  if (project.isStepActive(vx::steps::Analysis)) {
    const int prepared = engine_->prepareProject(project);
    if (prepared != 0) return prepared;
  }
  if (!vx::steps::isStep(target)) return engine_->fullRun(project);

  const auto step = static_cast<vx::steps::Steps>(target);
  std::vector<vx::steps::Steps> plan;
  for (vx::steps::Steps earlier : vx::steps::prerequisites(step))
    if (project.isStepActive(earlier)) plan.push_back(earlier);
  plan.push_back(step);
  engine_->setRunPlan(plan);
  for (size_t i = 0; i + 1 < plan.size(); ++i) {
    const int result = (engine_.get()->*callOf(plan[i]))(project);
    if (result != 0) return result;
  }
  const int result = (engine_.get()->*callOf(step))(project);
  if (step == vx::steps::Analysis && result == vx::VEXA::kFullRunNeeded) {
    project.setModeValue(0);
    return engine_->fullRun(project);
  }
  return result;
}

void VexaProcess::callback(int code, const char* format, const double* doubles, const int* ints, const char* string,
                           void* user) {
  if (user) static_cast<VexaProcess*>(user)->receive(code, format, doubles, ints, string);
}

void VexaProcess::receive(int code, const char* format, const double* doubles, const int* ints, const char* string) {
  if (monitorConnected_) vxdb::listen(code, format, doubles, ints, string, &monitor_);
  if (!active_) return;
  const int type = msg::typeOfCode(code);
  const int step = msg::stepOfCode(code);
  const int subCode = msg::subCodeOfCode(code);
  const QString text = StatusText::withPrintf(format, doubles, ints, string);
  const QString name = QString::fromStdString(msg::stepName(step));

  if (type == msg::TYPE_ERROR && step == msg::STEP_OVERALL && subCode == msg::SUB_OLD_PROJECT_STRUCTURE) {
    relay_.post([=] { emit signal_longInfoMsg(oldProjectStructureNotice() + text); });
    return;
  }
  if (type == msg::TYPE_ERROR || (type == msg::TYPE_INFO && step == msg::STEP_PROCESS && subCode == msg::SUB_NONE)) {
    running_ = false;
    relay_.post([=] { emit signal_progressVexa(0); }, kOverallKey);
    relay_.post([=] { emit signal_progressStep(step, 0); }, step);
    relay_.post([=] { emit signal_cancelled(); });
    active_ = false;
    target_ = -1;
    if (text.contains(QStringLiteral("Canceled by user"))) return;
  }

  switch (type) {
    case msg::TYPE_PROCESS_STARTED:
      relay_.post([=] { emit signal_newSubprocess(name); });
      relay_.post([=] { emit signal_progressStep(step, 0); }, step);
      moduleCheck(type, step);
      break;
    case msg::TYPE_INFO:
      if (!showInfo_) break;
      relay_.post([=] { emit signal_infoMsg(text, step); });
      if (step == msg::STEP_PROCESS && subCode == msg::SUB_STATUS_UPDATED) {
        relay_.post([=] { emit signal_updatedProcessingStatus(); });
        return;
      }
      if (subCode == msg::SUB_NONE && msg::isModuleStep(step) && format &&
          QByteArray(format).contains("Processing Tile") && ints) {
        const int current = ints[0];
        const int total = ints[1];
        relay_.post([=] { emit signal_tileProgress(step, current, total); });
      }
      subprojectCheck(step, subCode, text);
      break;
    case msg::TYPE_WARNING:
      if (!showWarnings_) break;
      if (!text.isEmpty()) relay_.post([=] { emit signal_warningMsg(name + QStringLiteral(": ") + text, step, code); });
      subprojectCheck(step, subCode, text);
      break;
    case msg::TYPE_ERROR:
      if (!showErrors_) break;
      if (!text.isEmpty()) relay_.post([=] { emit signal_errorMsg(name + QStringLiteral(": ") + text, step); });
      subprojectCheck(step, subCode, text);
      break;
    case msg::TYPE_PROGRESS: {
      if (!doubles) break;
      const int percentage = StatusText::saturated(std::ceil(doubles[0] * 100));
      const int mainStep = target_ == vx::steps::Analysis ? msg::STEP_ANALYSIS : msg::STEP_OVERALL;
      if (step == mainStep) {
        predictor_.addSample(doubles[0], doubles[1], 0);
        const int remaining = predictor_.remainingSeconds(0);
        relay_.post([=] { emit signal_progressVexaTime(percentage, remaining); }, kOverallTimeKey);
        relay_.post([=] { emit signal_progressVexa(percentage); }, kOverallKey);
        return;
      }
      const double elapsed = doubles[1];
      relay_.post(
          [=] {
            qDebug() << "PROGRESS: " << step << " percentage: " << percentage << elapsed;
            emit signal_progressStep(step, percentage);
          },
          step);
      subprojectCheck(step, subCode, text);
      break;
    }
    case msg::TYPE_MODULE_FINISHED:
      moduleCheck(type, step);
      break;
    default:
      break;
  }
}

void VexaProcess::moduleCheck(int type, int step) {
  if (!msg::isModuleStep(step)) return;
  if (type == msg::TYPE_MODULE_FINISHED)
    relay_.post([=] { emit signal_finishedModule(step); });
  else
    relay_.post([=] { emit signal_startedModule(step); });
}

void VexaProcess::subprojectCheck(int step, int subCode, const QString& text) {
  if (step == msg::STEP_SUBPROJECTS && subCode == msg::SUB_SUBPROJECTS_CREATED) {
    relay_.post([=] { emit signal_subprojectsCreated(); });
    return;
  }
  if (step != msg::STEP_SUBPROJECT_STATUS || text.isEmpty()) return;
  const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (parts.isEmpty()) return;
  if (subCode == msg::SUB_SUBPROJECT_PENDING) relay_.post([=] { emit signal_subprojectPending(parts.first()); });
  if (subCode == msg::SUB_SUBPROJECT_STARTED) relay_.post([=] { emit signal_subprojectStarted(parts.first()); });
  if (subCode == msg::SUB_SUBPROJECT_FINISHED) relay_.post([=] { emit signal_subprojectFinished(parts.first()); });
}
