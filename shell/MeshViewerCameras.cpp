// The central widget's wiring of camera stations, the image overlay, waypoints and renders.

#include "shell/MeshViewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent>
#include <QLayout>
#include <QPushButton>
#include <QComboBox>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <iostream>
#include <set>

#include "project/ProjectImages.h"
#include "rendering/RenderHost.h"
#include "rendering/WaypointFile.h"
#include "rendering/WaypointItem.h"
#include "rendering/WaypointTree.h"
#include "dialogs/MessageDialogs.h"
#include "shell/UnattendedRun.h"
#include "stations/CameraStationManager.h"
#include "stations/ImageOverlayController.h"
#include "stations/OrientationListLoader.h"
#include "ui_MeshViewer.h"
#include "viewer/EditorToolbar.h"
#include "viewer/MeshViewerCanvas.h"
#include "viewer/ViewerControlPanel.h"
#include "viewer/ViewerEventAdapter.h"

namespace {

constexpr int kMessageMs = 3000;
// A file name of a screenshot that holds this asks for the render from every camera position.
const QString kRenderAllCamerasTrigger = QStringLiteral("renderallcameras");
constexpr double kPlaybackSeconds = 10.0;

}  // namespace

void MeshViewer::wireCameras() {
  using qvx::image::ImageOverlayController;
  using qvx::osgcam::CameraStationManager;
  stations_ = new CameraStationManager(this);
  connect(stations_, &CameraStationManager::signal_error, this, &MeshViewer::signal_error);
  connect(stations_, &CameraStationManager::signal_openImage, this, [this](std::string name) {
    for (const vx::ImageOrientation& orientation : stationOrientations_)
      if (orientation.imageName() == name) canvas_->imageOverlay()->slot_jumpToCameraPosition(orientation);
  });
  connect(canvas_, &MeshViewerCanvas::signal_controlWheel, this, &MeshViewer::slot_scaleFrustums);

  ImageOverlayController* overlay = canvas_->imageOverlay();
  connect(overlay, &ImageOverlayController::signal_openImageFromOri, stations_,
          &CameraStationManager::slot_openImageFromOri);
  connect(overlay, &ImageOverlayController::signal_openTrueOrtho, stations_, &CameraStationManager::slot_openTrueOrtho);
  connect(overlay, &ImageOverlayController::signal_isImageView, this, &MeshViewer::slot_isImageView);
  connect(overlay, &ImageOverlayController::signal_error, this, &MeshViewer::signal_error);
  connect(canvas_, &MeshViewerCanvas::signal_isImageView, this, &MeshViewer::slot_isImageView);

  // The overlay buttons work in the viewer; the editing tools of the bar come with the mesh editor.
  using qvx::viewer::EditorToolbar;
  toolbar_ = new EditorToolbar(editToolbarFrame_);
  editToolbarFrame_->layout()->addWidget(toolbar_);
  for (QWidget* editing : std::initializer_list<QWidget*>{
           toolbar_->toolComboBox(), toolbar_->selectButton(), toolbar_->planeButton(), toolbar_->digitizeButton(),
           toolbar_->applyButton(), toolbar_->cancelButton(), toolbar_->undoButton(), toolbar_->redoButton(),
           toolbar_->saveButton(), toolbar_->reprocessButton()})
    editing->hide();
  connect(toolbar_, &EditorToolbar::signal_toggleCamera, this, &MeshViewer::slot_toggleCamera);
  connect(toolbar_, &EditorToolbar::signal_toggleOrtho, this, &MeshViewer::slot_toggleOrtho);
  connect(toolbar_, &EditorToolbar::signal_prevImage, canvas_, &MeshViewerCanvas::slot_prevCamera);
  connect(toolbar_, &EditorToolbar::signal_nextImage, canvas_, &MeshViewerCanvas::slot_nextCamera);
  connect(controlPanel_.get(), &qvx::viewer::ViewerControlPanel::signal_clearCameras, this, &MeshViewer::slot_clearCameras);

  using qvx::WaypointTree;
  waypoints_ = new WaypointTree(ui_->sidepanel);
  ui_->verticalLayout_3->addWidget(waypoints_);
  waypoints_->showTimedMessage = [](const QString& text, int ms) { qvx::timedInformation(text, ms); };
  waypoints_->askYesNo = [](const QString& question) { return qvx::yesNoQuestion(question) == QMessageBox::Yes; };
  connect(waypoints_, &WaypointTree::signal_requestWaypoint, this, &MeshViewer::on_retrieveCameraView);
  connect(waypoints_, &WaypointTree::signal_update, this, &MeshViewer::on_updateWaypoints);
  connect(waypoints_, &WaypointTree::signal_update, this, &MeshViewer::on_goToView);
  connect(waypoints_, &WaypointTree::signal_startAnimationPlayback, this, &MeshViewer::on_startAnimationPlayback);
  connect(waypoints_, &WaypointTree::signal_stopAnimationPlayback, this, &MeshViewer::on_stopAnimationPlayback);
  connect(waypoints_, &WaypointTree::signal_saveAnimationPath, this, &MeshViewer::on_saveAnimationPath);
  connect(waypoints_, &WaypointTree::signal_loadAnimationPath, this, &MeshViewer::on_loadAnimationPath);
  connect(waypoints_, &WaypointTree::signal_saveScreenshot, this, &MeshViewer::on_saveScreenshot);
  connect(waypoints_, &WaypointTree::signal_renderAnimation, this, &MeshViewer::on_renderAnimation);

  qvx::RenderHost* host = canvas_->renderHost();
  connect(waypoints_, &WaypointTree::signal_modifyAnimationPlaybackSpeed, host, &qvx::RenderHost::setAnimationSpeed);
  // Queued: showing the busy screen paints at once (it runs the event loop), which must not happen
  // in the middle of the host handing over from one renderer to the next.
  connect(host, &qvx::RenderHost::signal_busy, this, &MeshViewer::on_busy, Qt::QueuedConnection);
  connect(host, &qvx::RenderHost::signal_error, this, [this](const QString& message) {
    if (unattended_) {
      renderFailures_ << message;
      std::cerr << message.toStdString() << std::endl;
    } else {
      emit signal_error(message);
    }
  });
  connect(host, &qvx::RenderHost::signal_allDone, this, [this](bool success, int written, int failed) {
    if (unattended_) {
      QStringList failures = renderFailures_;
      while (failures.size() < failed) failures << QStringLiteral("A picture could not be rendered.");
      if (!success && failures.isEmpty()) failures << QStringLiteral("The render did not complete.");
      unattended_->renderFinished(written, failures);
      return;
    }
    qvx::informationBox(QStringLiteral("%1 picture(s) written to %2").arg(written).arg(QDir::toNativeSeparators(renderDirectory_)));
  });
}

