#include "demo/TiledMesh.h"

#include <algorithm>

#include "demo/DemoProject.h"
#include "demo/OutputFolder.h"
#include "demo/TexturePainter.h"
#include "demo/TileMeshBuilder.h"

namespace demo {

TiledMeshResult writeTiledMeshes(const TerrainModel& terrain, const MeshLayout& layout,
                                 const std::vector<MeshDestination>& destinations, const TileProgress& progress,
                                 const TileVisitor& visitTile) {
  layout.validate();
  const TexturePainter painter(terrain);
  const TileMeshBuilder builder(terrain, painter, layout);
  TiledMeshResult result;
  result.tileRoots.resize(destinations.size());
  std::vector<vx::tiles::TileBounds> bounds;
  const int count = layout.tiles * layout.tiles;
  int done = 0;
  for (int y = 0; y < layout.tiles; ++y) {
    for (int x = 0; x < layout.tiles; ++x) {
      TileNodes tile = builder.build(x, y, 1);
      for (size_t d = 0; d < destinations.size(); ++d) {
        vx::tiles::setLodVersion(*tile.root, destinations[d].lodVersion);
        const std::filesystem::path folder = destinations[d].folder / vx::tiles::tileName(x, y);
        vx::tiles::writeTile(tile, toUtf8(folder));
        result.tileRoots[d].push_back(toUtf8(std::filesystem::absolute(folder / vx::tiles::tileFileName(x, y))));
      }
      vx::tiles::TileBounds b;
      b.x = x;
      b.y = y;
      b.min = tile.offset + osg::Vec3d(tile.minXYZ);
      b.max = tile.offset + osg::Vec3d(tile.maxXYZ);
      if (bounds.empty()) {
        result.minHeight = b.min.z();
        result.maxHeight = b.max.z();
      }
      result.minHeight = std::min(result.minHeight, b.min.z());
      result.maxHeight = std::max(result.maxHeight, b.max.z());
      bounds.push_back(b);
      if (visitTile) visitTile(x, y, tile);
      if (progress) progress(++done, count);
    }
  }
  const osg::ref_ptr<osg::Group> index = vx::tiles::meshIndex(bounds);
  for (const MeshDestination& destination : destinations)
    vx::tiles::writeOsgb(*index, toUtf8(destination.folder / "Mesh.osgb"));
  return result;
}

void writeTiledMesh(const std::string& meshFolder, const DemoOptions& options, bool forEditing) {
  const MeshLayout layout = MeshLayout::fromOptions(options);
  layout.validate();
  const std::filesystem::path folder = fromUtf8(meshFolder);
  prepareEmptyFolder(folder);
  const TerrainModel terrain(options.seed, layout.extent());
  writeTiledMeshes(terrain, layout, {{folder, forEditing ? 2 : 1}}, {});
}

}  // namespace demo
