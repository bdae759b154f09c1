#pragma once

#include "me/TemporaryFilesController.h"
#include "me/UpdateLODsController.h"
#include "me/VersionController.h"

namespace vx {
namespace me {

// The editing session that every caller shares (hold it by std::shared_ptr); callers fetch a
// controller by reference for each call.
class Application {
 public:
  Application() = default;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  controllers::VersionController& getVersionController() { return versions_; }
  controllers::TemporaryFilesController& getTemporaryFilesController() { return temporaryFiles_; }
  controllers::UpdateLODsController& getUpdateLODsController() { return updateLODs_; }

 private:
  controllers::TemporaryFilesController temporaryFiles_;
  controllers::VersionController versions_{temporaryFiles_};
  controllers::UpdateLODsController updateLODs_;
};

}  // namespace me
}  // namespace vx
