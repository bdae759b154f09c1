#pragma once

// The seam between the module runner (messages, statuses, tile loop, lists) and what a real
// module does per tile. Simulated modules have no tile work: they only take time.

#include <memory>
#include <string>

#include "vx/Steps.h"

namespace vx {

class VEXAProject;

struct TileGrid {
  int columns = 0;  // west to east
  int rows = 0;     // south to north
  int count() const { return columns * rows; }
};

// The tiles covering the project area; empty when there is no area or the tile size is unusable.
TileGrid tileGrid(const VEXAProject& project);

class TileWork {
 public:
  virtual ~TileWork() = default;
  // Checks every input before the first tile is made: what is wrong, naming the file, or empty.
  virtual std::string prepare() = 0;
  // Makes tile (x, y) (x east, y north, from 0); throws vx::FileError naming what failed.
  virtual void tile(int x, int y) = 0;
};

// The real work of `step`, or null for a simulated step.
std::unique_ptr<TileWork> realTileWork(steps::Steps step, const VEXAProject& project);

}  // namespace vx
