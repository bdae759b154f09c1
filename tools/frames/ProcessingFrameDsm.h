#pragma once

#include "tools/ProcessingFrame.h"

namespace qvx {
namespace tool {

// Grids the 3D input (point clouds) into the project's height tiles.
class ProcessingFrameDsm : public ProcessingFrame {
  Q_OBJECT

 public:
  explicit ProcessingFrameDsm(QWidget* parent = nullptr);

  void start() override;
  int processingStep() const override;

 public slots:
  void slot_configButtonClicked() override;

 protected:
  // The DSM runs without a project area, but what follows it needs one: say so now.
  void onSucceeded() override;
};

}  // namespace tool
}  // namespace qvx
