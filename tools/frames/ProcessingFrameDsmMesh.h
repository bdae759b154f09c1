#pragma once

#include "tools/ProcessingFrame.h"

namespace qvx {
namespace tool {

// Meshes the DSM tiles (3D input) into untextured DSM mesh tiles.
class ProcessingFrameDsmMesh : public ProcessingFrame {
  Q_OBJECT

 public:
  explicit ProcessingFrameDsmMesh(QWidget* parent = nullptr);

  void start() override;
  int processingStep() const override;

 public slots:
  void slot_configButtonClicked() override;
};

}  // namespace tool
}  // namespace qvx
