#pragma once

namespace vx {
class VEXAProject;
}

// Whether an edit of `edited` against `before` can change which images cover the project area:
// a different project area, terrain-height switch or terrain height (a height against none counts).
bool imageSelectionInputsDiffer(const vx::VEXAProject& edited, const vx::VEXAProject& before);
