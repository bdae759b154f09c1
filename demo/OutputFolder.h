#pragma once

#include <filesystem>
#include <string>

namespace demo {

std::filesystem::path fromUtf8(const std::string& path);
std::string toUtf8(const std::filesystem::path& path);

// Creates `folder` (and its parents) when absent. Throws std::runtime_error when it exists but is
// not an empty folder, so that nothing of the user's is overwritten.
void prepareEmptyFolder(const std::filesystem::path& folder);

// Writes a small text file (UTF-8, LF line ends). Throws std::runtime_error.
void writeTextFile(const std::filesystem::path& file, const std::string& text);

}  // namespace demo
