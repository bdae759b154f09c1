#pragma once

#include <osg/Camera>
#include <osg/Node>
#include <osg/observer_ptr>
#include <osgDB/DatabasePager>
#include <string>
#include <vector>

#include "bench/BenchOptions.h"

namespace bench {

// Follows one benchmark run frame by frame: waits until the scene shows full detail (every
// paged LOD that the view selects has the selected child loaded, and the pager has nothing
// requested, in progress, to compile or to merge) for a number of consecutive frames, then
// times the frames after it. Times are seconds since process start.
class RunProbe {
 public:
  explicit RunProbe(const BenchOptions& options);

  // The scene is in since `now`, after `setupSeconds` of setting it up on the frame thread; from
  // now on frames are checked. `root` is the camera's scene data.
  void watch(osg::Node* root, osg::Camera* camera, osgDB::DatabasePager* pager, double now, double setupSeconds);

  // After every drawn frame, on the thread that draws: `workSeconds` is how long the frame took.
  // True once the run is complete.
  bool afterFrame(double frameEnd, double workSeconds);

  bool isMeasuring() const { return phase_ == Phase::Measuring; }
  bool isComplete() const { return phase_ == Phase::Done; }
  // Full detail must come within the time limit of process start, the timed frames within the
  // same limit after it.
  bool timedOut(double now) const;

  // mode=... time_to_full_detail_s=... median_frame_ms=... peak_rss_mb=... (peak read now).
  std::string resultLine(const char* mode) const;
  // The error message of a timeout: the limit and where the run stood.
  std::string timeoutText() const;
  // Timings of the run for the diagnostic output.
  std::string detailText() const;

 private:
  std::string stateText() const;
  enum class Phase { WaitingForScene, Loading, Measuring, Done };

  bool sceneAtFullDetail();

  int stableFramesNeeded_;
  int measuredFrames_;
  double timeoutSeconds_;
  std::string pacing_;
  Phase phase_ = Phase::WaitingForScene;

  osg::observer_ptr<osg::Node> root_;
  osg::observer_ptr<osg::Camera> camera_;
  osg::observer_ptr<osgDB::DatabasePager> pager_;

  int framesDrawn_ = 0;
  int framesBeforeScene_ = 0;
  double firstFrameEnd_ = -1.0;
  double sceneInstalled_ = -1.0;
  double sceneSetup_ = 0.0;
  double lastFrameEnd_ = -1.0;
  double longestGapWhileLoading_ = 0.0;
  int stableFrames_ = 0;
  double streakStart_ = -1.0;
  double fullDetail_ = -1.0;
  int framesToFullDetail_ = 0;
  int lastMissing_ = -1;
  std::vector<int> drawnFilesByDepth_;
  double baselineResidentMiB_ = -1.0;
  std::vector<double> frameEnds_;
  std::vector<double> frameWork_;
};

}  // namespace bench