void MeshViewer::setRenderDirectory(const QString& directory) {
  renderDirectory_ = directory;
  unattended_ = std::make_unique<UnattendedRun>(directory);
  // Nobody answers boxes in an unattended run; they go to standard error.
  qvx::setUnattended(true);
  connect(unattended_.get(), &UnattendedRun::signal_render, this, &MeshViewer::slot_renderScreenshotsFromOris);
  connect(unattended_.get(), &UnattendedRun::signal_end, this, [](int exitCode, const QString& report) {
    std::cerr << report.toStdString() << std::endl;
    QCoreApplication::exit(exitCode);
  });
}

void MeshViewer::startupFilesDispatched() {
  if (unattended_) unattended_->startupFilesDispatched();
}

void MeshViewer::on_loadCameraStations(QString path) {
  if (refuseWithoutRenderer()) return;
  if (unattended_) unattended_->beginLoad();
  qvx::osgcam::loadOrientationListInBackground(path, this, [this, path](const qvx::osgcam::OrientationListRead& read) {
    QString problem = read.errors.join(QStringLiteral("\n"));
    if (read.images.orientations.empty() && problem.isEmpty())
      problem = QStringLiteral("The orientation list %1 names no orientation file.").arg(QDir::toNativeSeparators(path));
    showStations(read.images, path);
    // In an unattended run the error box goes to standard error by itself.
    if (!problem.isEmpty()) emit signal_error(problem);
    on_update(true);
    if (unattended_) unattended_->endLoad(problem);
  });
}

