#pragma once

#include <string>

namespace vx {
namespace me {
namespace lod {

// Rebuilds every coarser level of the tile whose root file is `rootPath` from its finest level:
// per coarse node the finest triangles below it, simplified to about the triangle count the node
// had, with a texture of its former size made from the finest textures. File names, paged ranges
// and the layout of the tree stay; centres and radii of the paged LODs and the bounds of the root
// follow the new surface; the root gets "EditState" 1. The files of the finest level are not
// written. All new files are staged before any is replaced. Throws vx::FileError naming the file
// that cannot be read or written; the tile's files are then as they were.
void updateTileLevels(const std::string& rootPath);

}  // namespace lod
}  // namespace me
}  // namespace vx
