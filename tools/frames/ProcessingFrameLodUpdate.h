#pragma once

#include <memory>

#include "tools/ProcessingFrame.h"

namespace vx {
namespace me {
class Application;
}
}  // namespace vx

namespace qvx {
namespace tool {

// Brings the levels of detail of the tiles its 3D input lists (a tile list file) up to date. The
// update cannot be cancelled.
class ProcessingFrameLodUpdate : public ProcessingFrame {
  Q_OBJECT

 public:
  explicit ProcessingFrameLodUpdate(std::shared_ptr<vx::me::Application> application, QWidget* parent = nullptr);

  // A list that cannot be read ends the row with 1; the reason goes out as signal_error.
  void start() override;
  int processingStep() const override { return -1; }

 signals:
  void signal_lodUpdateStarted();

 private:
  std::shared_ptr<vx::me::Application> m_application;
};

}  // namespace tool
}  // namespace qvx
