// The module runner: every module checks its inputs, works through the project's tiles, reports
// and writes the list files of its results. Real modules do their tile work (TileWork.h); the
// simulated ones take a set time per tile instead.

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <cmath>
#include <system_error>

#include "FileUtil.h"
#include "vx/AtomicFile.h"
#include "ModuleHost.h"
#include "TileWork.h"
#include "vx/SafeRead.h"
#include "vx/Msg.h"
#include "vx/Status.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

namespace vx {

namespace {

using detail::fs::path;
using detail::pathFromUtf8;
using detail::utf8;

constexpr long long kMaxTiles = 1000000;
const char* const kListsFolder = "Internal/Lists";

// A list file of a module: one entry per tile, "{x}" and "{y}" standing for the tile's indices.
struct ListFile {
  const char* name;
  const char* entry;
};

struct Module {
  bool needsImages;
  std::vector<ListFile> lists;
};

const Module& moduleOf(steps::Steps step) {
  static const std::array<Module, steps::kStepCount> modules = {{
      {true, {{"subproject_list.txt", nullptr}}},
      {true, {{"point_cloud_raw_list.txt", "Internal/Point_Cloud_Raw/Tile_{x}_{y}.las"}}},
      // The true ortho and the DSM mesh read the extended list (the tool hands it to them).
      {false,
       {{"dsm_raw_list.txt", "Internal/DSM_Raw/DSM_Raw/Tile_{x}_{y}.tif"},
        {"dsm_extended_list.txt", "Internal/DSM_Raw/DSM_Raw/Tile_{x}_{y}.tif"}}},
      {true, {{"true_ortho_list.txt", "Results/True_Ortho/True_Ortho_{x}_{y}.tif"}}},
      {false, {{"dsm_mesh_untextured_list.txt", "Internal/DSM_Mesh_Untextured/Tile_{x}_{y}/Tile_{x}_{y}.osgb"}}},
      {false, {{"point_cloud_list.txt", "Results/Point_Cloud/Tile_{x}_{y}.las"}}},
      {false, {{"mesh_untextured_list.txt", "Internal/Mesh_Untextured/Tile_{x}_{y}/Tile_{x}_{y}.osgb"}}},
      {true, {{"mesh_list.txt", "Results/Mesh/Tile_{x}_{y}/Tile_{x}_{y}.osgb"}}},
      {true,
       {{"dsm_mesh_list.txt", "Results/DSM_Mesh/Tile_{x}_{y}/Tile_{x}_{y}.osgb"},
        {"dsm_mesh_for_editing_list.txt", "Results/DSM_Mesh_For_Editing/Tile_{x}_{y}/Tile_{x}_{y}.osgb"}}},
  }};
  return modules[step];
}

std::string entryFor(std::string pattern, int x, int y) {
  for (const auto& [key, value] : {std::pair<std::string, int>{"{x}", x}, {"{y}", y}}) {
    for (size_t at = pattern.find(key); at != std::string::npos; at = pattern.find(key))
      pattern.replace(at, key.size(), std::to_string(value));
  }
  return pattern;
}

// Whether every entry of the list names an existing file: what a module made for real.
bool namesExistingFiles(const path& list, const path& projectFolder) {
  std::error_code error;
  if (!detail::fs::is_regular_file(list, error)) return false;
  try {
    const std::string text = readRegularFile(utf8(list), 16 << 20, "The list");
    detail::LineReader lines(text);
    std::string_view line;
    bool any = false;
    while (lines.next(line)) {
      if (line.empty()) continue;
      const path entry = pathFromUtf8(std::string(line));
      if (!detail::fs::is_regular_file(entry.is_absolute() ? entry : projectFolder / entry, error))
        return false;
      any = true;
    }
    return any;
  } catch (const std::exception&) {
    return false;
  }
}

// A simulated module makes no files, so it leaves a list that names real results (the demo's
// point clouds) as it is.
void writeLists(const Module& module, const path& folder, const TileGrid& grid, bool simulated) {
  const path lists = folder / pathFromUtf8(kListsFolder);
  std::error_code error;
  detail::fs::create_directories(lists, error);
  if (error) throw FileError("Cannot create the folder " + utf8(lists) + ": " + error.message());
  for (const ListFile& list : module.lists) {
    if (simulated && list.entry && namesExistingFiles(lists / list.name, folder)) continue;
    std::string text;
    if (list.entry) {
      for (int y = 0; y < grid.rows; ++y)
        for (int x = 0; x < grid.columns; ++x)
          text += utf8((folder / pathFromUtf8(entryFor(list.entry, x, y))).make_preferred()) + "\n";
    }
    detail::writeFileAtomically(lists / list.name, text);
  }
}

class Run {
 public:
  Run(steps::Steps step, VEXAProject& project, ModuleHost& host)
      : step_(step), code_(steps::messageStep(step)), name_(steps::stepName(step)), project_(project), host_(host) {}

