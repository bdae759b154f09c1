#include "shell/MeshViewer.h"

#include "project/ProjectOpener.h"
#include "resources/DataBase.h"
#include "resources/MeshTree.h"
#include "shell/DropRouting.h"
#include "shell/HeightRangeWiring.h"
#include "shell/MeshSuffixes.h"
#include "dialogs/MessageDialogs.h"
#include "project/ProjectImages.h"
#include "shell/UnattendedRun.h"
#include "stations/CameraStationManager.h"
#include "viewer/EditorToolbar.h"
#include "rendering/RenderHost.h"
#include "rendering/WaypointTree.h"
#include <QPushButton>
#include "shell/SidePanel.h"
#include "scenefiles/SceneFileGuard.h"
#include "tools/run/BusyScreen.h"
#include "tools/inputs/RangeSelector.h"
#include "ui_MeshViewer.h"
#include "viewer/AugmentController.h"
#include "viewer/MeshViewerCanvas.h"
#include "viewer/ViewerControlPanel.h"
#include "viewer/ViewerEventAdapter.h"
#include "viewer/ViewerMath.h"
#include "viewer/ViewerMenu.h"
#include "vx/VEXAProject.h"

#include <QButtonGroup>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <osg/PolygonMode>
#include <osgDB/DatabasePager>

#include <cmath>
#include <iterator>

namespace {
const char* const kDocumentationSite = "https://docs.zentrik.example/vexa-editor";
const QString kNoRenderer = QStringLiteral("Cannot load resource: No OpenGL renderer available.");
// The pager must stay without requests this many idle checks (100 ms apart) to count as done.
constexpr int kIdleTicksNeeded = 10;
// The polygon modes of the toolbar buttons, by their id in the button group.
const osg::PolygonMode::Mode kPolygonModeOfButton[] = {osg::PolygonMode::FILL, osg::PolygonMode::LINE,
                                                       osg::PolygonMode::POINT};
}  // namespace

