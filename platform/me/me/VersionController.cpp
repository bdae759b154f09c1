#include "me/VersionController.h"

#include "me/TemporaryFilesController.h"
#include "me/TileSnapshots.h"

namespace vx {
namespace me {
namespace controllers {

void VersionController::addNewVersion() { files_.beginVersion(); }

bool VersionController::undo() {
  if (files_.currentVersion() == 0) return false;
  snapshots::restore(files_.versionFolder(files_.currentVersion()));
  files_.dropCurrentVersion();
  return true;
}

}  // namespace controllers
}  // namespace me
}  // namespace vx
