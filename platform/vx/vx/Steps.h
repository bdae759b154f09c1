#pragma once

// The processing steps of a project, in the order the parameter forms and the runner number them,
// with their message step codes and run weights. The one place that knows this numbering.

#include <array>
#include <vector>

namespace vx {
namespace steps {

enum Steps : int {
  Analysis = 0,
  DenseMatching = 1,
  DSM = 2,
  TrueOrtho = 3,
  DSMMesh = 4,
  PointCloud = 5,
  Mesh = 6,
  MeshTexturing = 7,
  DSMMeshTexturing = 8,
};
constexpr int kStepCount = 9;

constexpr std::array<Steps, kStepCount> kAllSteps = {Analysis, DenseMatching, DSM,  TrueOrtho,    DSMMesh,
                                                     PointCloud, Mesh,        MeshTexturing, DSMMeshTexturing};

// Step status in a project: done means its results are current.
enum Status : int { NotStarted = 0, Started = 1, Done = 2 };

constexpr bool isStep(int value) { return value >= 0 && value < kStepCount; }

// "Analysis", "Dense Matching", ... as the operator reads them.
const char* stepName(Steps step);
// The status-message step code of the module that runs the step (1300 analysis, 1710 DSM, ...).
int messageStep(Steps step);
// The step whose module reports under a message step code; -1 for codes of no module.
int stepOfMessageStep(int messageStep);
// Share of a whole project run that the step takes, in whole percent (all steps sum to 100).
float defaultWeight(Steps step);
// The earlier steps a run up to the step makes first (when they are active), in run order.
const std::vector<Steps>& prerequisites(Steps step);

}  // namespace steps
}  // namespace vx
