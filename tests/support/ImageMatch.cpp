#include "tests/support/ImageMatch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace testsupport {

namespace {

bool near(QRgb a, QRgb b, int tolerance) {
  return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Pixels showing the scene, shrunk by `edge` so that blurred silhouettes do not count.
std::vector<char> sceneMask(const QImage& image, QRgb background, int tolerance, int edge) {
  const int w = image.width();
  const int h = image.height();
  std::vector<char> drawn(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < w; ++x) drawn[static_cast<size_t>(y) * w + x] = !near(line[x], background, tolerance);
  }
  if (edge <= 0) return drawn;
  std::vector<char> shrunk(drawn.size(), 0);
  for (int y = edge; y < h - edge; ++y)
    for (int x = edge; x < w - edge; ++x) {
      bool all = true;
      for (int dy = -edge; dy <= edge && all; ++dy)
        for (int dx = -edge; dx <= edge && all; ++dx) all = drawn[static_cast<size_t>(y + dy) * w + x + dx];
      shrunk[static_cast<size_t>(y) * w + x] = all;
    }
  return shrunk;
}

// Mean absolute difference per channel of photo(x, y) against render(x + sx, y + sy).
double difference(const QImage& photo, const QImage& render, const std::vector<char>& photoMask,
                  const std::vector<char>& renderMask, int sx, int sy, size_t* count) {
  const int w = photo.width();
  const int h = photo.height();
  double sum = 0.0;
  size_t n = 0;
  // Every second pixel keeps the shift search quick on full-size photos.
  for (int y = std::max(0, -sy); y < std::min(h, h - sy); y += 2) {
    const QRgb* p = reinterpret_cast<const QRgb*>(photo.constScanLine(y));
    const QRgb* r = reinterpret_cast<const QRgb*>(render.constScanLine(y + sy));
    for (int x = std::max(0, -sx); x < std::min(w, w - sx); x += 2) {
      if (!photoMask[static_cast<size_t>(y) * w + x] || !renderMask[static_cast<size_t>(y + sy) * w + x + sx]) continue;
      const QRgb a = p[x];
      const QRgb b = r[x + sx];
      sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
      ++n;
    }
  }
  if (count) *count = n;
  return n ? sum / (3.0 * n) : std::numeric_limits<double>::infinity();
}

}  // namespace

QString ImageMatch::describe() const {
  return QString("MAD %1 at no shift, best %2 at (%3, %4), %5 % covered")
      .arg(meanAbsoluteDifference, 0, 'f', 2)
      .arg(bestMeanAbsoluteDifference, 0, 'f', 2)
      .arg(bestShiftX)
      .arg(bestShiftY)
      .arg(100.0 * coveredFraction, 0, 'f', 1);
}

ImageMatch matchImages(const QImage& photoIn, const QImage& renderIn, QRgb photoBackground, QRgb renderBackground,
                       int maxShift, int tolerance, int edge) {
  ImageMatch match;
  const QImage photo = photoIn.convertToFormat(QImage::Format_RGB32);
  const QImage render = renderIn.convertToFormat(QImage::Format_RGB32);
  if (photo.size() != render.size() || photo.isNull()) {
    match.meanAbsoluteDifference = match.bestMeanAbsoluteDifference = std::numeric_limits<double>::infinity();
    return match;
  }
  const auto photoMask = sceneMask(photo, photoBackground, tolerance, edge);
  const auto renderMask = sceneMask(render, renderBackground, tolerance, edge);
  size_t covered = 0;
  match.meanAbsoluteDifference = difference(photo, render, photoMask, renderMask, 0, 0, &covered);
  match.coveredFraction = 4.0 * covered / (double(photo.width()) * photo.height());
  match.bestMeanAbsoluteDifference = match.meanAbsoluteDifference;
  for (int sy = -maxShift; sy <= maxShift; ++sy)
    for (int sx = -maxShift; sx <= maxShift; ++sx) {
      const double d = difference(photo, render, photoMask, renderMask, sx, sy, nullptr);
      if (d < match.bestMeanAbsoluteDifference) {
        match.bestMeanAbsoluteDifference = d;
        match.bestShiftX = sx;
        match.bestShiftY = sy;
      }
    }
  return match;
}

}  // namespace testsupport
