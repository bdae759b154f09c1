#include "demo/SizeEstimate.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <system_error>

#include "demo/CameraFlight.h"
#include "demo/OutputFolder.h"
#include "demo/PointClouds.h"
#include "demo/TileLayout.h"
#include "vx/MeshTiles.h"

namespace demo {

namespace {

constexpr double kTexturedMeshes = 2.0;      // DSM_Mesh and DSM_Mesh_For_Editing; one untextured besides
constexpr double kBytesPerTexel = 3.0;       // RGB, embedded uncompressed
constexpr double kBytesPerVertex = 32.0;     // position, normal (3 floats each), 2 texture floats
constexpr double kBytesPerUntexturedVertex = 24.0;
constexpr double kBytesPerTriangle = 12.0;   // three 32-bit indices
constexpr double kBytesPerFile = 4096.0;     // node, state set and paged LOD records of a level file
constexpr double kBytesPerCell = 4.0;        // DSM heights, ortho RGBA and true heights, uncompressed
constexpr double kBytesPerImage = 4096.0;    // orientation file and list lines
// JPEG of quality 95 of the demo landscape: about 0.1 bytes per pixel where the texture is much
// coarser than the photo, up to about 0.34 where every pixel shows a texel of its own.
constexpr double kPhotoBytesPerPixel = 0.15;
constexpr double kPhotoBytesPerDetail = 0.3;
constexpr double kBytesPerPoint = 26.0;      // LAS 1.2 point format 2
constexpr double kBytesPerOrthoHeader = 2048.0;  // GeoTIFF tags and coordinate system
constexpr double kFixedBytes = 256.0 * 1024.0;  // databases, project file, topology, log
constexpr double kMargin = 1.25;

std::string megabytes(std::uintmax_t bytes) {
  return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB";
}

}  // namespace

std::uintmax_t estimateProjectBytes(const DemoOptions& options) {
  const MeshLayout layout = MeshLayout::fromOptions(options);
  // The results are made at the project's ground sample distance, one DSM cell per true texel.
  const double cells = double(layout.textureSize) * layout.textureSize;
  const vx::tiles::TileShape mesh = vx::tiles::shapeForCell(layout.tileSize, layout.tileSize / layout.textureSize);
  const double levels = 4.0 / 3.0;  // the coarser levels add a third to the finest
  const double meshVertices = levels * (mesh.finestCells + 1.0) * (mesh.finestCells + 1.0);
  const double meshTriangles = levels * 2.0 * mesh.finestCells * mesh.finestCells;
  const double files = (std::pow(4.0, mesh.levels - 1) - 1.0) / 3.0 + 1.0;
  const double untextured = meshVertices * kBytesPerUntexturedVertex + meshTriangles * kBytesPerTriangle + files * kBytesPerFile;
  const double textured = meshVertices * kBytesPerVertex + meshTriangles * kBytesPerTriangle + files * kBytesPerFile +
                          levels * double(mesh.textureSize) * mesh.textureSize * kBytesPerTexel;
  // DSM, true ortho, true ortho and heights of the ground truth.
  const double rasters = cells * (3.0 * kBytesPerCell + kBytesPerTexel) + 4.0 * kBytesPerOrthoHeader;
  const double tiles = double(layout.tiles) * layout.tiles;
  // Texels per photo pixel at nadir, which decides how much detail the photos show.
  const double texelsPerPixel = flyingHeight(layout, options.images) / kFocalLength / (layout.tileSize / layout.textureSize);
  const double photoBytes =
      double(kImageWidth) * kImageHeight * (kPhotoBytesPerPixel + kPhotoBytesPerDetail * std::min(1.0, texelsPerPixel));
  const double cloudBytes = pointsPerTile(layout) * kBytesPerPoint;
  const double total =
      kMargin * (tiles * (untextured + kTexturedMeshes * textured + rasters + cloudBytes) +
                 options.images * (kBytesPerImage + photoBytes) + kFixedBytes);
  return static_cast<std::uintmax_t>(std::ceil(total));
}

void requireFreeSpace(std::uintmax_t needed, std::uintmax_t available, const std::filesystem::path& folder) {
  if (needed <= available) return;
  throw std::runtime_error("Not enough free space for the demo project in " + toUtf8(folder) + ": it needs about " +
                           megabytes(needed) + ", " + megabytes(available) +
                           " are free.\nChoose fewer tiles, levels or images; nothing was written.");
}

void requireFreeSpaceFor(const std::filesystem::path& target, std::uintmax_t needed) {
  namespace fs = std::filesystem;
  fs::path existing = target;
  std::error_code error;
  while (!existing.empty() && !fs::exists(existing, error)) {
    if (existing == existing.parent_path()) break;
    existing = existing.parent_path();
  }
  const fs::space_info space = fs::space(existing, error);
  if (error) throw std::runtime_error("Could not read the free space of " + toUtf8(existing) + ": " + error.message());
  requireFreeSpace(needed, space.available, existing);
}

}  // namespace demo
