#include "tools/forms/ImageSelectionCheck.h"

#include <cmath>

#include "vx/VEXAProject.h"

namespace {
bool heightsDiffer(double a, double b) {
  if (std::isfinite(a) != std::isfinite(b)) return true;
  return std::isfinite(a) && a != b;
}
}  // namespace

bool imageSelectionInputsDiffer(const vx::VEXAProject& edited, const vx::VEXAProject& before) {
  return !edited.sameProjectArea(before) || edited.useTerrainHeight() != before.useTerrainHeight() ||
         heightsDiffer(edited.terrainHeight(), before.terrainHeight());
}
