#pragma once

// The seam between the module runner (messages, statuses, tile loop, lists) and what a real
// module does per tile. Simulated modules have no tile work: they only take time.

#include <memory>
#include <string>
#include <vector>

#include "vx/Results.h"
#include "vx/Steps.h"

namespace vx {

class VEXAProject;

// What the caller of a module names as its inputs; an empty field means the project's own.
struct ModuleInputs {
  std::string input3d;              // a list file, a folder or a file; the DSM's points, the DSM of
                                    // true ortho and DSM mesh, the tiles of texturing
  std::string orientation;          // the folder holding the orientation lists
  std::string images;               // the folder holding the image lists
  std::string correctionShapefile;  // absolute
  bool dsmMesh = true;              // texturing: whether the tiles are DSM mesh tiles
};

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
  // Makes tile (x, y) (x east, y north, from 0); throws vx::FileError naming what failed. Called on
  // several threads at once for different tiles when the engine works with threads.
  virtual void tile(int x, int y) = 0;
  // After the tiles of a run: writes what joins the tiles of `grid` that exist (a mesh index) and
  // says what the module made, for the project databases. Throws vx::FileError.
  virtual std::vector<ModuleResult> finish(const TileGrid& grid) { return {}; }
  // Whether the run made the project's tiles, which its lists name (not so a retexturing of
  // tiles where they lie).
  virtual bool makesProjectTiles() const { return true; }
};

std::unique_ptr<TileWork> makeDsmMeshWork(const VEXAProject& project, const ModuleInputs& inputs);
std::unique_ptr<TileWork> makeDsmMeshTexturingWork(const VEXAProject& project, const ModuleInputs& inputs);

// The true ortho's tiles from the DSM and the oriented photos (TrueOrthoModule.cpp).
std::unique_ptr<TileWork> makeTrueOrthoWork(const VEXAProject& project, const ModuleInputs& inputs);

// The real work of `step`, or null for a simulated step.
std::unique_ptr<TileWork> realTileWork(steps::Steps step, const VEXAProject& project, const ModuleInputs& inputs);

}  // namespace vx
