#pragma once

#include <QFileInfo>
#include <QString>

namespace qvx {

// Animations are sampled at this rate whatever the path's own timing.
constexpr int kAnimationFramesPerSecond = 25;

// Frames of a path lasting `lastTime` seconds: the whole frames that fit, none below one.
int animationFrameCount(double lastTime);

// "<absolute folder of output><separator><output's name><index, 8 digits>.bmp"; an output naming a
// folder (trailing separator) gives "<folder><separator>00000000.bmp".
QString animationFrameFile(const QFileInfo& output, int index);

}  // namespace qvx