MeshViewer::MeshViewer(QWidget* parent) : QWidget(parent), ui_(new Ui::MeshViewer) {
  ui_->setupUi(this);
  busyScreen_ = new BusyScreen(this);
  meshExtensions_ = qvx::meshSuffixes();

  database_ = std::make_shared<MeshTree::DataBase>();
  augments_ = std::make_unique<AugmentController>();
  tree_ = new MeshTree::Tree(meshExtensions_, ui_->sidepanel);
  ui_->verticalLayout_3->addWidget(tree_);

  ui_->ButtonZoomIn->setIcon(QIcon(QStringLiteral(":/img/images/VEXAZoomIn.png")));
  ui_->ButtonZoomOut->setIcon(QIcon(QStringLiteral(":/img/images/VEXAZoomOut.png")));
  ui_->ButtonZoomReset->setIcon(QIcon(QStringLiteral(":/img/images/VEXACenter.png")));
  ui_->buttonHelp->setIcon(QIcon(QStringLiteral(":/img/images/vexaHelp.png")));
  ui_->buttonFilled->setIcon(QIcon(QStringLiteral(":/img/images/meshFilled.png")));
  ui_->buttonFilled->setToolTip(QStringLiteral("View mesh as solid"));
  ui_->buttonPoint->setIcon(QIcon(QStringLiteral(":/img/images/meshPoints.png")));
  ui_->buttonPoint->setToolTip(QStringLiteral("View mesh as points"));
  ui_->buttonWireframe->setIcon(QIcon(QStringLiteral(":/img/images/meshLines.png")));
  ui_->buttonWireframe->setToolTip(QStringLiteral("View mesh as wireframe"));
  ui_->buttonPanel->setIcon(QIcon(QStringLiteral(":/img/images/expand.png")));
  for (QToolButton* button : {ui_->ButtonZoomIn, ui_->ButtonZoomOut, ui_->ButtonZoomReset, ui_->buttonHelp,
                              ui_->buttonFilled, ui_->buttonPoint, ui_->buttonWireframe, ui_->buttonPanel})
    button->setIconSize(QSize(20, 20));
  polygonModeButtons_ = new QButtonGroup(this);
  polygonModeButtons_->setExclusive(true);
  polygonModeButtons_->addButton(ui_->buttonFilled, 0);
  polygonModeButtons_->addButton(ui_->buttonWireframe, 1);
  polygonModeButtons_->addButton(ui_->buttonPoint, 2);
  heightRangeSelector_ = new RangeSelector(ui_->frame_3);
  heightRangeSelector_->setObjectName(QStringLiteral("heightRangeSelector"));
  heightRangeSelector_->setToolTip(QStringLiteral("Height range of the colouring by height"));
  // The title bar must not make the window wider or taller than before: the selector takes the
  // room that is left.
  heightRangeSelector_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  heightRangeSelector_->setMaximumSize(420, ui_->buttonPanel->sizeHint().height());
  ui_->horizontalLayout->insertWidget(ui_->horizontalLayout->indexOf(ui_->buttonPanel), heightRangeSelector_);

  auto* viewLayout = new QVBoxLayout(ui_->viewWidget);
  viewLayout->setContentsMargins(0, 0, 0, 0);
  viewLayout->setSpacing(0);
  editToolbarFrame_ = new QFrame(ui_->viewWidget);
  editToolbarFrame_->setFrameShape(QFrame::StyledPanel);
  editToolbarFrame_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  auto* toolbarLayout = new QHBoxLayout(editToolbarFrame_);
  toolbarLayout->setSpacing(30);
  viewLayout->addWidget(editToolbarFrame_);
  canvas_ = new MeshViewerCanvas(ui_->viewWidget);
  canvas_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  viewLayout->addWidget(canvas_);

  setViewerMode(0);

  connect(this, &MeshViewer::signal_ZoomIn, canvas_, &MeshViewerCanvas::on_zoomIn);
  connect(this, &MeshViewer::signal_ZoomOut, canvas_, &MeshViewerCanvas::on_zoomOut);
  connect(this, &MeshViewer::signal_ZoomReset, canvas_, &MeshViewerCanvas::on_zoomReset);
  connect(this, &MeshViewer::signal_loadResource, tree_, &MeshTree::Tree::on_add);
  connect(tree_, &MeshTree::Tree::signal_update, this, &MeshViewer::on_update);
  connect(tree_, &MeshTree::Tree::signal_deleteSelectedItemsFromUI, this, &MeshViewer::on_deleteSelectedItemsFromUI);
  connect(database_.get(), &MeshTree::DataBase::signal_busy, this, &MeshViewer::on_busy);
  connect(database_.get(), &MeshTree::DataBase::signal_newData, this, &MeshViewer::on_newResource);
  connect(database_.get(), &MeshTree::DataBase::signal_clearData, tree_, &MeshTree::Tree::on_clear);
  connect(database_.get(), &MeshTree::DataBase::signal_error, this, &MeshViewer::signal_error);
  connect(busyScreen_, &BusyScreen::signal_cancel, this, &MeshViewer::on_cancelBusyWork);
  if (auto* guard = scenefiles::SceneFileGuard::installed())
    connect(guard, &scenefiles::SceneFileGuard::signal_badFile, this, &MeshViewer::signal_error);
  connect(database_.get(), &MeshTree::DataBase::signal_loadingDone, this, &MeshViewer::on_loadingDone);
  connect(canvas_, &MeshViewerCanvas::signal_shortcut, this, &MeshViewer::on_shortcut);
  connect(canvas_, &MeshViewerCanvas::signal_fovChanged, this, &MeshViewer::slot_fovChanged);
  connect(canvas_, &MeshViewerCanvas::signal_cameraPositionChanged, augments_.get(),
          &AugmentController::slot_updateAugmentScales);
  connect(ui_->checkboxEditMode, &QCheckBox::clicked, this, &MeshViewer::slotActivateEditor);
  setAcceptDrops(true);

  controlPanel_ = std::make_shared<qvx::viewer::ViewerControlPanel>();
  ui_->verticalLayout_3->insertWidget(0, controlPanel_.get());
  connectControlPanel();
  wireCameras();
  wireProcessing();
  waypoints_->setMode(viewerMode_);
  // The viewer's adapter leaves the tool bar frame to the overlay buttons.
  installAdapter(std::make_shared<qvx::viewer::ViewerEventAdapter>(canvas_->view(), database_, nullptr));

  ui_->sidepanel->setMinimumSize(qvx::sidePanelMinimumSize(QGuiApplication::primaryScreen()->size()));

  idleTimer_ = new QTimer(this);
  idleTimer_->setInterval(100);
  connect(idleTimer_, &QTimer::timeout, this, &MeshViewer::checkSceneIdle);
}

