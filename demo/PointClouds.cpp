#include "demo/PointClouds.h"

#include <cmath>
#include <random>

#include "demo/OutputFolder.h"
#include "vx/Las.h"

namespace demo {

namespace {

constexpr int kPointsPerCell = 2;
constexpr double kNoiseInCells = 0.3;
// Ground closer than this to a wall is seen by too few photos to be matched...
constexpr double kShadowMetres = 2.5;
// ...for most of its points.
constexpr double kShadowLoss = 0.75;

}  // namespace

double pointsPerTile(const MeshLayout& layout) {
  return double(layout.textureSize) * layout.textureSize * kPointsPerCell;
}

std::vector<std::filesystem::path> writePointClouds(const TerrainModel& terrain, const MeshLayout& layout,
                                                    const std::filesystem::path& folder,
                                                    const std::function<void(int done, int count)>& progress) {
  const double cell = layout.tileSize / layout.textureSize;
  std::vector<std::filesystem::path> files;
  const int count = layout.tiles * layout.tiles;
  for (int ty = 0; ty < layout.tiles; ++ty) {
    for (int tx = 0; tx < layout.tiles; ++tx) {
      // One generator per tile: a tile's points do not depend on the order tiles are made in.
      std::mt19937_64 random(std::uint64_t(terrain.seed()) * 1000003u + std::uint64_t(ty) * 4099u + std::uint64_t(tx));
      std::uniform_real_distribution<double> unit(0.0, 1.0);
      std::normal_distribution<double> noise(0.0, kNoiseInCells * cell);
      std::vector<vx::las::Point> points;
      points.reserve(std::size_t(pointsPerTile(layout)));
      for (int row = 0; row < layout.textureSize; ++row) {
        for (int column = 0; column < layout.textureSize; ++column) {
          for (int k = 0; k < kPointsPerCell; ++k) {
            const double x = tx * layout.tileSize + (column + unit(random)) * cell;
            const double y = ty * layout.tileSize + (row + unit(random)) * cell;
            const double loss = unit(random);
            const double z = terrain.surfaceHeight(x, y) + noise(random);
            BuildingHit onRoof;
            if (loss < kShadowLoss && !terrain.buildingAt(x, y, onRoof) &&
                terrain.distanceToBuilding(x, y, kShadowMetres) < kShadowMetres)
              continue;
            vx::las::Point p;
            p.x = layout.origin.x() + x;
            p.y = layout.origin.y() + y;
            p.z = z;
            p.classification = 1;
            points.push_back(p);
          }
        }
      }
      const std::filesystem::path file = folder / ("Tile_" + std::to_string(tx) + "_" + std::to_string(ty) + ".las");
      vx::las::write(toUtf8(file), points);
      files.push_back(file);
      if (progress) progress(int(files.size()), count);
    }
  }
  return files;
}

}  // namespace demo