void MeshViewer::on_loadCameraStationsTopology(QString path) {
  if (refuseWithoutRenderer()) return;
  auto* watcher = new QFutureWatcher<vx::StereoModels>(this);
  connect(watcher, &QFutureWatcher<vx::StereoModels>::finished, this, [this, watcher, path] {
    watcher->deleteLater();
    const vx::StereoModels topology = watcher->result();
    if (topology.imageCount() == 0) {
      emit signal_error(QStringLiteral("The stereo topology %1 cannot be read: it is missing, unreadable or not a "
                                       "square single-band TIFF.")
                            .arg(QDir::toNativeSeparators(path)));
      return;
    }
    qvx::ProjectImages images = stationImages_ ? *stationImages_ : qvx::ProjectImages();
    images.topology = topology;
    showStations(images, path);
    on_update(false);
  });
  watcher->setFuture(QtConcurrent::run([path] {
    vx::StereoModels topology;
    topology.loadTopology(path.toUtf8().toStdString());
    return topology;
  }));
}

void MeshViewer::showStations(const qvx::ProjectImages& images, const QString& source) {
  stationImages_ = std::make_unique<qvx::ProjectImages>(images);
  const qvx::osgcam::StationBuildReport report = stations_->setStations(images);
  const std::set<QString> undrawable(report.undrawable.begin(), report.undrawable.end());
  stationOrientations_.clear();
  for (const vx::ImageOrientation& orientation : images.orientations)
    if (!undrawable.count(QString::fromStdString(orientation.imageName()))) stationOrientations_.push_back(orientation);
  QStringList problems;
  if (!report.undrawable.isEmpty())
    problems << QStringLiteral("%1 orientation(s) of %2 cannot be drawn (size, focal length or rotation unusable): %3")
                    .arg(report.undrawable.size())
                    .arg(QDir::toNativeSeparators(source))
                    .arg(report.undrawable.join(QStringLiteral(", ")));
  if (!report.topologyProblem.isEmpty()) problems << report.topologyProblem;
  if (problems.isEmpty()) return;
  emit signal_error(problems.join(QStringLiteral("\n")));
}

void MeshViewer::slot_clearCameras() {
  if (canvas_->isImageView()) canvas_->leaveImageView();
  stations_->clear();
  stationOrientations_.clear();
  stationImages_.reset();
  on_update(false);
}

void MeshViewer::slot_toggleCamera(bool on) {
  if (!on) {
    if (canvas_->isImageView()) canvas_->leaveImageView();
    return;
  }
  if (!canvas_->showCameraImageAtCentre(stationOrientations_)) {
    toolbar_->setCameraImageChecked(false);
    qvx::timedInformation(QStringLiteral("No camera image shows the point in the middle of the view."), kMessageMs);
  }
}

void MeshViewer::slot_toggleOrtho(bool on) {
  if (!on) {
    if (canvas_->isImageView()) canvas_->leaveImageView();
    return;
  }
  if (!project_) {
    toolbar_->setTrueOrthoChecked(false);
    qvx::informationBox(QStringLiteral("True ortho photos belong to a VEXA project - please load a VEXA project."));
    return;
  }
  if (!canvas_->showTrueOrthoAtCentre(*project_)) toolbar_->setTrueOrthoChecked(false);
}

void MeshViewer::slot_isImageView(bool on) {
  if (on) {
    // Entered by a click on a station as well: the buttons follow the overlay, once the jump that
    // announced the image view has told photo from true ortho.
    QTimer::singleShot(0, this, [this] {
      if (!canvas_->isImageView()) return;
      const bool ortho = canvas_->imageOverlay()->isTrueOrtho();
      toolbar_->setCameraImageChecked(!ortho);
      toolbar_->setTrueOrthoChecked(ortho);
    });
    return;
  }
  toolbar_->setCameraImageChecked(false);
  toolbar_->setTrueOrthoChecked(false);
  stations_->slot_closeTrueOrthos();
}