MeshViewer::~MeshViewer() {
  endProcessing();
  // The adapter and panel are shared with signal connections into this widget; drop them first.
  controlPanel_.reset();
  adapter_.reset();
  delete ui_;
}

void MeshViewer::connectControlPanel() {
  using qvx::viewer::ViewerControlPanel;
  connect(controlPanel_.get(), &ViewerControlPanel::signal_updateEyeSeparation, canvas_,
          &MeshViewerCanvas::on_setEyeSeparation);
  connect(controlPanel_.get(), &ViewerControlPanel::signal_updateThreeD, canvas_, &MeshViewerCanvas::on_3DVis);
  connect(controlPanel_.get(), &ViewerControlPanel::signal_stereoModeChanged, canvas_,
          &MeshViewerCanvas::slot_stereoModeChanged);
  connect(controlPanel_.get(), &ViewerControlPanel::signal_clearMeshes, this, &MeshViewer::on_clearMeshResources);
  connect(controlPanel_.get(), &ViewerControlPanel::signal_loadMesh, this,
          static_cast<void (MeshViewer::*)()>(&MeshViewer::on_loadResource));
  connect(controlPanel_.get(), &ViewerControlPanel::signal_reloadAllMeshes, this, &MeshViewer::on_reloadAllMeshes);
  connect(this, &MeshViewer::signal_updateLight, controlPanel_.get(), &ViewerControlPanel::slot_updateLight);
}

void MeshViewer::installAdapter(std::shared_ptr<qvx::viewer::ViewerEventAdapter> adapter) {
  using qvx::viewer::ViewerControlPanel;
  using qvx::viewer::ViewerEventAdapter;
  adapter_ = std::move(adapter);
  canvas_->setEventAdapter(adapter_.get());
  connect(controlPanel_.get(), &ViewerControlPanel::signal_updateLight, adapter_.get(), &ViewerEventAdapter::on_setLight);
  connect(controlPanel_.get(), &ViewerControlPanel::signal_updateVerticalAxisFixed, adapter_.get(),
          &ViewerEventAdapter::slot_updateVerticalAxisFixed);
  connect(this, &MeshViewer::signal_setPolygonMode, adapter_.get(), &ViewerEventAdapter::on_setPolygonMode);
  connect(adapter_.get(), &ViewerEventAdapter::signal_polygonModeChanged, this, &MeshViewer::showPolygonMode);
  connect(this, &MeshViewer::signal_loadPolygonsFromShapeFile, adapter_.get(),
          &ViewerEventAdapter::slot_loadPolygonsFromShapeFile);
  connect(adapter_.get(), &ViewerEventAdapter::signal_rotationCenterChanged, augments_.get(),
          &AugmentController::slot_updateRotationCenter);
  connect(adapter_.get(), &ViewerEventAdapter::signal_rotationIsActive, augments_.get(),
          &AugmentController::slot_showRotationCenter);
  connect(adapter_.get(), &ViewerEventAdapter::signal_openImageFromCam, stations_,
          &qvx::osgcam::CameraStationManager::slot_openImageFromCam);
  connect(adapter_.get(), &ViewerEventAdapter::signal_pickedNode, stations_,
          &qvx::osgcam::CameraStationManager::slot_pickedCamera);
  // A new adapter starts at the default light; keep what the panel shows.
  adapter_->on_setLight(controlPanel_->lightSlider()->value());
  adapter_->setFovFactor(qvx::viewer::fieldOfViewFactor(canvas_->fieldOfView()));
  qvx::wireHeightRange(heightRangeSelector_, adapter_.get());
}

QMenu* MeshViewer::viewerMenu() const { return controlPanel_->menu(); }

void MeshViewer::setViewerMode(int mode) {
  viewerMode_ = mode;
  const bool enabled = mode != 0;
  for (QToolButton* button : {ui_->ButtonZoomIn, ui_->ButtonZoomOut, ui_->ButtonZoomReset})
    button->setEnabled(enabled);
  ui_->buttonFilled->setChecked(true);
  ui_->buttonWireframe->setChecked(false);
  ui_->buttonPoint->setChecked(false);
  for (QToolButton* button : {ui_->buttonFilled, ui_->buttonWireframe, ui_->buttonPoint})
    button->setEnabled(enabled);
  if (mode == 0) {
    ui_->sidepanel->show();
  } else {
    ui_->buttonPanel->setEnabled(true);
    if (mode == 1) ui_->sidepanel->show();
  }
  // The panel button shows whether the panel is open; isHidden() holds before the window is shown.
  ui_->buttonPanel->setChecked(!ui_->sidepanel->isHidden());
  if (waypoints_) waypoints_->setMode(mode);
}

