#pragma once

// What a processing module gets from the engine that runs it: the status channel, the cancel
// request and the overall progress of the run.

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "vx/Results.h"
#include "vx/Steps.h"

namespace vx {

struct ModuleInputs;

class ModuleHost {
 public:
  virtual ~ModuleHost() = default;
  virtual void send(int type, int step, int subCode, const char* format, const double* doubles = nullptr,
                    const int* ints = nullptr, const char* string = nullptr) = 0;
  // Whether a cancel request waits (checked before each tile).
  virtual bool cancelRequested() const = 0;
  // Works on one tile for the simulated time; false when an immediate cancel broke the work off.
  virtual bool workOnTile() = 0;
  // Uses the cancel request up and reports "Canceled by user" under the module's step code.
  virtual void reportCanceled(int stepCode) = 0;
  // Reports the overall progress (step code 1000) when `step` has done `fraction` of its work.
  virtual void reportOverall(steps::Steps step, double fraction, std::chrono::steady_clock::time_point moduleStart) = 0;
  // What the call names as the module's inputs.
  virtual const ModuleInputs& inputs() const = 0;
  // Records the results of a whole module run; may throw std::runtime_error.
  virtual void registerResults(const std::string& projectFolder, const std::vector<ModuleResult>& results) = 0;
  // How many tiles a call works on at once (at least 1).
  virtual int threadCount() const = 0;
  // The tiles (x, y) a call makes; all when empty.
  virtual const std::vector<std::pair<int, int>>& tileSelection() const = 0;
};

// Runs the simulated module of `step`; `insideFullRun` lets analysis work on adopted settings.
int runSimulatedModule(steps::Steps step, class VEXAProject& project, ModuleHost& host, bool insideFullRun);

}  // namespace vx

namespace vx {
// The preparatory call before an analysis (VEXA::prepareProject).
int prepareProjectFolder(class VEXAProject& project, ModuleHost& host);
}  // namespace vx
