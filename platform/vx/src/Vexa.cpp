#include "vx/Vexa.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <mutex>
#include <thread>

#include "FileUtil.h"
#include "ModuleHost.h"
#include "TileWork.h"
#include "vx/MessageText.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"

namespace vx {

namespace {

std::atomic<long long> g_tileWorkMs{200};

enum CancelState : int { kNoCancel = 0, kAfterTile = 1, kImmediately = 2 };

}  // namespace

struct VEXA::State final : ModuleHost {
  std::recursive_mutex callbackMutex;  // held while the receiver runs
  StatusCallback callback = nullptr;
  void* user = nullptr;
  std::atomic<int> cancel{kNoCancel};
  std::vector<steps::Steps> plan;
  std::vector<std::pair<int, int>> tiles;
  ModuleInputs callInputs;
  ResultRegistrar registrar;
  std::atomic<int> threads{1};
  std::ofstream log;  // open while a call that names a log file runs
  std::chrono::steady_clock::time_point planStart = std::chrono::steady_clock::now();

  void send(int type, int step, int subCode, const char* format, const double* doubles = nullptr,
            const int* ints = nullptr, const char* string = nullptr) override {
    std::lock_guard<std::recursive_mutex> lock(callbackMutex);
    if (log.is_open() && type != MSG::TYPE_PROGRESS) {
      const std::string text = msgtext::format(format, doubles, ints, string);
      if (!text.empty()) log << MSG::makeCode(type, step, subCode) << ' ' << text << '\n' << std::flush;
    }
    if (callback) callback(MSG::makeCode(type, step, subCode), format, doubles, ints, string, user);
  }

  const ModuleInputs& inputs() const override { return callInputs; }

  int threadCount() const override { return threads; }

  void registerResults(const std::string& projectFolder, const std::vector<ModuleResult>& results) override {
    if (registrar && !results.empty()) registrar(projectFolder, results);
  }

  bool cancelRequested() const override { return cancel != kNoCancel; }

  const std::vector<std::pair<int, int>>& tileSelection() const override { return tiles; }

  bool workOnTile() override {
    constexpr std::chrono::milliseconds kSlice{5};
    auto left = std::chrono::milliseconds(g_tileWorkMs.load());
    while (left.count() > 0) {
      if (cancel == kImmediately) return false;
      const auto slice = std::min(left, kSlice);
      std::this_thread::sleep_for(slice);
      left -= slice;
    }
    return cancel != kImmediately;
  }

  void reportCanceled(int stepCode) override {
    cancel = kNoCancel;
    send(MSG::TYPE_ERROR, stepCode, MSG::SUB_NONE, "Canceled by user");
  }