bool MeshViewer::hasPendingEdits() const { return adapter_->checkEditMode() && !adapter_->editsSaved(); }

bool MeshViewer::resolvePendingEdits(std::function<void()> continuation) {
  return adapter_->requestClose(std::move(continuation));
}

bool MeshViewer::refuseWithoutRenderer() {
  if (canvas_->hasRenderer()) return false;
  slot_error(kNoRenderer);
  return true;
}

void MeshViewer::on_loadResources(QStringList files) {
  if (refuseWithoutRenderer()) return;
  if (unattended_) unattended_->beginLoad();
  adapter_->on_loadResources(files);
}

void MeshViewer::on_loadResource(QString file) {
  if (refuseWithoutRenderer()) return;
  if (unattended_) unattended_->beginLoad();
  adapter_->on_loadResource(file);
}

void MeshViewer::slot_loadVEXAProject(QString file) {
  if (refuseWithoutRenderer()) return;
  // A cancelled opening may still be reading; its ticket tells its late answers apart.
  const quint64 ticket = ++projectTicket_;
  openingProject_ = true;
  qvx::ProjectOpenerUi ui;
  ui.askUpdate = [this, ticket](const QString& question) {
    return ticket == projectTicket_ && qvx::okCancelQuestion(question) == QMessageBox::Ok;
  };
  ui.critical = [this, ticket](const QString& message) {
    if (ticket == projectTicket_) qvx::criticalBox(message);
  };
  // The project file and databases are read on the thread pool; the busy screen keeps a second
  // open from starting meanwhile.
  on_busy(true, QStringLiteral("Opening project: ") + QFileInfo(file).absoluteFilePath());
  if (unattended_) unattended_->beginLoad();
  qvx::openProjectInBackground(file, ui, &MeshTree::DataBase::currentResources, this,
                               [this, file, ticket](qvx::OpenedProject opened) {
                                 if (ticket != projectTicket_) return;
                                 openingProject_ = false;
                                 on_busy(false, QString());
                                 if (opened.project) {
                                   applyProject(file, opened);
                                 } else if (unattended_) {
                                   unattended_->fail(QStringLiteral("The project %1 could not be opened.")
                                                         .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())));
                                 }
                                 if (unattended_) unattended_->endLoad();
                               });
}

void MeshViewer::on_cancelBusyWork() {
  // Opening only reads until the project arrives, so dropping what arrives is a full cancel.
  if (openingProject_) {
    ++projectTicket_;
    openingProject_ = false;
    on_busy(false, QString());
  }
  database_->cancelLoad();
  canvas_->renderHost()->cancel();
}

void MeshViewer::applyProject(const QString& file, const qvx::OpenedProject& opened) {
  project_ = opened.project;
  updateProcessingMenu();
  ui_->LabelFilename->setText(QFileInfo(file).absoluteFilePath());
  showStations(opened.images, file);
  on_update(true);
  // Healthy results load even when others could not be read.
  if (!opened.resources.isEmpty()) on_loadResources(opened.resources);
  if (!opened.problems.isEmpty()) emit signal_error(opened.problems.join(QStringLiteral("\n\n")));
}

void MeshViewer::on_clearMeshResources() {
  // A render must not go on drawing resources that are going away.
  canvas_->renderHost()->cancel();
  // The tree rebuilds the scene itself once it has removed anything.
  if (!hasPendingEdits()) {
    tree_->on_clear();
    return;
  }
  resolvePendingEdits([this] { tree_->on_clear(); });
}

void MeshViewer::slotActivateEditor(bool active) {
  if (active && !project_) {
    qvx::informationBox(
        QStringLiteral("Cannot enter edit mode without a valid project - please load a VEXA project."));
    ui_->checkboxEditMode->setChecked(false);
    return;
  }
  if (hasPendingEdits()) {
    ui_->checkboxEditMode->setChecked(!active);
    resolvePendingEdits([this, active] { slotActivateEditor(active); });
    return;
  }
  osg::Vec3d eye, center, up;
  adapter_->readCamera(eye, center, up);
  ui_->checkboxEditMode->setChecked(active);
  setEditingView(active);
  on_update(true);
  adapter_->restoreCamera(eye, center, up);
  canvas_->setFocus();
}

