#include "demo/TileMeshBuilder.h"

namespace demo {

TileMeshBuilder::TileMeshBuilder(const TerrainModel& terrain, const TexturePainter& painter, const MeshLayout& layout)
    : terrain_(terrain), painter_(painter), layout_(layout) {}

TileNodes TileMeshBuilder::build(int x, int y, int lodVersion) const {
  vx::tiles::TileShape shape;
  shape.levels = layout_.levels;
  shape.tileSize = layout_.tileSize;
  shape.finestCells = layout_.finestGridCells;
  shape.textureSize = layout_.textureSize;
  const double x0 = x * layout_.tileSize, y0 = y * layout_.tileSize;
  vx::tiles::VertexHeights heights(shape);
  const double spacing = shape.spacing();
  for (int j = -shape.border(); j <= shape.finestCells + shape.border(); ++j)
    for (int i = -shape.border(); i <= shape.finestCells + shape.border(); ++i)
      heights.at(i, j) = terrain_.surfaceHeight(x0 + i * spacing, y0 + j * spacing);
  TileNodes tile;
  tile.texture = painter_.paint(x0, y0, layout_.tileSize, layout_.textureSize);
  static_cast<vx::tiles::TileNodes&>(tile) =
      vx::tiles::buildTile(x, y, layout_.tileOffset(x, y), shape, heights, tile.texture.get(), lodVersion);
  return tile;
}

}  // namespace demo
