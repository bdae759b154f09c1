#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "vx/Results.h"
#include "vx/Status.h"
#include "vx/Steps.h"

namespace vx {

// Called from the editor's signal handler before the default action: records the signal in the
// crash log ("<home>/.VEXA/vexa_crash.log", beside the init file) using only async-signal-safe
// calls. The log is appended to only when it is a regular file of this user, never through a
// link, and is created readable and writable by this user alone.
void handleFatalSignal(int signalNumber);
// Number of the last signal handed to handleFatalSignal (0 when none), for tests.
int lastFatalSignal();
// Where handleFatalSignal writes (UTF-8; empty: nowhere). Set before any signal can arrive: the
// handler may not allocate, so the path is kept ready in a fixed buffer.
void setCrashLogPath(const std::string& utf8Path);
std::string crashLogPath();

// Project structure update. Folder paths are UTF-8. Every call returns 0 on success, else
// 1 (missing argument or too small buffer), 2 (no such folder), 3 (Project.vpr missing or unreadable)
// or 4 (the update failed; the folder is left as it was). A malformed Project.vpr needs no update:
// loading it reports the problem.
// checkProjectStructure: needsUpdate is set when the folder's Project.vpr is of an older file
// version; messageLength is the length of the update message including its terminating zero.
int checkProjectStructure(const char* projectFolder, bool* needsUpdate, size_t* messageLength);
// Fills the update message (zero-terminated) into a buffer of `length` bytes.
int projectStructureUpdateMessage(const char* projectFolder, char* buffer, size_t length);
// Migrates the project folder to the current structure (keeps Project.vpr.backup).
int updateProjectStructure(const char* projectFolder);
// Text of the last failure of the three calls above on this thread.
std::string lastProjectStructureError();

class VEXAProject;
struct ModuleInputs;

// The processing engine. Every processing call runs synchronously on the calling thread, reports
// through the registered status callback and returns 0 on success or one of the codes of Result.
// Simulated and real modules (platform/README.md says which) share their messages, list files,
// step statuses and cancel behaviour.
class VEXA {
 public:
  enum Result : int {
    kFullRunNeeded = -2,  // analysis only: the project's mode value asks for the full run instead
    kInvalidInput = 1,    // the project cannot be processed as it is (the error message says why)
    kWriteFailed = 2,     // a result or list file could not be written
    kCanceled = 3,        // a cancel request ended the call
  };

  VEXA();
  ~VEXA();
  VEXA(const VEXA&) = delete;
  VEXA& operator=(const VEXA&) = delete;

  // The receiver of this engine's messages; a null function with a null user removes it. Once
  // this returns, no message reaches the previous receiver.
  void registerStatusCallback(StatusCallback function, void* user);

  // Asks the running call (or, when none runs, the next one) to end: with `immediately` inside
  // the tile being worked on, else once that tile is done. The call that ends reports the error
  // "Canceled by user", returns kCanceled and uses the request up.
  void cancel(bool immediately);
  bool isCancelRequested() const;
  // Drops a request that no call has answered yet (a runner starting a new run).
  void resetCancel();

  // How long the simulated modules work on one tile (default 200 ms); process-wide.
  static void setSimulatedTileWork(std::chrono::milliseconds work);
  static std::chrono::milliseconds simulatedTileWork();

  // The steps the following calls make up, in run order, for the overall progress (step code
  // 1000): a call of a planned step reports the weighted share of the whole plan (weights of
  // vx::steps); other calls report their own progress as overall progress. Set it on the thread
  // that makes the calls; the plan's clock starts here.
  void setRunPlan(const std::vector<steps::Steps>& plan);

  // The tiles (x east, y north, from 0) the following module calls make; all when empty. A call
  // with a selection makes only those tiles, refuses a tile outside the project's grid, writes its
  // lists as a whole run does and leaves the step status alone: it is one job of a run split into
  // tile jobs (a cluster's array job), each reading and writing only through the project folder.
  void setTileSelection(const std::vector<std::pair<int, int>>& tiles);

  // Where the following calls record their results (the project databases); none when null. A
  // call that makes only some tiles records nothing: the run of all tiles does.
  void setResultRegistrar(ResultRegistrar registrar);

  // How many tiles the following module calls work on at once (1 by default; clamped to 1..256).
  // Tiles are independent: each reads and writes only its own files.
  void setThreadCount(int threads);

  // Made before an analysis: checks the project folder and its structure (an older structure is
  // the error of step 1000, sub-code 26) and creates the folders the modules write into.
  int prepareProject(VEXAProject& project);

  // The modules, one per step. Each validates the project, reports its start (type 2), its tiles
  // ("Processing Tile %d of %d"), progress under its step and under 1000, warnings and its end
  // (type 9), writes its list files under Internal/Lists, and sets its step status: Started while
  // it runs, Done on success (saved to Project.vpr). The project is changed by the running call.
  // Analysis returns kFullRunNeeded without working when the project's mode value is 2 (settings
  // adopted from another project: only the full run can process with them).
  int analysis(VEXAProject& project);
  int denseMatching(VEXAProject& project);
  int dsm(VEXAProject& project);
  int trueOrtho(VEXAProject& project);
  int dsmMesh(VEXAProject& project);
  int pointCloud(VEXAProject& project);
  int mesh(VEXAProject& project);
  int meshTexturing(VEXAProject& project);
  int dsmMeshTexturing(VEXAProject& project);

  // The same modules with their inputs named by the caller (a tool's fields). Paths are UTF-8; an
  // empty input means the project's own. `projectFolder` becomes the project's output folder; every
  // message of the call is also appended to `logFile` (none when empty). The 3D input is a list
  // file, a folder or one file: the DSM's point clouds, the DSM tiles of true ortho and DSM mesh, the
  // mesh tiles of texturing. `orientation` and `images` are the folders holding their lists.
  int dsm(const std::string& input3d, const std::string& projectFolder, VEXAProject& project,
          const std::string& logFile, const std::string& correctionShapefile);
  int trueOrtho(const std::string& input3d, const std::string& orientation, const std::string& images,
                const std::string& projectFolder, VEXAProject& project, const std::string& logFile);
  int dsmMesh(const std::string& input3d, const std::string& projectFolder, VEXAProject& project,
              const std::string& logFile);
  // DSM mesh texturing when `dsmMesh`, else 3D mesh texturing, of the tiles `input3d` lists.
  int texturing(const std::string& input3d, bool dsmMesh, const std::string& orientation, const std::string& images,
                const std::string& projectFolder, VEXAProject& project, const std::string& logFile);
  // Every active step in step order, ending at the first failure. With no active step it reports
  // "Nothing to process" as the end of the process (info of step 0, sub-code 0) and returns 0.
  int fullRun(VEXAProject& project);

 private:
  int runStep(steps::Steps step, VEXAProject& project);
  int runWithInputs(steps::Steps step, const ModuleInputs& inputs, const std::string& projectFolder,
                    VEXAProject& project, const std::string& logFile);

  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vx