void MeshViewer::slot_scaleFrustums(int direction) {
  // Scaling would move the quad the photo is shown on.
  if (!canvas_->isImageView()) stations_->scaleStations(direction);
}

void MeshViewer::slot_renderScreenshotsFromOris() {
  if (unattended_) {
    unattended_->setCameraCount(static_cast<int>(stationOrientations_.size()));
    if (unattended_->hasEnded()) return;
    renderFailures_.clear();
  }
  if (!QDir().mkpath(renderDirectory_)) {
    const QString problem = QStringLiteral("The render folder \"%1\" cannot be created.").arg(QDir::toNativeSeparators(renderDirectory_));
    if (unattended_)
      unattended_->renderFinished(0, {problem});
    else
      emit signal_error(problem);
    return;
  }
  canvas_->renderHost()->renderFromOrientations(renderDirectory_, stationOrientations_);
}

void MeshViewer::on_retrieveCameraView() {
  waypoints_->addWaypoint(waypointList_, canvas_->camera()->getViewMatrix(), qvx::WaypointItem::kDefaultName);
}

void MeshViewer::on_goToView() {
  if (const std::optional<osg::Matrixd> view = waypointList_.takeJumpTarget())
    adapter_->cameraManipulator()->setByInverseMatrix(*view);
}

void MeshViewer::on_updateWaypoints() { waypointList_.removeInactive(); }

void MeshViewer::on_startAnimationPlayback() {
  const osg::ref_ptr<osg::AnimationPath> path = waypointList_.buildAnimationPath(kPlaybackSeconds);
  if (!path) {
    qvx::timedInformation(QStringLiteral("An animation needs at least two ticked waypoints at different places."), kMessageMs);
    return;
  }
  canvas_->renderHost()->playAnimation(path.get());
  canvas_->renderHost()->setAnimationSpeed(waypoints_->speedBox()->value());
}

void MeshViewer::on_stopAnimationPlayback() {
  canvas_->renderHost()->stopAnimation(adapter_->cameraManipulator());
  const std::shared_ptr<qvx::WaypointItem> last = waypointList_.last();
  adapter_->restoreManipulator(last ? std::optional<osg::Matrixd>(*last->viewMatrix()) : std::nullopt);
}

void MeshViewer::on_saveAnimationPath(QString file) {
  const QString error = waypointList_.save(file);
  if (!error.isEmpty()) emit signal_error(error);
}

void MeshViewer::on_loadAnimationPath(QString file) {
  auto* watcher = new QFutureWatcher<qvx::WaypointFileContent>(this);
  connect(watcher, &QFutureWatcher<qvx::WaypointFileContent>::finished, this, [this, watcher, file] {
    watcher->deleteLater();
    const qvx::WaypointFileContent content = watcher->result();
    if (content.error.isEmpty()) waypoints_->addWaypoints(waypointList_, content.waypoints);
    const QString message = qvx::waypointReadMessage(file, content);
    if (!message.isEmpty()) emit signal_error(message);
  });
  watcher->setFuture(qvx::readWaypointFileInBackground(file));
}

void MeshViewer::on_saveScreenshot(QString file, int width, int height) {
  if (file.contains(kRenderAllCamerasTrigger)) {
    renderDirectory_ = QFileInfo(file).absolutePath();
    slot_renderScreenshotsFromOris();
    return;
  }
  canvas_->renderHost()->renderScreenshot(file, width, height);
}

void MeshViewer::on_renderAnimation(QString file, int fps, int duration) {
  // Frames are taken at 25 per second whatever the dialog's frame rate.
  Q_UNUSED(fps);
  const osg::ref_ptr<osg::AnimationPath> path = waypointList_.buildAnimationPath(duration);
  canvas_->renderHost()->renderAnimation(file, path.get());
}
