#pragma once

// What processing makes, as the project databases record it.

#include <functional>
#include <string>
#include <vector>

namespace vx {

// Result types; "current" resources are the latest valid ones per type.
enum class ResultType : int {
  Unknown = 0,
  DSM = 1,
  DSMMesh = 2,
  DSMMeshForEditing = 3,
  Mesh = 4,
  TrueOrtho = 5,
  PointCloud = 6,
};

struct ModuleResult {
  ResultType type = ResultType::Unknown;
  std::string path;  // relative to the project folder, '/' separated: a mesh index or a list of tiles
  int process = 0;   // a vx::MSG::PRC code
};

// Records the results of a whole module run in the databases of the project in `projectFolder`
// (UTF-8); throws std::runtime_error naming the database that cannot be written. The core library
// cannot reach the databases itself: the program that runs the engine hands this in.
using ResultRegistrar = std::function<void(const std::string& projectFolder, const std::vector<ModuleResult>& results)>;

}  // namespace vx