  void reportOverall(steps::Steps step, double fraction, std::chrono::steady_clock::time_point moduleStart) override {
    using Seconds = std::chrono::duration<double>;
    const auto now = std::chrono::steady_clock::now();
    double overall = fraction;
    double elapsed = Seconds(now - moduleStart).count();
    const auto planned = std::find(plan.begin(), plan.end(), step);
    if (planned != plan.end()) {
      double before = 0, total = 0;
      for (auto it = plan.begin(); it != plan.end(); ++it) {
        total += steps::defaultWeight(*it);
        if (it < planned) before += steps::defaultWeight(*it);
      }
      if (total > 0) overall = (before + steps::defaultWeight(step) * fraction) / total;
      elapsed = Seconds(now - planStart).count();
    }
    overall = std::clamp(overall, 0.0, 1.0);
    const double values[3] = {overall, elapsed, overall > 0 ? elapsed / overall - elapsed : 0.0};
    send(MSG::TYPE_PROGRESS, MSG::STEP_OVERALL, MSG::SUB_NONE, "", values);
  }
};

VEXA::VEXA() : state_(std::make_unique<State>()) {}
VEXA::~VEXA() = default;

void VEXA::registerStatusCallback(StatusCallback function, void* user) {
  std::lock_guard<std::recursive_mutex> lock(state_->callbackMutex);
  state_->callback = function;
  state_->user = function ? user : nullptr;
}

void VEXA::cancel(bool immediately) { state_->cancel = immediately ? kImmediately : kAfterTile; }

bool VEXA::isCancelRequested() const { return state_->cancelRequested(); }

void VEXA::resetCancel() { state_->cancel = kNoCancel; }

void VEXA::setSimulatedTileWork(std::chrono::milliseconds work) { g_tileWorkMs = std::max<long long>(0, work.count()); }

std::chrono::milliseconds VEXA::simulatedTileWork() { return std::chrono::milliseconds(g_tileWorkMs.load()); }

void VEXA::setTileSelection(const std::vector<std::pair<int, int>>& tiles) { state_->tiles = tiles; }

void VEXA::setResultRegistrar(ResultRegistrar registrar) { state_->registrar = std::move(registrar); }

void VEXA::setThreadCount(int threads) { state_->threads = std::clamp(threads, 1, 256); }

void VEXA::setRunPlan(const std::vector<steps::Steps>& plan) {
  state_->plan = plan;
  state_->planStart = std::chrono::steady_clock::now();
}

int VEXA::runStep(steps::Steps step, VEXAProject& project) { return runSimulatedModule(step, project, *state_, false); }

int VEXA::runWithInputs(steps::Steps step, const ModuleInputs& inputs, const std::string& projectFolder,
                        VEXAProject& project, const std::string& logFile) {
  if (!projectFolder.empty() && project.setOutputFolder(projectFolder, 0, 0) != 0) {
    state_->send(MSG::TYPE_ERROR, steps::messageStep(step), MSG::SUB_NONE, "The project folder %s does not exist.",
                 nullptr, nullptr, projectFolder.c_str());
    return kInvalidInput;
  }
  struct CallScope {
    State& state;
    ~CallScope() {
      state.callInputs = {};
      std::lock_guard<std::recursive_mutex> lock(state.callbackMutex);
      if (state.log.is_open()) state.log.close();
    }
  } scope{*state_};
  state_->callInputs = inputs;
  if (!logFile.empty()) {
    std::lock_guard<std::recursive_mutex> lock(state_->callbackMutex);
    state_->log.open(detail::pathFromUtf8(logFile), std::ios::app | std::ios::binary);
    if (!state_->log)
      state_->send(MSG::TYPE_WARNING, steps::messageStep(step), MSG::SUB_NONE,
                   "The log file %s cannot be written; the run goes on without it.", nullptr, nullptr,
                   logFile.c_str());
  }
  return runStep(step, project);
}

int VEXA::dsm(const std::string& input3d, const std::string& projectFolder, VEXAProject& project,
              const std::string& logFile, const std::string& correctionShapefile) {
  ModuleInputs inputs;
  inputs.input3d = input3d;
  inputs.correctionShapefile = correctionShapefile;
  return runWithInputs(steps::DSM, inputs, projectFolder, project, logFile);
}

int VEXA::trueOrtho(const std::string& input3d, const std::string& orientation, const std::string& images,
                    const std::string& projectFolder, VEXAProject& project, const std::string& logFile) {
  ModuleInputs inputs;
  inputs.input3d = input3d;
  inputs.orientation = orientation;
  inputs.images = images;
  return runWithInputs(steps::TrueOrtho, inputs, projectFolder, project, logFile);
}

int VEXA::dsmMesh(const std::string& input3d, const std::string& projectFolder, VEXAProject& project,
                  const std::string& logFile) {
  ModuleInputs inputs;
  inputs.input3d = input3d;
  return runWithInputs(steps::DSMMesh, inputs, projectFolder, project, logFile);
}

int VEXA::texturing(const std::string& input3d, bool dsmMesh, const std::string& orientation,
                    const std::string& images, const std::string& projectFolder, VEXAProject& project,
                    const std::string& logFile) {
  ModuleInputs inputs;
  inputs.input3d = input3d;
  inputs.dsmMesh = dsmMesh;
  inputs.orientation = orientation;
  inputs.images = images;
  return runWithInputs(dsmMesh ? steps::DSMMeshTexturing : steps::MeshTexturing, inputs, projectFolder, project,
                       logFile);
}

int VEXA::analysis(VEXAProject& project) { return runStep(steps::Analysis, project); }
int VEXA::denseMatching(VEXAProject& project) { return runStep(steps::DenseMatching, project); }
int VEXA::dsm(VEXAProject& project) { return runStep(steps::DSM, project); }
int VEXA::trueOrtho(VEXAProject& project) { return runStep(steps::TrueOrtho, project); }
int VEXA::dsmMesh(VEXAProject& project) { return runStep(steps::DSMMesh, project); }
int VEXA::pointCloud(VEXAProject& project) { return runStep(steps::PointCloud, project); }
int VEXA::mesh(VEXAProject& project) { return runStep(steps::Mesh, project); }
int VEXA::meshTexturing(VEXAProject& project) { return runStep(steps::MeshTexturing, project); }
int VEXA::dsmMeshTexturing(VEXAProject& project) { return runStep(steps::DSMMeshTexturing, project); }

int VEXA::prepareProject(VEXAProject& project) { return prepareProjectFolder(project, *state_); }

int VEXA::fullRun(VEXAProject& project) {
  const std::vector<steps::Steps> active = project.activeSteps();
  if (active.empty()) {
    state_->send(MSG::TYPE_INFO, MSG::STEP_PROCESS, MSG::SUB_NONE, "Nothing to process: no processing step is active.");
    return 0;
  }
  setRunPlan(active);
  for (steps::Steps step : active) {
    const int result = runSimulatedModule(step, project, *state_, true);
    if (result != 0) return result;
  }
  return 0;
}

}  // namespace vx

