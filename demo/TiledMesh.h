#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "demo/TerrainModel.h"
#include "demo/TileMeshBuilder.h"
#include "demo/TileLayout.h"

namespace demo {

// A mesh folder to fill and the "VEXALODVersion" its tile roots carry.
struct MeshDestination {
  std::filesystem::path folder;
  int lodVersion = 1;
};

struct TiledMeshResult {
  // Per destination, the absolute path of every tile root, row by row from the south-west tile.
  std::vector<std::vector<std::string>> tileRoots;
  double minHeight = 0.0;
  double maxHeight = 0.0;
};

using TileProgress = std::function<void(int tilesDone, int tileCount)>;
// Sees each tile once after it was written, for products made from the same tiles.
using TileVisitor = std::function<void(int x, int y, const TileNodes& tile)>;

// Builds every tile once and writes it, with the index "Mesh.osgb", into each destination.
// The destinations must exist. Throws std::runtime_error.
TiledMeshResult writeTiledMeshes(const TerrainModel& terrain, const MeshLayout& layout,
                                 const std::vector<MeshDestination>& destinations, const TileProgress& progress,
                                 const TileVisitor& visitTile = {});

}  // namespace demo
