#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "demo/TerrainModel.h"
#include "demo/TileLayout.h"

namespace demo {

// What a dense matching of the flight would deliver, one LAS file per tile (`Tile_<x>_<y>.las` in
// `folder`): the visible surface sampled about twice per texel-sized cell, with height noise of 0.3
// cells and occlusion shadows (most ground points close beside building walls are missing, as no
// stereo pair sees them). Returns the files written, in tile order. Deterministic for the seed.
std::vector<std::filesystem::path> writePointClouds(const TerrainModel& terrain, const MeshLayout& layout,
                                                    const std::filesystem::path& folder,
                                                    const std::function<void(int done, int count)>& progress);

// Points per tile file, for the size estimate.
double pointsPerTile(const MeshLayout& layout);

}  // namespace demo
