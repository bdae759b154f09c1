#pragma once

#include <QSpinBox>

#include "dialogs/OmniDialog.h"

// Asks for the file and pixel size of a screenshot.
class ScreenshotRenderDialog : public omniDialog {
  Q_OBJECT

 public:
  explicit ScreenshotRenderDialog(QWidget* parent = nullptr);

  // The file to write, after the dialog closed; empty for none.
  QString screenshotFile() const;
  int imageWidth() const { return width_->value(); }
  int imageHeight() const { return height_->value(); }

 private:
  QSpinBox* width_;
  QSpinBox* height_;
};

// Asks for the output, duration and frame rate of an animation render.
class AnimationRenderDialog : public omniDialog {
  Q_OBJECT

 public:
  explicit AnimationRenderDialog(QWidget* parent = nullptr);

  QString file() const { return text(); }
  int duration() const { return duration_->value(); }
  int framerate() const { return framerate_->value(); }

 private:
  QSpinBox* duration_;
  QSpinBox* framerate_;
};
