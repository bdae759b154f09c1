#pragma once

#include <string>

namespace vx {
namespace me {
namespace snapshots {

// A version folder holds copies of tile folders taken before a change, as "tile<k>/" with
// "tiles.txt" naming, on line k, the live folder each copy came from. Every file is copied
// through vx::writeFileAtomically, so that a copy is whole or absent.

// Copies the tile folder `tileFolder` (UTF-8, absolute) into `versionFolder`, unless the version
// already holds it: the first copy is the state before the change. The tile is listed only after
// all its files are copied. Throws vx::FileError naming the file that could not be copied.
void addTile(const std::string& versionFolder, const std::string& tileFolder);

// Copies every tile of the version back over its live folder. All files are first staged beside
// their targets and only then renamed over them, so that a failed copy leaves the live tiles as
// they were. Files the change added to a live folder stay. Throws vx::FileError naming the file.
void restore(const std::string& versionFolder);

}  // namespace snapshots
}  // namespace me
}  // namespace vx
