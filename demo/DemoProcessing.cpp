#include "demo/DemoProcessing.h"

#include <algorithm>
#include <stdexcept>
#include <thread>
#include <vector>

#include "demo/OutputFolder.h"
#include "project/Layout.h"
#include "vx/MessageText.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"
#include "vxdb/Database.h"

namespace demo {

namespace {

// The first result's time: 2025-01-01 00:00:00 UTC; each later registration a minute on.
constexpr std::int64_t kFirstEpoch = 1735689600;

struct Listener {
  std::function<void(double)> progress;
  std::string lastError;

  static void callback(int code, const char* format, const double* doubles, const int* ints, const char* string,
                       void* user) {
    auto* self = static_cast<Listener*>(user);
    const int type = vx::MSG::typeOfCode(code);
    if (type == vx::MSG::TYPE_ERROR) self->lastError = vx::msgtext::format(format, doubles, ints, string);
    if (type == vx::MSG::TYPE_PROGRESS && vx::MSG::stepOfCode(code) != vx::MSG::STEP_OVERALL && doubles && self->progress)
      self->progress(doubles[0]);
  }
};

}  // namespace

void processDemoProject(const std::filesystem::path& root,
                        const std::function<void(double done, const std::string& step)>& progress) {
  const std::string folder = toUtf8(root);
  const std::string log = toUtf8(root / fromUtf8(layout::toUtf8(layout::LogFile)));
  vx::VEXAProject project;
  project.loadProjectFile(toUtf8(root / "Project.vpr"));

  vx::VEXA engine;
  Listener listener;
  engine.registerStatusCallback(&Listener::callback, &listener);
  // Tiles are independent and give the same bytes on any number of threads.
  engine.setThreadCount(int(std::max(1u, std::thread::hardware_concurrency())));
  std::int64_t epoch = kFirstEpoch;
  engine.setResultRegistrar([&](const std::string& projectFolder, const std::vector<vx::ModuleResult>& results) {
    const std::string internal = toUtf8(fromUtf8(projectFolder) / "Internal");
    const auto resources = vxdb::DatabaseIO::openForWriting(internal + "/resources.vxdb");
    const auto chronicle = vxdb::DatabaseIO::openForWriting(internal + "/chronicle.vxdb");
    for (const vx::ModuleResult& result : results)
      vxdb::registerResource(*resources, *chronicle, result.type, {result.path}, {result.process}, {epoch += 60});
  });

  const std::string orientations = toUtf8(root / fromUtf8(layout::toUtf8(layout::OrientationsDir)));
  const std::string images = toUtf8(root / fromUtf8(layout::toUtf8(layout::ImagesColorDir)));
  struct Run {
    const char* name;
    std::function<int()> call;
  };
  const std::vector<Run> runs = {
      {"DSM", [&] { return engine.dsm("", folder, project, log, ""); }},
      {"DSM mesh", [&] { return engine.dsmMesh("", folder, project, log); }},
      {"true ortho", [&] { return engine.trueOrtho("", orientations, images, folder, project, log); }},
      {"DSM mesh texturing", [&] { return engine.texturing("", true, orientations, images, folder, project, log); }},
  };
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::string step = std::string("Processing: ") + runs[i].name;
    listener.progress = [&](double fraction) {
      if (progress) progress((double(i) + fraction) / double(runs.size()), step);
    };
    if (progress) progress(double(i) / double(runs.size()), step);
    if (runs[i].call() != 0)
      throw std::runtime_error("The demo's " + std::string(runs[i].name) + " failed: " + listener.lastError);
  }
}

}  // namespace demo
