#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>


namespace Ui {
class MeshViewer;
}
namespace vx {
class VEXAProject;
}
namespace MeshTree {
class DataBase;
class Tree;
}  // namespace MeshTree
namespace qvx {
struct OpenedProject;
namespace viewer {
class ViewerControlPanel;
class ViewerEventAdapter;
}  // namespace viewer
}  // namespace qvx
class AugmentController;
class BusyScreen;
class MeshViewerCanvas;
class QButtonGroup;
class QFrame;
class QMenu;
class QTimer;

// The hub of the editor: composes the canvas, the event adapter, the control panel, the resource
// model and tree, and routes files, projects and drops to them.
class MeshViewer : public QWidget {
  Q_OBJECT

 public:
  explicit MeshViewer(QWidget* parent = nullptr);
  ~MeshViewer() override;

  void setViewerMode(int mode);
  int viewerMode() const { return viewerMode_; }
  void setRenderDirectory(const QString& directory);
  QString renderDirectory() const { return renderDirectory_; }
  QMenu* viewerMenu() const;

  // Whether the adapter holds edits that closing or clearing would lose.
  bool hasPendingEdits() const;
  // Lets the adapter resolve pending edits; false when the operator cancelled.
  bool resolvePendingEdits(std::function<void()> continuation);

  MeshViewerCanvas* canvas() const { return canvas_; }
  qvx::viewer::ViewerEventAdapter* adapter() const { return adapter_.get(); }
  MeshTree::DataBase* database() const { return database_.get(); }
  MeshTree::Tree* tree() const { return tree_; }
  std::shared_ptr<vx::VEXAProject> project() const { return project_; }
  const QStringList& meshExtensions() const { return meshExtensions_; }
  // True once a load has finished and the tile pager has had nothing to do for a moment.
  bool isSceneIdle() const { return sceneIdle_; }

  static QString shortcutHelpText();

 signals:
  void signal_ZoomIn();
  void signal_ZoomOut();
  void signal_ZoomReset();
  void signal_loadResource(int ID, QString file);
  void signal_setPolygonMode(int mode);
  void signal_updateLight(int light);
  void signal_clearResources();
  void signal_busy(bool busy, QString msg);
  void signal_error(QString msg);
  void signal_loadingDone();
  void signal_loadPolygonsFromShapeFile(QString fileName);
  void signal_sceneIdle();

 public slots:
  void on_loadResources(QStringList files);
  void on_loadResource(QString file);
  void on_loadCameraStations(QString path);
  void slot_loadVEXAProject(QString file);
  void on_clearMeshResources();

 private slots:
  void slotActivateEditor(bool active);
  void on_buttonPanel_clicked(bool checked);
  void on_ButtonZoomIn_clicked();
  void on_ButtonZoomOut_clicked();
  void on_ButtonZoomReset_clicked();
  void on_buttonFilled_clicked(bool checked);
  void on_buttonWireframe_clicked(bool checked);
  void on_buttonPoint_clicked(bool checked);
  void on_loadResource();
  void on_openExternal();
  void on_newResource();
  void on_reloadAllMeshes();
  void on_shortcut(int key);
  void on_busy(bool busy, QString msg);
  void slot_error(QString msg);
  void on_loadingDone();
  void on_deleteSelectedItemsFromUI();
  void on_update(bool resetCamera = true);
  void on_buttonHelp_clicked();
  void on_buttonHelpEditor_clicked();
  void slot_fovChanged(float fov);
  void checkSceneIdle();
  // Checks the toolbar button of an osg::PolygonMode::Mode without emitting anything.
  void showPolygonMode(int mode);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool refuseWithoutRenderer();
  void openFileDialog(const QString& filter);
  void applyProject(const QString& file, const qvx::OpenedProject& opened);
  void on_cancelBusyWork();
  void installAdapter(std::shared_ptr<qvx::viewer::ViewerEventAdapter> adapter);
  void connectControlPanel();
  void setEditingView(bool on);

  Ui::MeshViewer* ui_;
  int viewerMode_ = 0;
  MeshViewerCanvas* canvas_ = nullptr;
  QFrame* editToolbarFrame_ = nullptr;
  std::shared_ptr<qvx::viewer::ViewerEventAdapter> adapter_;
  std::shared_ptr<qvx::viewer::ViewerControlPanel> controlPanel_;
  std::shared_ptr<MeshTree::DataBase> database_;
  MeshTree::Tree* tree_ = nullptr;
  std::unique_ptr<AugmentController> augments_;
  BusyScreen* busyScreen_ = nullptr;
  QButtonGroup* polygonModeButtons_ = nullptr;
  std::shared_ptr<vx::VEXAProject> project_;
  quint64 projectTicket_ = 0;
  bool openingProject_ = false;
  QString renderDirectory_;
  QStringList meshExtensions_;
  QTimer* idleTimer_ = nullptr;
  int idleTicks_ = 0;
  bool sceneIdle_ = false;
};
