// vexa-process: runs one processing module on a project without a window, with the module's
// messages on standard output. Tile jobs of one module are independent (they read and write only
// through the project folder), so a cluster scheduler can run them as array jobs.

#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <stdexcept>

#include <QCoreApplication>

#include "process/ProcessOptions.h"
#include "scenefiles/SceneFileGuard.h"
#include "vx/MessageText.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"
#include "vxdb/Database.h"

namespace {

constexpr int kUsageError = 64;

vx::VEXA* g_engine = nullptr;

// Async-signal-safe: the request is an atomic store.
extern "C" void cancelRun(int) {
  if (g_engine) g_engine->cancel(true);
}

// The lines a tool window's terminal shows, one per message; progress once per whole percent.
struct Printer {
  int lastPercent = -1;

  static void callback(int code, const char* format, const double* d, const int* i, const char* s, void* user) {
    static_cast<Printer*>(user)->print(code, format, d, i, s);
  }

  void print(int code, const char* format, const double* d, const int* i, const char* s) {
    namespace msg = vx::MSG;
    const int type = msg::typeOfCode(code), step = msg::stepOfCode(code);
    const std::string name = msg::stepName(step);
    const std::string text = vx::msgtext::format(format, d, i, s);
    switch (type) {
      case msg::TYPE_PROCESS_STARTED:
        std::printf("%s started\n", name.c_str());
        break;
      case msg::TYPE_MODULE_FINISHED:
        std::printf("%s finished\n", name.c_str());
        break;
      case msg::TYPE_PROGRESS: {
        if (!d || step != msg::STEP_OVERALL) break;
        const int percent = int(std::floor(d[0] * 100));
        if (percent == lastPercent) break;
        lastPercent = percent;
        std::printf("Progress %d%% (%.0f s elapsed, %.0f s remaining)\n", percent, d[1], d[2]);
        break;
      }
      case msg::TYPE_INFO:
        if (!text.empty()) std::printf("%s: %s\n", name.c_str(), text.c_str());
        break;
      case msg::TYPE_WARNING:
        if (!text.empty()) std::printf("Warning: %s: %s\n", name.c_str(), text.c_str());
        break;
      case msg::TYPE_ERROR:
        if (!text.empty()) std::printf("Error: %s: %s\n", name.c_str(), text.c_str());
        break;
      default:
        break;
    }
    std::fflush(stdout);
  }
};

}  // namespace

int main(int argc, char** argv) {
  process::ProcessOptions options;
  try {
    options = process::parseProcessOptions(argc, argv);
  } catch (const std::invalid_argument& error) {
    const std::string why = error.what();
    if (!why.empty()) std::cerr << "vexa-process: " << why << "\n\n";
    std::cerr << process::processUsage();
    return why.empty() ? 0 : kUsageError;
  }

  // Tiles the modules read back (the DSM mesh's, edited ones) pass the editor's guard against
  // damaged scene files first, so a broken tile is an error naming it, never a crash of the run.
  QCoreApplication application(argc, argv);
  scenefiles::SceneFileGuard guard(scenefiles::SceneFileGuard::Settings{});
  scenefiles::SceneFileGuard::install(&guard);
  struct Uninstall {
    ~Uninstall() { scenefiles::SceneFileGuard::install(nullptr); }
  } uninstall;

  vx::VEXAProject project;
  try {
    project.loadProjectFile(options.projectFile);
  } catch (const std::exception& error) {
    std::printf("Error: %s\n", error.what());
    return vx::VEXA::kInvalidInput;
  }

  vx::VEXA engine;
  Printer printer;
  engine.registerStatusCallback(&Printer::callback, &printer);
  engine.setTileSelection(options.tiles);
  engine.setThreadCount(options.threads);
  engine.setResultRegistrar(&vxdb::registerModuleResults);
  g_engine = &engine;
  std::signal(SIGINT, cancelRun);
  std::signal(SIGTERM, cancelRun);
#ifdef SIGBREAK
  std::signal(SIGBREAK, cancelRun);
#endif
  using Call = int (vx::VEXA::*)(vx::VEXAProject&);
  static const Call calls[vx::steps::kStepCount] = {
      &vx::VEXA::analysis,  &vx::VEXA::denseMatching, &vx::VEXA::dsm,
      &vx::VEXA::trueOrtho, &vx::VEXA::dsmMesh,       &vx::VEXA::pointCloud,
      &vx::VEXA::mesh,      &vx::VEXA::meshTexturing, &vx::VEXA::dsmMeshTexturing};
  const int result = (engine.*calls[options.step])(project);
  g_engine = nullptr;
  engine.registerStatusCallback(nullptr, nullptr);
  return result == vx::VEXA::kFullRunNeeded ? 4 : result;
}
