#pragma once

#include <string>
#include <vector>

namespace vx {
namespace me {
namespace controllers {

// Brings the levels of detail of edited tiles up to date with their finest level. Runs on a worker
// thread; it cannot be cancelled. Messages go to the utility library's status channel
// (vx::utils::status) under the step of the DSM mesh texturing, which the update completes.
class UpdateLODsController {
 public:
  // `tilePaths`: UTF-8 absolute paths of tile root files "Tile_<x>_<y>/Tile_<x>_<y>.osgb".
  // Each tile is updated on its own: a tile that cannot be read or written is reported as an
  // error naming the file and keeps its files as they were, and the others go on.
  // Returns 0 when every tile was updated, 1 otherwise.
  int updateLODs(const std::vector<std::string>& tilePaths);
};

}  // namespace controllers
}  // namespace me
}  // namespace vx
