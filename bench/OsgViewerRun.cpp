#include "bench/OsgViewerRun.h"

#include <OpenThreads/Thread>
#include <cstdio>
#include <memory>
#include <osg/ArgumentParser>
#include <osgDB/ReadFile>
#include <osgGA/DriveManipulator>
#include <osgGA/FirstPersonManipulator>
#include <osgGA/FlightManipulator>
#include <osgGA/KeySwitchMatrixManipulator>
#include <osgGA/OrbitManipulator>
#include <osgGA/SphericalManipulator>
#include <osgGA/StateSetManipulator>
#include <osgGA/TerrainManipulator>
#include <osgGA/TrackballManipulator>
#include <osgUtil/Optimizer>
#include <osgViewer/Viewer>
#include <osgViewer/ViewerEventHandlers>
#include <string>
#include <vector>

#include "bench/BenchView.h"
#include "bench/FrameStats.h"
#include "bench/ProcessClock.h"
#include "bench/RunProbe.h"
#include "viewer/ViewerMath.h"

namespace bench {

namespace {

void fail(const std::string& message) { std::fprintf(stderr, "viewer-bench-run: %s\n", message.c_str()); }

const char* threadingModelName(osgViewer::ViewerBase::ThreadingModel model) {
  switch (model) {
    case osgViewer::ViewerBase::SingleThreaded:
      return "SingleThreaded";
    case osgViewer::ViewerBase::CullDrawThreadPerContext:
      return "CullDrawThreadPerContext";
    case osgViewer::ViewerBase::DrawThreadPerContext:
      return "DrawThreadPerContext";
    case osgViewer::ViewerBase::CullThreadPerCameraDrawThreadPerContext:
      return "CullThreadPerCameraDrawThreadPerContext";
    default:
      return "AutomaticSelection";
  }
}

osg::ref_ptr<osgGA::KeySwitchMatrixManipulator> stockManipulators() {
  osg::ref_ptr<osgGA::KeySwitchMatrixManipulator> keyswitch = new osgGA::KeySwitchMatrixManipulator;
  keyswitch->addMatrixManipulator('1', "Trackball", new osgGA::TrackballManipulator());
  keyswitch->addMatrixManipulator('2', "Flight", new osgGA::FlightManipulator());
  keyswitch->addMatrixManipulator('3', "Drive", new osgGA::DriveManipulator());
  keyswitch->addMatrixManipulator('4', "Terrain", new osgGA::TerrainManipulator());
  keyswitch->addMatrixManipulator('5', "Orbit", new osgGA::OrbitManipulator());
  keyswitch->addMatrixManipulator('6', "FirstPerson", new osgGA::FirstPersonManipulator());
  keyswitch->addMatrixManipulator('7', "Spherical", new osgGA::SphericalManipulator());
  return keyswitch;
}

void addStockHandlers(osgViewer::Viewer& viewer, osg::ArgumentParser& arguments) {
  viewer.addEventHandler(new osgGA::StateSetManipulator(viewer.getCamera()->getOrCreateStateSet()));
  viewer.addEventHandler(new osgViewer::ThreadingHandler);
  viewer.addEventHandler(new osgViewer::WindowSizeHandler);
  viewer.addEventHandler(new osgViewer::StatsHandler);
  viewer.addEventHandler(new osgViewer::HelpHandler(arguments.getApplicationUsage()));
  viewer.addEventHandler(new osgViewer::RecordCameraPathHandler);
  viewer.addEventHandler(new osgViewer::LODScaleHandler);
  viewer.addEventHandler(new osgViewer::ScreenCaptureHandler);
}

}  // namespace

int runOsgViewer(const BenchOptions& options, const DataSet& dataSet) {
  std::vector<std::string> words = {
      "osgviewer",     "--window", "0", "0", std::to_string(options.width), std::to_string(options.height),
      dataSet.meshFile};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  int argc = static_cast<int>(words.size());
  osg::ArgumentParser arguments(&argc, argv.data());

  osgViewer::Viewer viewer(arguments);
  osg::ref_ptr<osgGA::KeySwitchMatrixManipulator> keyswitch = stockManipulators();
  viewer.setCameraManipulator(keyswitch.get());
  addStockHandlers(viewer, arguments);

  const double readStart = secondsSinceProcessStart();
  osg::ref_ptr<osg::Node> loaded = osgDB::readRefNodeFiles(arguments);
  if (!loaded) {
    fail("the stock viewer could not read " + dataSet.meshFile);
    return 1;
  }
  osgUtil::Optimizer optimizer;
  optimizer.optimize(loaded.get());
  viewer.setSceneData(loaded.get());
  const double sceneSet = secondsSinceProcessStart();
  viewer.realize();
  if (!viewer.isRealized()) {
    fail("the stock viewer could not open its window (is an X server with GLX available?)");
    return 1;
  }

  // The editor's projection; near and far are recomputed every frame by both viewers.
  osg::Camera* camera = viewer.getCamera();
  camera->setProjectionMatrixAsPerspective(qvx::viewer::kDefaultFieldOfView,
                                           static_cast<double>(options.width) / options.height, qvx::viewer::kNearPlane,
                                           qvx::viewer::kFarPlane);
  const CameraView view = benchmarkView(dataSet.bounds);
  auto* trackball = dynamic_cast<osgGA::StandardManipulator*>(keyswitch->getCurrentMatrixManipulator());
  if (!trackball) {
    fail("the stock viewer has no trackball manipulator");
    return 1;
  }
  trackball->setTransformation(view.eye, view.center, view.up);

  std::unique_ptr<FrameStats> stats;
  if (options.osgStats)
    stats = std::make_unique<FrameStats>(viewer.getViewerStats(), camera, viewer.getViewerFrameStamp());
  RunProbe probe(options);
  probe.watch(viewer.getSceneData(), camera, viewer.getDatabasePager(), sceneSet, sceneSet - readStart);
  // What Viewer::run does before its loop, which this one replaces to time the frames.
  viewer.setReleaseContextAtEndOfFrameHint(false);
  const double minFrameSeconds = options.pacing == Pacing::Paced ? qvx::viewer::kFrameIntervalMs / 1000.0 : 0.0;
  while (!viewer.done()) {
    const double start = secondsSinceProcessStart();
    viewer.frame();
    const double end = secondsSinceProcessStart();
    if (stats && probe.isMeasuring()) stats->sample();
    if (probe.afterFrame(end, end - start)) break;
    if (probe.timedOut(end)) {
      fail(probe.timeoutText());
      return 2;
    }
    const double spent = secondsSinceProcessStart() - start;
    if (spent < minFrameSeconds)
      OpenThreads::Thread::microSleep(static_cast<unsigned int>((minFrameSeconds - spent) * 1e6));
  }
  if (!probe.isComplete()) {
    fail("the stock viewer stopped before the run was complete");
    return 1;
  }
  std::printf("%s\n", probe.resultLine(modeName(options.mode)).c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "viewer-bench-run: %s, threading model %s\n", probe.detailText().c_str(),
               threadingModelName(viewer.getThreadingModel()));
  if (stats) std::fprintf(stderr, "viewer-bench-run: %s\n", stats->text().c_str());
  return 0;
}

}  // namespace bench