  int fail(int result, const char* format, const std::string& value) {
    host_.send(MSG::TYPE_ERROR, code_, MSG::SUB_NONE, format, nullptr, nullptr, value.c_str());
    return result;
  }

  void setStatus(int status, const char* format) {
    project_.setStepStatus(step_, status);
    utils::processing::setProcessingStatus(name_, status);
    host_.send(MSG::TYPE_INFO, MSG::STEP_PROCESS, MSG::SUB_STATUS_UPDATED, format, nullptr, nullptr, name_.c_str());
  }

  void warnings() {
    if (step_ == steps::Analysis) {
      int unselected = 0;
      for (size_t i = 0; i < project_.imageCount(); ++i)
        if (!project_.isImageSelected(project_.image(i))) ++unselected;
      const int counts[3] = {unselected, static_cast<int>(project_.imageCount()), 0};
      if (unselected > 0)
        host_.send(MSG::TYPE_WARNING, code_, MSG::SUB_NONE,
                   "%d of %d images are not selected; they take no part in the processing.", nullptr, counts);
    }
    if (step_ == steps::DSM && !project_.correctionShapefile().empty()) {
      const path shape = pathFromUtf8(project_.projectFolderUtf8()) / pathFromUtf8(project_.correctionShapefile());
      std::error_code error;
      if (!detail::fs::is_regular_file(shape, error))
        host_.send(MSG::TYPE_WARNING, code_, MSG::SUB_NONE,
                   "The correction shapefile %s does not exist; the DSM is made without corrections.", nullptr,
                   nullptr, utf8(shape).c_str());
    }
  }

