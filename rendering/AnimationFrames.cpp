#include "rendering/AnimationFrames.h"

#include <QDir>

#include <cmath>
#include <limits>

namespace qvx {

int animationFrameCount(double lastTime) {
  const double frames = lastTime * kAnimationFramesPerSecond;
  if (!std::isfinite(frames) || frames < 1.0) return 0;
  if (frames >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  return static_cast<int>(frames);
}

QString animationFrameFile(const QFileInfo& output, int index) {
  return QDir::toNativeSeparators(output.absolutePath()) + QDir::separator() + output.fileName() +
         QStringLiteral("%1").arg(index, 8, 10, QLatin1Char('0')) + QStringLiteral(".bmp");
}

}  // namespace qvx
