#pragma once

// Project.vpr as an XML property tree, shared by the project object and the structure update.

#include <boost/property_tree/ptree.hpp>

#include "FileUtil.h"

namespace vx {
namespace detail {

using boost::property_tree::ptree;

constexpr const char* kProjectRootElement = "VEXAProject";

// The tree below the root element. Throws std::runtime_error for a missing, unreadable or
// malformed file and for a missing root element.
ptree readProjectTree(const fs::path& file);
// The root's file version. Throws std::runtime_error when it is missing or not a positive number.
int projectFileVersion(const ptree& root, const fs::path& file);
// Writes the tree below a root element atomically and first keeps the previous file as
// "<file>.backup". Throws std::runtime_error; the file is untouched on failure.
void writeProjectTree(const fs::path& file, const ptree& root);

}  // namespace detail
}  // namespace vx
