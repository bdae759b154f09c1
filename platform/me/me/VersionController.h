#pragma once

namespace vx {
namespace me {
namespace controllers {

class TemporaryFilesController;

// Versions around changes of the live tiles: a version is taken before a change, with the tiles
// it will touch duplicated into it, and undoing it puts those tiles back.
class VersionController {
 public:
  explicit VersionController(TemporaryFilesController& files) : files_(files) {}

  // Starts a new, empty version. Throws vx::FileError when its folder cannot be made.
  void addNewVersion();
  // Copies the current version's tiles back over the live tiles and drops the version; false when
  // there is none. A failed copy throws vx::FileError naming the file, leaves the live tiles as
  // they were and keeps the version.
  bool undo();

 private:
  TemporaryFilesController& files_;
};

}  // namespace controllers
}  // namespace me
}  // namespace vx
