#include "me/UpdateLODsController.h"

#include <chrono>
#include <exception>

#include "me/TileLevelsUpdate.h"
#include "vx/Msg.h"
#include "vx/Status.h"

namespace vx {
namespace me {
namespace controllers {

namespace {

namespace msg = vx::MSG;
namespace status = vx::utils::status;

constexpr int kStep = msg::STEP_DSM_MESH_TEXTURING;

// Texts go as the value of "%s", so that a per cent sign in a path stays as it is.
void report(int type, const std::string& text) { status::report(msg::makeCode(type, kStep, 0), "%s", nullptr, nullptr, text.c_str()); }

}  // namespace

int UpdateLODsController::updateLODs(const std::vector<std::string>& tilePaths) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const int tiles = static_cast<int>(tilePaths.size());
  int updated = 0;
  for (int i = 0; i < tiles; ++i) {
    const int counts[3] = {i + 1, tiles, 0};
    status::report(msg::makeCode(msg::TYPE_INFO, kStep, 0), "Processing Tile %d of %d", nullptr, counts);
    report(msg::TYPE_INFO, "Updating the levels of detail of " + tilePaths[i]);
    try {
      lod::updateTileLevels(tilePaths[i]);
      ++updated;
    } catch (const std::exception& error) {
      report(msg::TYPE_ERROR, std::string(error.what()) + " The levels of detail of this tile were left as they were.");
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double fraction = static_cast<double>(i + 1) / tiles;
    const double progress[3] = {fraction, elapsed, elapsed / fraction - elapsed};
    status::report(msg::makeCode(msg::TYPE_PROGRESS, kStep, 0), "", progress);
  }
  const int result[3] = {updated, tiles, 0};
  status::report(msg::makeCode(msg::TYPE_INFO, kStep, 0), "Updated the levels of detail of %d of %d tiles", nullptr,
                 result);
  return updated == tiles ? 0 : 1;
}

}  // namespace controllers
}  // namespace me
}  // namespace vx