  int operator()() {
    const Module& module = moduleOf(step_);
    host_.send(MSG::TYPE_PROCESS_STARTED, code_, MSG::SUB_NONE, "");
    const std::string folderText = project_.projectFolderUtf8();
    const path folder = pathFromUtf8(folderText);
    std::error_code error;
    if (folderText.empty() || !detail::fs::is_directory(folder, error))
      return fail(VEXA::kInvalidInput, "The project folder %s does not exist.", folderText);
    const TileGrid grid = tileGrid(project_);
    if (grid.count() == 0)
      return fail(VEXA::kInvalidInput,
                  "The project has no usable area for %s: set the project area and a positive tile size.", name_);
    // Photos named by the caller's folders stand in for the project's images.
    if (module.needsImages && project_.imageCount() == 0 && host_.inputs().images.empty())
      return fail(VEXA::kInvalidInput, "The project has no images; %s needs oriented images.", name_);

    const std::unique_ptr<TileWork> work = realTileWork(step_, project_, host_.inputs());
    if (work) {
      const std::string problem = work->prepare();
      if (!problem.empty()) return fail(VEXA::kInvalidInput, "%s", problem);
    }

    // A run of some tiles (one job of many) leaves the step's status to the run of all of them.
    const std::vector<std::pair<int, int>>& selection = host_.tileSelection();
    std::vector<std::pair<int, int>> tiles;
    for (int y = 0; y < grid.rows; ++y)
      for (int x = 0; x < grid.columns; ++x)
        if (selection.empty() || std::find(selection.begin(), selection.end(), std::make_pair(x, y)) != selection.end())
          tiles.emplace_back(x, y);
    for (const auto& [x, y] : selection) {
      if (x < 0 || y < 0 || x >= grid.columns || y >= grid.rows) {
        const std::string name = "Tile_" + std::to_string(x) + "_" + std::to_string(y) + " is not one of the " +
                                 std::to_string(grid.columns) + " x " + std::to_string(grid.rows) + " tiles";
        return fail(VEXA::kInvalidInput, "%s of the project.", name);
      }
    }
    const bool wholeStep = selection.empty();

    if (wholeStep) setStatus(steps::Started, "Processing status: %s started");
    const int sizes[3] = {int(tiles.size()), grid.columns, grid.rows};
    host_.send(MSG::TYPE_INFO, code_, MSG::SUB_NONE, "%d tiles to process (%d x %d).", nullptr, sizes);
    warnings();

    if (const int ended = workThroughTiles(tiles, work.get()); ended != 0) return ended;

    // The results count once everything is written: the databases learn of them last.
    try {
      const std::vector<ModuleResult> results = work ? work->finish(grid) : std::vector<ModuleResult>();
      if (!work || work->makesProjectTiles()) writeLists(module, folder, grid, work == nullptr);
      if (wholeStep) host_.registerResults(folderText, results);
    } catch (const std::exception& e) {
      return fail(VEXA::kWriteFailed, "%s", e.what());
    }
    if (wholeStep) {
      setStatus(steps::Done, "Processing status: %s done");
      try {
        project_.saveProjectFile(utf8(folder / "Project.vpr"));
      } catch (const std::exception& e) {
        host_.send(MSG::TYPE_WARNING, code_, MSG::SUB_NONE, "The step status was not saved: %s", nullptr, nullptr,
                   e.what());
      }
    }
    host_.send(MSG::TYPE_MODULE_FINISHED, code_, MSG::SUB_NONE, "");
    return 0;
  }

