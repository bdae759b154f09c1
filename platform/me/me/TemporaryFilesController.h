#pragma once

#include <string>
#include <vector>

namespace vx {
namespace me {
namespace controllers {

// The folder of the editing session's temporary files and its versions: version N is the folder
// "<temporary folder>/v<N>/" holding copies of the tile folders taken before a change (see
// TileSnapshots.h). Paths are UTF-8.
class TemporaryFilesController {
 public:
  // A new folder starts without versions. The folder is created with the first version.
  void setTemporaryFolderName(const std::string& folder);
  const std::string& getTemporaryFolderName() const { return folder_; }

  // Copies the folders of the tiles (tile folders or the tile root files in them, absolute) into
  // the current version, so that undoing the version brings them back. Checks that every tile
  // folder exists before it copies anything. Throws vx::FileError naming the file that could not
  // be copied, std::logic_error when there is no version yet.
  void duplicateTilesToCurrentVersion(const std::vector<std::string>& tileRootPaths);

  // 0 before the first version.
  int currentVersion() const { return version_; }
  std::string versionFolder(int version) const;
  // Starts version N+1 with an empty folder. Throws vx::FileError when it cannot be made.
  void beginVersion();
  // Removes the current version's folder; the version before becomes current.
  void dropCurrentVersion();

 private:
  std::string folder_;
  int version_ = 0;
};

}  // namespace controllers
}  // namespace me
}  // namespace vx
