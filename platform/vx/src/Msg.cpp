#include "vx/Msg.h"

#include "vx/Steps.h"

namespace vx {
namespace MSG {

namespace {

constexpr int kTypeFactor = 1000000;
constexpr int kStepFactor = 100;

}  // namespace

int makeCode(int type, int step, int subCode) {
  if (type < 0 || type > 9 || step < 0 || step > kMaxStepCode || subCode < 0 || subCode > kMaxSubCode) return -1;
  return type * kTypeFactor + step * kStepFactor + subCode;
}

int typeOfCode(int code) { return code < 0 ? TYPE_NONE : code / kTypeFactor; }

int stepOfCode(int code) { return code < 0 ? 0 : (code % kTypeFactor) / kStepFactor; }

int subCodeOfCode(int code) { return code < 0 ? 0 : code % kStepFactor; }

bool isModuleStep(int stepCode) { return steps::stepOfMessageStep(stepCode) >= 0; }

std::string stepName(int stepCode) {
  const int step = steps::stepOfMessageStep(stepCode);
  if (step >= 0) return steps::stepName(static_cast<steps::Steps>(step));
  switch (stepCode) {
    case STEP_PROCESS:
      return "VEXA";
    case STEP_OVERALL:
      return "Overall Progress";
    case STEP_SUBPROJECTS:
      return "Subprojects";
    case STEP_SUBPROJECT_STATUS:
      return "Subproject Status";
    default:
      return "Step " + std::to_string(stepCode);
  }
}

}  // namespace MSG
}  // namespace vx
