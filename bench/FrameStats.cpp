#include "bench/FrameStats.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace bench {

namespace {

// Short label and attribute name; the draw thread may lag a frame behind, so two frames back
// everything is written.
const std::pair<const char*, const char*> kViewerTimes[] = {{"event", "Event traversal time taken"},
                                                            {"update", "Update traversal time taken"}};
const std::pair<const char*, const char*> kCameraTimes[] = {
    {"cull", "Cull traversal time taken"}, {"draw", "Draw traversal time taken"}, {"gpu", "GPU draw time taken"}};
constexpr unsigned int kFramesBack = 2;

double median(std::vector<double> values) {
  const std::size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + middle, values.end());
  return values[middle];
}

}  // namespace

FrameStats::FrameStats(osg::Stats* viewerStats, osg::Camera* camera, const osg::FrameStamp* frameStamp)
    : viewerStats_(viewerStats), cameraStats_(camera ? camera->getStats() : nullptr), frameStamp_(frameStamp) {
  if (viewerStats_) {
    viewerStats_->collectStats("event", true);
    viewerStats_->collectStats("update", true);
  }
  if (cameraStats_) {
    cameraStats_->collectStats("rendering", true);
    cameraStats_->collectStats("gpu", true);
  }
}

void FrameStats::sample() {
  if (!frameStamp_ || frameStamp_->getFrameNumber() < kFramesBack) return;
  const unsigned int frame = frameStamp_->getFrameNumber() - kFramesBack;
  double value = 0.0;
  for (const auto& [label, name] : kViewerTimes) {
    if (viewerStats_ && viewerStats_->getAttribute(frame, name, value)) samples_[label].push_back(value);
  }
  for (const auto& [label, name] : kCameraTimes) {
    if (cameraStats_ && cameraStats_->getAttribute(frame, name, value)) samples_[label].push_back(value);
  }
}

std::string FrameStats::text() const {
  std::string text;
  const auto append = [&](const char* label) {
    const auto found = samples_.find(label);
    if (found == samples_.end() || found->second.empty()) return;
    char part[64];
    std::snprintf(part, sizeof part, "%s%s %.2f ms", text.empty() ? "" : ", ", label, median(found->second) * 1000.0);
    text += part;
  };
  for (const auto& [label, name] : kViewerTimes) append(label);
  for (const auto& [label, name] : kCameraTimes) append(label);
  return text.empty() ? "no OpenSceneGraph timings" : "OpenSceneGraph timings (medians): " + text;
}

}  // namespace bench
