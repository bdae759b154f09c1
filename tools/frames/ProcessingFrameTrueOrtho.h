#pragma once

#include "tools/ProcessingFrame.h"

namespace qvx {
namespace tool {

// Makes the true orthophoto tiles from the DSM tiles (3D input) and the oriented images.
class ProcessingFrameTrueOrtho : public ProcessingFrame {
  Q_OBJECT

 public:
  explicit ProcessingFrameTrueOrtho(QWidget* parent = nullptr);

  void start() override;
  int processingStep() const override;
  // The orientation and image folders must hold their first lists.
  void checkInputs() override;

 public slots:
  void slot_configButtonClicked() override;
};

}  // namespace tool
}  // namespace qvx