void MeshViewer::setEditingView(bool on) {
  // Edit mode shows the surface plain white and lit, so its shape can be judged without texture.
  adapter_->setEditingView(on);
}

void MeshViewer::on_buttonPanel_clicked(bool checked) {
  if (!checked) {
    ui_->sidepanel->hide();
    return;
  }
  ui_->sidepanel->show();
  const int panelWidth = ui_->sidepanel->minimumWidth();
  ui_->splitter->setSizes({width() - panelWidth, panelWidth});
}

void MeshViewer::on_ButtonZoomIn_clicked() { emit signal_ZoomIn(); }
void MeshViewer::on_ButtonZoomOut_clicked() { emit signal_ZoomOut(); }
void MeshViewer::on_ButtonZoomReset_clicked() { emit signal_ZoomReset(); }

void MeshViewer::on_buttonFilled_clicked(bool) { emit signal_setPolygonMode(kPolygonModeOfButton[0]); }
void MeshViewer::on_buttonWireframe_clicked(bool) { emit signal_setPolygonMode(kPolygonModeOfButton[1]); }
void MeshViewer::on_buttonPoint_clicked(bool) { emit signal_setPolygonMode(kPolygonModeOfButton[2]); }

void MeshViewer::showPolygonMode(int mode) {
  for (int id = 0; id < int(std::size(kPolygonModeOfButton)); ++id) {
    if (kPolygonModeOfButton[id] == mode) polygonModeButtons_->button(id)->setChecked(true);
  }
}

void MeshViewer::openFileDialog(const QString& filter) {
  if (refuseWithoutRenderer()) return;
  const QStringList files =
      QFileDialog::getOpenFileNames(this, QStringLiteral("Select mesh sources"), QDir::homePath(), filter);
  if (!files.isEmpty()) adapter_->on_loadResources(files);
}

void MeshViewer::on_loadResource() { openFileDialog(qvx::meshFileDialogFilter()); }

void MeshViewer::on_openExternal() { openFileDialog(qvx::meshFileDialogFilter()); }

void MeshViewer::on_newResource() {
  const QList<MeshTree::Group*> groups = database_->takeNewGroups();
  tree_->addGroups(groups);
  tree_->treeWidget()->sortItems(0, Qt::AscendingOrder);
  on_update(database_->resetCameraOnNewData());
}

void MeshViewer::on_reloadAllMeshes() {
  if (hasPendingEdits()) {
    qvx::warningBox(QStringLiteral("Can't reload data since edits to the mesh have been done that would be lost. "
                                   "Please save or discard all changes first."));
    return;
  }
  database_->reloadAll(true);
}

void MeshViewer::on_shortcut(int key) {
  switch (key) {
    case Qt::Key_Plus:
      emit signal_updateLight(5);
      break;
    case Qt::Key_Minus:
      emit signal_updateLight(-5);
      break;
    case Qt::Key_J: {
      QCheckBox* stereo = controlPanel_->stereoCheckBox();
      stereo->click();
      break;
    }
    case Qt::Key_N:
      adapter_->faceNorth();
      break;
    case Qt::Key_C:
      if (toolbar_->cameraImageButton()->isEnabled()) {
        toolbar_->setCameraImageChecked(!toolbar_->cameraImageButton()->isChecked());
        slot_toggleCamera(toolbar_->cameraImageButton()->isChecked());
      }
      break;
    case Qt::Key_O:
      if (toolbar_->trueOrthoButton()->isEnabled()) {
        toolbar_->setTrueOrthoChecked(!toolbar_->trueOrthoButton()->isChecked());
        slot_toggleOrtho(toolbar_->trueOrthoButton()->isChecked());
      }
      break;
    case Qt::Key_V:
      if (canvas_->renderHost()->isAnimationPlaying())
        on_stopAnimationPlayback();
      else
        on_startAnimationPlayback();
      break;
    case Qt::Key_X:
      on_retrieveCameraView();
      break;
    default:
      break;
  }
}

void MeshViewer::on_busy(bool busy, QString msg) {
  busyScreen_->setMsg(msg);
  if (busy)
    busyScreen_->showScreen();
  else
    busyScreen_->closeScreen();
}

