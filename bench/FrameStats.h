#pragma once

#include <map>
#include <osg/Camera>
#include <osg/FrameStamp>
#include <osg/Stats>
#include <osg/observer_ptr>
#include <osg/ref_ptr>
#include <string>
#include <vector>

namespace bench {

// OpenSceneGraph's own per-frame timings (event, update with the pager's merging, cull, draw),
// switched on for a diagnostic run: shows where a frame's time goes in either viewer.
class FrameStats {
 public:
  FrameStats(osg::Stats* viewerStats, osg::Camera* camera, const osg::FrameStamp* frameStamp);

  // After a frame: keeps the timings of an earlier frame, which every thread has finished.
  void sample();
  // Medians in milliseconds, e.g. "event 0.05 ms, update 0.30 ms, cull 2.10 ms, draw 5.00 ms".
  std::string text() const;

 private:
  osg::ref_ptr<osg::Stats> viewerStats_;
  osg::ref_ptr<osg::Stats> cameraStats_;
  osg::ref_ptr<const osg::FrameStamp> frameStamp_;
  std::map<std::string, std::vector<double>> samples_;
};

}  // namespace bench
