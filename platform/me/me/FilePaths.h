#pragma once

#include <string>

namespace vx {
namespace me {

// A paged LOD's file: the database path joined with the file name, the way the paging itself
// composes it (an empty database path leaves the name as it is).
std::string joinDatabasePath(const std::string& databasePath, const std::string& fileName);

// Tile sets of other producers carry Windows separators; this platform may not read them.
std::string backslashesToNative(const std::string& fileName);

}  // namespace me
}  // namespace vx
