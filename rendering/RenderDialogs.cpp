#include "rendering/RenderDialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFormLayout>
#include <QFrame>

#include "rendering/ScreenshotFileName.h"

namespace {

QSpinBox* makeBox(QWidget* parent, int maximum, int value) {
  auto* box = new QSpinBox(parent);
  box->setRange(0, maximum);
  box->setValue(value);
  return box;
}

}  // namespace

ScreenshotRenderDialog::ScreenshotRenderDialog(QWidget* parent)
    : omniDialog(QDir::homePath(), QStringLiteral("Save Screenshot As"), {}, parent),
      width_(makeBox(this, 15000, 1920)),
      height_(makeBox(this, 15000, 1080)) {
  auto* frame = new QFrame(this);
  frame->setFrameShape(QFrame::StyledPanel);
  auto* form = new QFormLayout(frame);
  form->addRow(QStringLiteral("Width [pix]"), width_);
  form->addRow(QStringLiteral("Height [pix]"), height_);
  extraLayout()->addWidget(frame);
}

QString ScreenshotRenderDialog::screenshotFile() const {
  return qvx::screenshotFileFor(text(), QDateTime::currentDateTime());
}

AnimationRenderDialog::AnimationRenderDialog(QWidget* parent)
    : omniDialog(QDir::homePath(), QStringLiteral("Render settings"), {}, parent),
      duration_(makeBox(this, 3600, 5)),
      framerate_(makeBox(this, 100, 25)) {
  auto* frame = new QFrame(this);
  frame->setFrameShape(QFrame::StyledPanel);
  auto* form = new QFormLayout(frame);
  form->addRow(QStringLiteral("duration [s]"), duration_);
  form->addRow(QStringLiteral("framerate [fps]"), framerate_);
  extraLayout()->addWidget(frame);
}
