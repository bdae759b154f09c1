#include "tools/forms/StepResets.h"

#include "vx/VEXAProject.h"

std::vector<vx::steps::Steps> stepsResetBy(const vx::VEXAProject& edited, const vx::VEXAProject& before) {
  std::vector<vx::steps::Steps> reset;
  for (vx::steps::Steps step : vx::steps::kAllSteps) {
    if (before.stepStatus(step) == vx::steps::Done && edited.stepStatus(step) != vx::steps::Done)
      reset.push_back(step);
  }
  return reset;
}

QString resetQuestion(const std::vector<vx::steps::Steps>& steps) {
  QString text = QStringLiteral("This will reset the following processing steps:");
  for (vx::steps::Steps step : steps) text += QStringLiteral("\n") + QString::fromUtf8(vx::steps::stepName(step));
  return text;
}
