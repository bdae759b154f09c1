#pragma once

// Test seam of vx::writeFileAtomically: fails or kills the process at a chosen step of the
// following saves, so that tests can walk a save through every point where it may stop.

namespace vx {
namespace writefaults {

enum class Fault {
  NoSpace,  // the step fails as on a full disk (ENOSPC)
  Kill,     // the process dies there; a write writes half of its bytes first
};

// Arms `fault` for the `step`-th step (1-based) counted from now, across all saves of the process.
// The steps of one save: create the temporary file, each write, flush to disk, close, rename,
// flush the folder.
void inject(int step, Fault fault);
// Disarms and restarts the count.
void clear();
// Steps taken since the last inject() or clear().
int stepsTaken();

}  // namespace writefaults
}  // namespace vx
