#pragma once

// Project.vpr as an XML property tree, shared by the project object and the structure update.

#include <boost/property_tree/ptree.hpp>
#include <cstdint>

#include "FileUtil.h"

namespace vx {
namespace detail {

using boost::property_tree::ptree;

constexpr const char* kProjectRootElement = "VEXAProject";
// Far beyond any real project (a quarter of a million images): a larger file is refused unread,
// since its tree would take many times its size in memory.
constexpr std::uint64_t kMaxProjectFileBytes = std::uint64_t(64) << 20;
// The format needs four levels (VEXAProject/images/image/name); the rest is room for additions.
constexpr int kMaxProjectFileDepth = 32;

// The tree below the root element. Throws std::runtime_error naming the file for a missing,
// unreadable, oversized, too deeply nested or malformed file and for a missing root element.
ptree readProjectTree(const fs::path& file);
// The root's file version. Throws std::runtime_error when it is missing or not a positive number.
int projectFileVersion(const ptree& root, const fs::path& file);
// Writes the tree below a root element atomically and first keeps the previous file as
// "<file>.backup". Throws std::runtime_error; the file is untouched on failure.
void writeProjectTree(const fs::path& file, const ptree& root);

}  // namespace detail
}  // namespace vx
