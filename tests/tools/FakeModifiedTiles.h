#pragma once

// A modified-tiles source whose tiles a test sets.

#include <vector>

#include "tools/frames/ModifiedTilesSource.h"

class FakeTiles : public qvx::tool::ModifiedTilesSource {
 public:
  std::vector<qvx::tool::ModifiedTile> tiles;
  std::vector<qvx::tool::ModifiedTile> modifiedTiles() const override { return tiles; }
};
