#include "demo/OutputFolder.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace demo {

std::filesystem::path fromUtf8(const std::string& path) { return std::filesystem::u8path(path); }

std::string toUtf8(const std::filesystem::path& path) { return path.u8string(); }

void requireEmptyOrAbsent(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  if (folder.empty()) throw std::runtime_error("No output folder given.");
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (!fs::exists(status)) return;
  if (!fs::is_directory(status))
    throw std::runtime_error("The output path exists and is not a folder: " + toUtf8(folder));
  if (!fs::is_empty(folder, error) || error)
    throw std::runtime_error("The output folder is not empty: " + toUtf8(folder) +
                             "\nChoose a new or empty folder; nothing was written.");
}

void prepareEmptyFolder(const std::filesystem::path& folder) {
  requireEmptyOrAbsent(folder);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw std::runtime_error("Could not create the output folder " + toUtf8(folder) + ": " + error.message());
}

StagingFolder::StagingFolder(const std::filesystem::path& target) : target_(target) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::create_directories(target.parent_path(), error);
  if (error)
    throw std::runtime_error("Could not create the folder " + toUtf8(target.parent_path()) + ": " + error.message());
  // A random suffix keeps a folder left behind by a killed run from blocking this one.
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
    const fs::path candidate = target.parent_path() / fromUtf8("." + toUtf8(target.filename()) + ".partial-" + suffix);
    if (fs::create_directory(candidate, error)) {
      staging_ = candidate;
      return;
    }
    if (error) break;
  }
  throw std::runtime_error("Could not create a working folder beside " + toUtf8(target) +
                           (error ? ": " + error.message() : std::string()));
}

StagingFolder::~StagingFolder() {
  if (committed_ || staging_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(staging_, ignored);
}

void StagingFolder::commit() {
  namespace fs = std::filesystem;
  requireEmptyOrAbsent(target_);
  std::error_code error;
  // Renaming onto an existing folder is not portable; the empty target is removed first.
  if (fs::exists(target_, error)) fs::remove(target_, error);
  if (!error) fs::rename(staging_, target_, error);
  if (error) throw std::runtime_error("Could not move the written project to " + toUtf8(target_) + ": " + error.message());
  committed_ = true;
}

void writeTextFile(const std::filesystem::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("Could not write " + toUtf8(file));
}

}  // namespace demo
