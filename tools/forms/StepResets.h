#pragma once

#include <QString>

#include <vector>

#include "vx/Steps.h"

namespace vx {
class VEXAProject;
}

// The finished steps of `before` that `edited` no longer counts as finished: what accepting the
// edit resets. In step order.
std::vector<vx::steps::Steps> stepsResetBy(const vx::VEXAProject& edited, const vx::VEXAProject& before);

// "This will reset the following processing steps:" and one step name a line.
QString resetQuestion(const std::vector<vx::steps::Steps>& steps);
