#pragma once

#include <functional>
#include <string>

namespace demo {

struct DemoOptions {
  int tiles = 4;         // N: the mesh is N x N tiles
  int levels = 3;        // K: levels of detail per tile (finest level has the most triangles)
  int images = 24;       // M: oriented cameras of the flight
  unsigned seed = 1;     // same seed, same project, byte for byte
  double tileSize = 100.0;      // metres per tile side
  int finestGridCells = 64;     // grid cells per tile side at the finest level
  int textureSize = 256;        // texture pixels per tile side at the finest level
};

using Progress = std::function<void(int percent, const std::string& step)>;

// Throws std::runtime_error naming the first unusable option (counts out of range, grid or
// texture sizes that the levels of detail cannot halve).
void validateOptions(const DemoOptions& options);

// Writes a complete synthetic project into `folder`, which must be empty or absent.
// Throws std::runtime_error with a clear text (e.g. for a non-empty folder).
void writeDemoProject(const std::string& folder, const DemoOptions& options, const Progress& progress = {});

// Writes only a tiled mesh in the tile layout (Mesh.osgb index + Tile_<x>_<y>/ folders) into
// `meshFolder`; `forEditing` marks the tile roots with "VEXALODVersion" 2. For tests and benchmarks.
void writeTiledMesh(const std::string& meshFolder, const DemoOptions& options, bool forEditing);

}  // namespace demo
