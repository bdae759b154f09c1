#pragma once

#include <QMenu>

namespace qvx {
namespace viewer {

// The resource actions of the viewer, shown on the control panel's menu button and in the main
// window's menu bar.
class ViewerMenu : public QMenu {
  Q_OBJECT

 public:
  explicit ViewerMenu(QWidget* parent = nullptr);

 signals:
  void signal_openMesh();
  void signal_clearAllMeshes();
  void signal_clearCameras();
  void signal_reloadAllMeshes();
};

}  // namespace viewer
}  // namespace qvx
