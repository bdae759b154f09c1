#pragma once

#include <QImage>
#include <QString>

namespace testsupport {

// How well a render matches a photo of the same camera where both show the scene: the mean
// absolute difference per channel over the pixels that both cover, and the shift of the render
// (within +-maxShift pixels) that matches best.
struct ImageMatch {
  double meanAbsoluteDifference = 0.0;  // at no shift
  int bestShiftX = 0;
  int bestShiftY = 0;
  double bestMeanAbsoluteDifference = 0.0;
  double coveredFraction = 0.0;  // of the photo's pixels used at no shift
  QString describe() const;
};

// `photoBackground` and `renderBackground` are the colours where nothing was drawn; pixels near
// either (within `tolerance` per channel), and a border of `edge` pixels around them where
// silhouettes blur, are left out.
ImageMatch matchImages(const QImage& photo, const QImage& render, QRgb photoBackground, QRgb renderBackground,
                       int maxShift = 5, int tolerance = 10, int edge = 2);

}  // namespace testsupport
