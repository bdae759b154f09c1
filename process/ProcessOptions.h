#pragma once

// The command line of vexa-process, apart from running it, so that tests read it directly.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "vx/Steps.h"

namespace process {

struct ProcessOptions {
  std::string projectFile;
  vx::steps::Steps step = vx::steps::DSM;
  std::vector<std::pair<int, int>> tiles;  // all when empty
  int threads = 1;                         // tiles worked on at once
};

// "DSM", "dsm", "True Ortho", "true-ortho", "true_ortho": case and separators do not matter.
std::optional<vx::steps::Steps> stepNamed(const std::string& name);
// "0_0,1_0" (x_y, comma-separated); nullopt for anything else.
std::optional<std::vector<std::pair<int, int>>> tilesNamed(const std::string& list);

// Throws std::invalid_argument with the text to show beside the usage.
ProcessOptions parseProcessOptions(int argc, const char* const* argv);
std::string processUsage();

}  // namespace process
