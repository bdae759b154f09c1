#include "bench/EditorRun.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

#include "bench/BenchView.h"
#include "bench/FrameStats.h"
#include "bench/ProcessClock.h"
#include "bench/RunProbe.h"
#include "me/TreeStructure.h"
#include "resources/DataBase.h"
#include "scenefiles/SceneFileGuard.h"
#include "stations/CameraStationManager.h"
#include "viewer/AugmentController.h"
#include "viewer/MeshViewerCanvas.h"
#include "viewer/ViewerEventAdapter.h"

namespace bench {

namespace {

// The editor's canvas, unchanged, reporting the start and end of every frame it paints.
class TimedCanvas : public MeshViewerCanvas {
 public:
  std::function<void(double start, double end)> onFrame;

 protected:
  void paintEvent(QPaintEvent* event) override {
    const double start = secondsSinceProcessStart();
    MeshViewerCanvas::paintEvent(event);
    if (onFrame) onFrame(start, secondsSinceProcessStart());
  }
};

void fail(const std::string& message) { std::fprintf(stderr, "viewer-bench-run: %s\n", message.c_str()); }

// A nadir photo flight over the data set: `count` cameras on a square grid, 300 m above its top.
qvx::ProjectImages flightOver(const osg::BoundingBoxd& bounds, int count) {
  qvx::ProjectImages images;
  const int side = std::max(1, static_cast<int>(std::ceil(std::sqrt(double(count)))));
  for (int i = 0; i < count; ++i) {
    vx::ImageOrientation orientation;
    orientation.setImageName("IMG_" + std::to_string(i + 1) + ".jpg");
    orientation.setImageSize(1600, 1200);
    orientation.setFocalLength(1700.0);
    orientation.setPrincipalPoint(800.0, 600.0);
    const double x = bounds.xMin() + (i % side + 0.5) * (bounds.xMax() - bounds.xMin()) / side;
    const double y = bounds.yMin() + (i / side + 0.5) * (bounds.yMax() - bounds.yMin()) / side;
    orientation.setProjectionCenter({{x, y, bounds.zMax() + 300.0}});
    orientation.setRotation({{1, 0, 0, 0, -1, 0, 0, 0, -1}});
    images.orientations.push_back(orientation);
    images.selected.push_back(true);
    images.photoPaths.emplace_back();
  }
  return images;
}

}  // namespace

int runEditor(int& argc, char** argv, const BenchOptions& options, const DataSet& dataSet) {
  QApplication app(argc, argv);
  RunProbe probe(options);
  int exitCode = 0;
  const auto stop = [&](int code, const std::string& message) {
    if (!message.empty()) fail(message);
    exitCode = code;
    app.exit(code);
  };

  // Every file is checked by the scene file helpers, as in the editor. Without a verdict cache
  // (VEXA_BENCH_VERDICT_CACHE names one) each run pays the cold cost.
  scenefiles::SceneFileGuard::Settings guardSettings;
  guardSettings.cacheFile = qEnvironmentVariable("VEXA_BENCH_VERDICT_CACHE");
  scenefiles::SceneFileGuard guard(guardSettings);
  scenefiles::SceneFileGuard::install(&guard);

  QWidget window;
  window.setWindowTitle(QStringLiteral("viewer-bench-run editor"));
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* canvas = new TimedCanvas;
  layout->addWidget(canvas);
  window.resize(options.width, options.height);

  // Wired as the central widget wires them; the canvas re-centres the rotation itself.
  auto database = std::make_shared<MeshTree::DataBase>();
  AugmentController augments;
  qvx::viewer::ViewerEventAdapter adapter(canvas->view(), database, nullptr);
  canvas->setEventAdapter(&adapter);
  QObject::connect(canvas, &MeshViewerCanvas::signal_cameraPositionChanged, &augments,
                   &AugmentController::slot_updateAugmentScales);
  QObject::connect(&adapter, &qvx::viewer::ViewerEventAdapter::signal_rotationCenterChanged, &augments,
                   &AugmentController::slot_updateRotationCenter);
  QObject::connect(&adapter, &qvx::viewer::ViewerEventAdapter::signal_rotationIsActive, &augments,
                   &AugmentController::slot_showRotationCenter);

  const CameraView view = benchmarkView(dataSet.bounds);
  qvx::osgcam::CameraStationManager stations;
  if (options.stations > 0) stations.setStations(flightOver(dataSet.bounds, options.stations));
  QObject::connect(database.get(), &MeshTree::DataBase::signal_newData, [&] {
    const double start = secondsSinceProcessStart();
    database->takeNewGroups();
    adapter.setScene(database->sceneData(), augments.root(), options.stations > 0 ? stations.stationRoot() : nullptr,
                     vx::me::TileMain);
    adapter.restoreCamera(view.eye, view.center, view.up);
    const double end = secondsSinceProcessStart();
    probe.watch(canvas->view()->getSceneData(), canvas->camera(), canvas->view()->getDatabasePager(), end, end - start);
  });
  QObject::connect(database.get(), &MeshTree::DataBase::signal_error, [&](const QString& message) {
    stop(1, "the editor could not load the data set: " + message.toStdString());
  });

  std::unique_ptr<FrameStats> stats;
  if (options.osgStats) {
    osgViewer::CompositeViewer* viewer = canvas->compositeViewer();
    stats = std::make_unique<FrameStats>(viewer->getViewerStats(), canvas->camera(), viewer->getViewerFrameStamp());
  }
  bool rendererChecked = false;
  canvas->onFrame = [&](double start, double end) {
    if (!rendererChecked) {
      rendererChecked = true;
      if (!canvas->hasRenderer()) {
        stop(1, "the canvas has no OpenGL renderer (is an X server with GLX available?)");
        return;
      }
    }
    if (stats && probe.isMeasuring()) stats->sample();
    if (probe.afterFrame(end, end - start)) stop(0, "");
  };
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    if (probe.timedOut(secondsSinceProcessStart())) stop(2, probe.timeoutText());
  });
  watchdog.start(100);
  // Unthrottled: a new frame whenever the event loop is idle; the canvas's own timer keeps running.
  QTimer driver;
  QObject::connect(&driver, &QTimer::timeout, canvas, [canvas] { canvas->repaint(); });
  if (options.pacing == Pacing::Unthrottled) driver.start(0);

  window.show();
  database->loadFile(QFileInfo(QString::fromStdString(dataSet.meshFile)));
  app.exec();
  driver.stop();
  watchdog.stop();
  if (exitCode != 0) return exitCode;
  std::printf("%s\n", probe.resultLine(modeName(options.mode)).c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "viewer-bench-run: %s\n", probe.detailText().c_str());
  if (stats) std::fprintf(stderr, "viewer-bench-run: %s\n", stats->text().c_str());
  return 0;
}

}  // namespace bench
