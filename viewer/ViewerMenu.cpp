#include "viewer/ViewerMenu.h"

namespace qvx {
namespace viewer {

ViewerMenu::ViewerMenu(QWidget* parent) : QMenu(parent) {
  setTitle("Viewer");
  connect(addAction("Add mesh resources"), &QAction::triggered, this, &ViewerMenu::signal_openMesh);
  connect(addAction("Clear mesh resources"), &QAction::triggered, this, &ViewerMenu::signal_clearAllMeshes);
  connect(addAction("Clear camera resources"), &QAction::triggered, this, &ViewerMenu::signal_clearCameras);
  connect(addAction("Reload mesh resources"), &QAction::triggered, this, &ViewerMenu::signal_reloadAllMeshes);
}

}  // namespace viewer
}  // namespace qvx