void MeshViewer::slot_error(QString msg) { qvx::criticalBox(msg); }

void MeshViewer::on_loadingDone() {
  qInfo("Loading done");
  if (unattended_) unattended_->endLoad();
  sceneIdle_ = false;
  idleTicks_ = 0;
  idleTimer_->start();
  emit signal_loadingDone();
}

void MeshViewer::checkSceneIdle() {
  osgDB::DatabasePager* pager = canvas_->view()->getDatabasePager();
  const bool busy = pager && (pager->getRequestsInProgress() || pager->getFileRequestListSize() > 0 ||
                              pager->getDataToMergeListSize() > 0);
  idleTicks_ = busy ? 0 : idleTicks_ + 1;
  if (idleTicks_ < kIdleTicksNeeded) return;
  idleTimer_->stop();
  sceneIdle_ = true;
  qInfo("Scene idle");
  emit signal_sceneIdle();
}

void MeshViewer::on_deleteSelectedItemsFromUI() { tree_->removeSelectedItems(); }

void MeshViewer::on_update(bool resetCamera) {
  osg::Vec3d eye, center, up;
  if (!resetCamera) adapter_->readCamera(eye, center, up);
  adapter_->setScene(database_->sceneData(), augments_->root(), stations_->stationRoot(), vx::me::TileMain);
  if (!resetCamera) adapter_->restoreCamera(eye, center, up);
}

void MeshViewer::on_buttonHelp_clicked() { qvx::shortcutBox(shortcutHelpText()); }

void MeshViewer::on_buttonHelpEditor_clicked() {
  QDesktopServices::openUrl(QUrl(QString::fromLatin1(kDocumentationSite)));
}

void MeshViewer::slot_fovChanged(float fov) {
  const float factor = qvx::viewer::fieldOfViewFactor(fov);
  adapter_->setFovFactor(factor);
  augments_->setFovFactor(factor);
}

void MeshViewer::dragEnterEvent(QDragEnterEvent* event) { event->acceptProposedAction(); }

void MeshViewer::dropEvent(QDropEvent* event) {
  if (refuseWithoutRenderer()) return;
  const qvx::DropPlan plan = qvx::planDrop(event->mimeData()->urls(), meshExtensions_);
  for (const qvx::DropPlan::Action& action : plan.actions) {
    switch (action.kind) {
      case qvx::DropPlan::Kind::OrientationList:
        on_loadCameraStations(action.path);
        break;
      case qvx::DropPlan::Kind::Topology:
        on_loadCameraStationsTopology(action.path);
        break;
      case qvx::DropPlan::Kind::Project:
        slot_loadVEXAProject(action.path);
        break;
      case qvx::DropPlan::Kind::ShapeFile:
        emit signal_loadPolygonsFromShapeFile(action.path);
        break;
    }
  }
  if (!plan.aborted && !plan.meshes.isEmpty()) adapter_->on_loadResources(plan.meshes);
}

QString MeshViewer::shortcutHelpText() {
  return QStringLiteral(
      "W \t\t\t toggle wireframe, points, triangles\nF \t\t\t toggle fullscreen\nL \t\t\t toggle shading flat, "
      "smooth, off\n+/- \t\t\t control brightnesss\n*// \t\t\t control displayed LOD level\nT \t\t\t toggle "
      "texture\nH \t\t\t center view\nS \t\t\t show viewer info\nJ \t\t\t toggle stereo view\nX \t\t\t capture "
      "waypoint\nCtrl + mouse wheel \t scale cameras\nAlt + double click \t show topology of clicked camera\nright "
      "click \t\t open image taken by clicked camera\nC \t\t\t toggle nearest camera overlay\nRight arrow \t\t show "
      "next image\nLeft arrow \t\t show previos image\nO \t\t\t toggle nearest True Ortho overlay\nN \t\t\t align "
      "mesh to north\nShift + mouse wheel \t change field of view\n\n\nEdit mode:\n\nD \t\t\t Enter digitization "
      "mode\nEnter or Right Click \t Apply changes\nEsc \t\t\t Discard changes\nS \t\t\t Select polygon\nP \t\t\t "
      "Activate/deactivate guiding plane\nCtrl + mouse wheel \t scale guiding plane\nCtrl + S \t\t save polygons to "
      "shape file\nCtrl + Q \t\t clear all polygons\nCtrl + B \t\t reprocess edited tiles\n");
}