 private:
  // The tiles on the host's threads, each taking the next tile not yet begun. Ends with the first
  // failure or cancel (the tiles under way are finished first); 0 when all were made.
  int workThroughTiles(const std::vector<std::pair<int, int>>& tiles, TileWork* work) {
    const auto start = std::chrono::steady_clock::now();
    const int count = int(tiles.size());
    std::atomic<int> next{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;  // guards what follows and orders the progress reports
    int done = 0;
    int ended = 0;
    std::string failure;
    const auto worker = [&] {
      while (!stop) {
        if (host_.cancelRequested()) {
          std::lock_guard<std::mutex> lock(mutex);
          if (!ended) ended = VEXA::kCanceled;
          stop = true;
          return;
        }
        const int tile = next++;
        if (tile >= count) return;
        const int position[3] = {tile + 1, count, 0};
        host_.send(MSG::TYPE_INFO, code_, MSG::SUB_NONE, "Processing Tile %d of %d", nullptr, position);
        try {
          if (work) {
            work->tile(tiles[std::size_t(tile)].first, tiles[std::size_t(tile)].second);
          } else if (!host_.workOnTile()) {
            std::lock_guard<std::mutex> lock(mutex);
            if (!ended) ended = VEXA::kCanceled;
            stop = true;
            return;
          }
        } catch (const detail::InputError& e) {
          std::lock_guard<std::mutex> lock(mutex);
          if (!ended) ended = VEXA::kInvalidInput, failure = e.what();
          stop = true;
          return;
        } catch (const std::exception& e) {
          std::lock_guard<std::mutex> lock(mutex);
          if (!ended) ended = VEXA::kWriteFailed, failure = e.what();
          stop = true;
          return;
        }
        std::lock_guard<std::mutex> lock(mutex);
        const double fraction = static_cast<double>(++done) / count;
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double progress[3] = {fraction, elapsed, elapsed / fraction - elapsed};
        host_.send(MSG::TYPE_PROGRESS, code_, MSG::SUB_NONE, "", progress);
        host_.reportOverall(step_, fraction, start);
      }
    };
    const int threads = std::clamp(host_.threadCount(), 1, std::max(1, count));
    std::vector<std::thread> helpers;
    for (int i = 1; i < threads; ++i) helpers.emplace_back(worker);
    worker();
    for (std::thread& helper : helpers) helper.join();
    if (ended == VEXA::kCanceled) return canceled();
    if (ended) return fail(ended, "%s", failure);
    return 0;
  }

  int canceled() {
    host_.reportCanceled(code_);
    return VEXA::kCanceled;
  }

  steps::Steps step_;
  int code_;
  std::string name_;
  VEXAProject& project_;
  ModuleHost& host_;
};

}  // namespace

TileGrid tileGrid(const VEXAProject& project) {
  const double size = project.tileSize();
  const auto low = project.areaMin();
  const auto high = project.areaMax();
  if (!(size > 0) || !std::isfinite(size)) return {};
  const double columns = std::ceil((high[0] - low[0]) / size);
  const double rows = std::ceil((high[1] - low[1]) / size);
  if (!(columns >= 1) || !(rows >= 1) || columns * rows > kMaxTiles) return {};
  return {static_cast<int>(columns), static_cast<int>(rows)};
}

int runSimulatedModule(steps::Steps step, VEXAProject& project, ModuleHost& host, bool insideFullRun) {
  if (step == steps::Analysis && project.modeValue() == 2 && !insideFullRun) {
    host.send(MSG::TYPE_INFO, MSG::STEP_ANALYSIS, MSG::SUB_NONE,
              "The project's settings were adopted from another project: it needs a full run.");
    return VEXA::kFullRunNeeded;
  }
  return Run(step, project, host)();
}

int prepareProjectFolder(VEXAProject& project, ModuleHost& host) {
  const std::string folderText = project.projectFolderUtf8();
  const path folder = pathFromUtf8(folderText);
  std::error_code error;
  if (folderText.empty() || !detail::fs::is_directory(folder, error)) {
    host.send(MSG::TYPE_ERROR, MSG::STEP_PROCESS, MSG::SUB_NONE, "The project folder %s does not exist.", nullptr,
              nullptr, folderText.c_str());
    return VEXA::kInvalidInput;
  }
  bool needsUpdate = false;
  size_t length = 0;
  if (checkProjectStructure(folderText.c_str(), &needsUpdate, &length) == 0 && needsUpdate) {
    host.send(MSG::TYPE_ERROR, MSG::STEP_OVERALL, MSG::SUB_OLD_PROJECT_STRUCTURE,
              "The project in %s has an older folder structure; open it in the editor to update it.", nullptr, nullptr,
              folderText.c_str());
    return VEXA::kInvalidInput;
  }
  for (const char* made : {kListsFolder, "Results"}) {
    detail::fs::create_directories(folder / pathFromUtf8(made), error);
    if (error) {
      const std::string reason = utf8(folder / pathFromUtf8(made)) + ": " + error.message();
      host.send(MSG::TYPE_ERROR, MSG::STEP_PROCESS, MSG::SUB_NONE, "Cannot create the folder %s", nullptr, nullptr,
                reason.c_str());
      return VEXA::kWriteFailed;
    }
  }
  // Not under step 0: an info of step 0 with sub-code 0 ends the process.
  host.send(MSG::TYPE_INFO, MSG::STEP_OVERALL, MSG::SUB_NONE, "The project in %s is ready for processing.", nullptr,
            nullptr, folderText.c_str());
  return 0;
}

}  // namespace vx
