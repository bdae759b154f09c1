#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

#include "rendering/WaypointList.h"
#include "vx/ImageOrientation.h"


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
struct ProjectImages;
class WaypointTree;
namespace osgcam {
class CameraStationManager;
}
namespace viewer {
class EditorToolbar;
class ViewerControlPanel;
class ViewerEventAdapter;
}  // namespace viewer
}  // namespace qvx
class UnattendedRun;
class AugmentController;
class BusyScreen;
class MeshViewerCanvas;
class QButtonGroup;
class RangeSelector;
class QFrame;
class QMenu;
class QTimer;
class ProgressMonitor;
class TextTerminal;
class VexaProcess;

// The hub of the editor: composes the canvas, the event adapter, the control panel, the resource
// model and tree, and routes files, projects and drops to them.
class MeshViewer : public QWidget {
  Q_OBJECT

 public:
  explicit MeshViewer(QWidget* parent = nullptr);
  ~MeshViewer() override;

  void setViewerMode(int mode);
  int viewerMode() const { return viewerMode_; }
  // Makes the run unattended: once every start-up file has loaded, one picture per camera position
  // goes into `directory` and the application quits with the run's exit code.
  void setRenderDirectory(const QString& directory);
  QString renderDirectory() const { return renderDirectory_; }
  // The start-up files have all been handed out (the unattended run waits for their loads).
  void startupFilesDispatched();
  QMenu* viewerMenu() const;
  // "Run up to" each step and "Full run" of the open project; enabled while a project is open and
  // no run goes on.
  QMenu* processingMenu() const { return processingMenu_; }
  bool isProcessing() const { return processing_; }

  // Whether the adapter holds edits that closing or clearing would lose.
  bool hasPendingEdits() const;
  // Lets the adapter resolve pending edits; false when the operator cancelled.
  bool resolvePendingEdits(std::function<void()> continuation);

  MeshViewerCanvas* canvas() const { return canvas_; }
  qvx::viewer::ViewerEventAdapter* adapter() const { return adapter_.get(); }
  MeshTree::DataBase* database() const { return database_.get(); }
  MeshTree::Tree* tree() const { return tree_; }
  qvx::osgcam::CameraStationManager* stations() const { return stations_; }
  qvx::WaypointTree* waypointTree() const { return waypoints_; }
  const qvx::WaypointList& waypointList() const { return waypointList_; }
  qvx::viewer::EditorToolbar* editorToolbar() const { return toolbar_; }
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
  // A stereo topology for the stations shown, read in the background.
  void on_loadCameraStationsTopology(QString path);
  void slot_loadVEXAProject(QString file);
  void on_clearMeshResources();
  void slot_clearCameras();
  void slot_toggleCamera(bool on);
  void slot_toggleOrtho(bool on);
  void slot_isImageView(bool on);
  void slot_scaleFrustums(int direction);
  void slot_renderScreenshotsFromOris();
  void on_retrieveCameraView();
  void on_goToView();
  void on_updateWaypoints();
  void on_startAnimationPlayback();
  void on_stopAnimationPlayback();
  void on_saveAnimationPath(QString file);
  void on_loadAnimationPath(QString file);
  void on_saveScreenshot(QString file, int width, int height);
  void on_renderAnimation(QString file, int fps, int duration);

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
  void on_processingFinished(int returnCode);

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
  void wireCameras();
  void showStations(const qvx::ProjectImages& images, const QString& source);
  void wireProcessing();
  // Runs the open project up to `target` (a value that is no step: the full run); refused while
  // a run goes on.
  void startProcessing(int target);
  void updateProcessingMenu();
  // Cancels a run and waits for its end.
  void endProcessing();

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
  RangeSelector* heightRangeSelector_ = nullptr;
  std::shared_ptr<vx::VEXAProject> project_;
  quint64 projectTicket_ = 0;
  bool openingProject_ = false;
  QString renderDirectory_;
  std::unique_ptr<UnattendedRun> unattended_;
  qvx::osgcam::CameraStationManager* stations_ = nullptr;
  qvx::viewer::EditorToolbar* toolbar_ = nullptr;
  qvx::WaypointTree* waypoints_ = nullptr;
  qvx::WaypointList waypointList_;
  // The orientations of the stations drawn, in project order: the overlay's candidates and the
  // camera positions of the render from every camera.
  std::vector<vx::ImageOrientation> stationOrientations_;
  std::unique_ptr<qvx::ProjectImages> stationImages_;
  QStringList renderFailures_;
  QStringList meshExtensions_;
  QTimer* idleTimer_ = nullptr;
  int idleTicks_ = 0;
  bool sceneIdle_ = false;
  VexaProcess* processRunner_ = nullptr;
  QMenu* processingMenu_ = nullptr;
  QFrame* processingPanel_ = nullptr;
  ProgressMonitor* progressMonitor_ = nullptr;
  TextTerminal* terminal_ = nullptr;
  bool processing_ = false;
  int lastTarget_ = -1;
};
