#include "shell/SidePanel.h"

#include <cmath>

namespace qvx {

QSize sidePanelMinimumSize(const QSize& screenSize) {
  return QSize(static_cast<int>(std::lround(150.0 * screenSize.width() / 1920.0)),
               static_cast<int>(std::lround(1.0 * screenSize.height() / 1080.0)));
}

}  // namespace qvx
