#pragma once

// The DSM as one surface over many height tiles: a window of any extent is filled from whichever
// tiles cover it, reading only the parts of them it needs, so a tile's neighbours can be consulted
// near its border without holding every tile.

#include <string>
#include <vector>

#include "HeightTileFile.h"
#include "vx/HeightGrid.h"

namespace vx {
namespace detail {

class DsmMosaic {
 public:
  explicit DsmMosaic(std::vector<HeightTileExtent> tiles) : tiles_(std::move(tiles)) {}

  // Gives every cell of `window` the height of the DSM cell under its centre (the first listed tile
  // that knows it); NaN where no tile knows one. Throws vx::FileError naming a tile that cannot be read.
  void fill(HeightGrid& window) const;

 private:
  std::vector<HeightTileExtent> tiles_;
};

}  // namespace detail
}  // namespace vx
