#include "demo/TiledMesh.h"

#include <algorithm>

#include "demo/DemoProject.h"
#include "demo/OutputFolder.h"
#include "demo/TexturePainter.h"
#include "demo/TileMeshBuilder.h"
#include "demo/TileWriter.h"

namespace demo {

TiledMeshResult writeTiledMeshes(const TerrainModel& terrain, const MeshLayout& layout,
                                 const std::vector<MeshDestination>& destinations, const TileProgress& progress,
                                 const TileVisitor& visitTile) {
  layout.validate();
  const TexturePainter painter(terrain);
  const TileMeshBuilder builder(terrain, painter, layout);
  TiledMeshResult result;
  result.tileRoots.resize(destinations.size());
  std::vector<TileBounds> bounds;
  const int count = layout.tiles * layout.tiles;
  int done = 0;
  for (int y = 0; y < layout.tiles; ++y) {
    for (int x = 0; x < layout.tiles; ++x) {
      TileNodes tile = builder.build(x, y, 1);
      for (size_t d = 0; d < destinations.size(); ++d) {
        setLodVersion(*tile.root, destinations[d].lodVersion);
        const std::filesystem::path folder = destinations[d].folder / tileName(x, y);
        writeTile(tile, folder);
        result.tileRoots[d].push_back(toUtf8(std::filesystem::absolute(folder / tileFileName(x, y))));
      }
      TileBounds b;
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
  const osg::ref_ptr<osg::Group> index = meshIndex(bounds);
  for (const MeshDestination& destination : destinations) writeOsgb(*index, destination.folder / "Mesh.osgb");
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
