#include "vx/Steps.h"

namespace vx {
namespace steps {

namespace {

struct StepInfo {
  const char* name;
  int messageStep;
  float weight;
};

// Weights in percent of a whole run, from typical run times of a medium aerial project; dense
// matching dominates. Whole numbers, since tool windows add them up in integers.
constexpr std::array<StepInfo, kStepCount> kInfo = {{
    {"Analysis", 1300, 10.0f},
    {"Dense Matching", 1400, 30.0f},
    {"DSM", 1710, 10.0f},
    {"True Ortho", 1720, 10.0f},
    {"DSM Mesh", 1740, 10.0f},
    {"Point Cloud", 1820, 5.0f},
    {"Mesh", 1830, 10.0f},
    {"Mesh Texturing", 1840, 10.0f},
    {"DSM Mesh Texturing", 1750, 5.0f},
}};

}  // namespace

const char* stepName(Steps step) { return isStep(step) ? kInfo[step].name : ""; }

int messageStep(Steps step) { return isStep(step) ? kInfo[step].messageStep : -1; }

int stepOfMessageStep(int code) {
  for (Steps step : kAllSteps) {
    if (kInfo[step].messageStep == code) return step;
  }
  return -1;
}

float defaultWeight(Steps step) { return isStep(step) ? kInfo[step].weight : 0.0f; }

const std::vector<Steps>& prerequisites(Steps step) {
  static const std::array<std::vector<Steps>, kStepCount> table = {{
      {},
      {Analysis},
      {Analysis, DenseMatching},
      {Analysis, DenseMatching, DSM},
      {Analysis, DenseMatching, DSM},
      {Analysis, DenseMatching},
      {Analysis, DenseMatching, PointCloud},
      {Analysis, DenseMatching, PointCloud, Mesh},
      {Analysis, DenseMatching, DSM, DSMMesh},
  }};
  static const std::vector<Steps> none;
  return isStep(step) ? table[step] : none;
}

}  // namespace steps
}  // namespace vx
