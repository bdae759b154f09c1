#include "me/TileSnapshots.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "vx/AtomicFile.h"
#include "vx/SafeRead.h"

namespace vx {
namespace me {
namespace snapshots {

namespace {

namespace fs = std::filesystem;

constexpr const char* kListName = "tiles.txt";
constexpr std::uint64_t kLargestList = std::uint64_t(64) << 20;
constexpr std::uint64_t kLargestTileFile = std::uint64_t(4) << 30;
constexpr const char* kStagedSuffix = ".undo-staged";

fs::path pathOf(const std::string& utf8) { return fs::u8path(utf8); }
std::string utf8Of(const fs::path& path) { return path.u8string(); }

std::vector<std::string> listedTiles(const fs::path& versionFolder) {
  const fs::path list = versionFolder / kListName;
  std::vector<std::string> tiles;
  if (!fs::exists(list)) return tiles;
  const std::string text = readRegularFile(utf8Of(list), kLargestList, "Version list");
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) tiles.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return tiles;
}

fs::path copyFolderOf(const fs::path& versionFolder, size_t index) {
  return versionFolder / ("tile" + std::to_string(index + 1));
}

// The regular files below `folder`, as paths relative to it, in a stable order.
std::vector<fs::path> filesBelow(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file()) files.push_back(fs::relative(it->path(), folder));
  }
  if (error) throw FileError("Cannot read the tile folder " + utf8Of(folder) + " (" + error.message() + ").");
  std::sort(files.begin(), files.end());
  return files;
}

void copyFile(const fs::path& from, const fs::path& to) {
  const std::string content = readRegularFile(utf8Of(from), kLargestTileFile, "Tile file");
  std::error_code error;
  fs::create_directories(to.parent_path(), error);
  if (error) throw FileError("Cannot create the folder " + utf8Of(to.parent_path()) + " (" + error.message() + ").");
  writeFileAtomically(utf8Of(to), content);
}

}  // namespace

void addTile(const std::string& versionFolder, const std::string& tileFolder) {
  const fs::path version = pathOf(versionFolder);
  const fs::path live = pathOf(tileFolder);
  std::vector<std::string> tiles = listedTiles(version);
  if (std::find(tiles.begin(), tiles.end(), utf8Of(live)) != tiles.end()) return;
  if (!fs::is_directory(live)) throw FileError("The tile folder " + tileFolder + " does not exist.");
  const fs::path copy = copyFolderOf(version, tiles.size());
  std::error_code error;
  fs::remove_all(copy, error);  // what a failed earlier copy left
  for (const fs::path& file : filesBelow(live)) copyFile(live / file, copy / file);
  tiles.push_back(utf8Of(live));
  std::string list;
  for (const std::string& tile : tiles) list += tile + '\n';
  writeFileAtomically(utf8Of(version / kListName), list);
}

void restore(const std::string& versionFolder) {
  const fs::path version = pathOf(versionFolder);
  const std::vector<std::string> tiles = listedTiles(version);
  struct Staged {
    fs::path staged, target;
  };
  std::vector<Staged> staged;
  const auto dropStaged = [&staged] {
    std::error_code ignored;
    for (const Staged& file : staged) fs::remove(file.staged, ignored);
  };
  try {
    for (size_t i = 0; i < tiles.size(); ++i) {
      const fs::path copy = copyFolderOf(version, i);
      const fs::path live = pathOf(tiles[i]);
      for (const fs::path& file : filesBelow(copy)) {
        const fs::path target = live / file;
        fs::path stagedPath = target;
        stagedPath += kStagedSuffix;
        copyFile(copy / file, stagedPath);
        staged.push_back({stagedPath, target});
      }
    }
  } catch (...) {
    dropStaged();
    throw;
  }
  for (size_t i = 0; i < staged.size(); ++i) {
    std::error_code error;
    fs::rename(staged[i].staged, staged[i].target, error);
    if (error) {
      const std::string target = utf8Of(staged[i].target);
      staged.erase(staged.begin(), staged.begin() + long(i));  // those are in place already
      dropStaged();
      throw FileError("Cannot restore " + target + ": rename failed (" + error.message() + ").");
    }
  }
}

}  // namespace snapshots
}  // namespace me
}  // namespace vx
