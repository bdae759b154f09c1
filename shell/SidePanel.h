#pragma once

#include <QSize>

namespace qvx {

// The side panel's minimum size, 150 x 1 on a 1920 x 1080 screen, scaled with the screen.
QSize sidePanelMinimumSize(const QSize& screenSize);

}  // namespace qvx
