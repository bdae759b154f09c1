#include "me/TemporaryFilesController.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "me/TileSnapshots.h"
#include "vx/AtomicFile.h"

namespace vx {
namespace me {
namespace controllers {

namespace {

namespace fs = std::filesystem;

// A tile is named by its folder or by its root file inside it.
fs::path tileFolderOf(const std::string& tileRootPath) {
  const fs::path path = fs::u8path(tileRootPath);
  return fs::is_directory(path) ? path : path.parent_path();
}

}  // namespace

void TemporaryFilesController::setTemporaryFolderName(const std::string& folder) {
  folder_ = folder;
  version_ = 0;
}

std::string TemporaryFilesController::versionFolder(int version) const {
  return (fs::u8path(folder_) / ("v" + std::to_string(version))).u8string();
}

void TemporaryFilesController::beginVersion() {
  if (folder_.empty()) throw std::logic_error("The temporary folder is not set.");
  const fs::path folder = fs::u8path(versionFolder(version_ + 1));
  std::error_code error;
  fs::remove_all(folder, error);  // left by an earlier session
  if (!error) fs::create_directories(folder, error);
  if (error) throw FileError("Cannot create the version folder " + folder.u8string() + " (" + error.message() + ").");
  ++version_;
}

void TemporaryFilesController::dropCurrentVersion() {
  if (version_ == 0) return;
  std::error_code ignored;
  fs::remove_all(fs::u8path(versionFolder(version_)), ignored);
  --version_;
}

void TemporaryFilesController::duplicateTilesToCurrentVersion(const std::vector<std::string>& tileRootPaths) {
  if (version_ == 0) throw std::logic_error("Tiles can only be duplicated into a version; add one first.");
  std::vector<fs::path> folders;
  for (const std::string& tile : tileRootPaths) {
    const fs::path folder = tileFolderOf(tile);
    if (!fs::is_directory(folder)) throw FileError("The tile " + tile + " does not exist.");
    folders.push_back(fs::absolute(folder).lexically_normal());
  }
  const std::string version = versionFolder(version_);
  for (const fs::path& folder : folders) snapshots::addTile(version, folder.u8string());
}

}  // namespace controllers
}  // namespace me
}  // namespace vx
