#pragma once

#include "tools/ProcessingFrame.h"

namespace qvx {
namespace tool {

// Textures the untextured DSM mesh tiles (3D input) from the oriented images.
class ProcessingFrameDsmMeshTexturing : public ProcessingFrame {
  Q_OBJECT

 public:
  explicit ProcessingFrameDsmMeshTexturing(QWidget* parent = nullptr);

  // Without a project area the row ends with 1 and starts nothing.
  void start() override;
  int processingStep() const override;
  // The orientation and image folders must hold the lists of all three iterations; one message
  // names every missing one.
  void checkInputs() override;

 public slots:
  void slot_configButtonClicked() override;
};

}  // namespace tool
}  // namespace qvx
