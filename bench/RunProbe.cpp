#include "bench/RunProbe.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "bench/FullDetailVisitor.h"
#include "bench/ProcessClock.h"

namespace bench {

namespace {

double median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  const std::size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + middle, values.end());
  if (values.size() % 2 == 1) return values[middle];
  const double upper = values[middle];
  return (*std::max_element(values.begin(), values.begin() + middle) + upper) / 2.0;
}

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

}  // namespace

RunProbe::RunProbe(const BenchOptions& options)
    : stableFramesNeeded_(options.stableFrames),
      measuredFrames_(options.measuredFrames),
      timeoutSeconds_(options.timeoutSeconds),
      pacing_(pacingName(options.pacing)) {}

void RunProbe::watch(osg::Node* root, osg::Camera* camera, osgDB::DatabasePager* pager, double now,
                     double setupSeconds) {
  root_ = root;
  camera_ = camera;
  pager_ = pager;
  sceneInstalled_ = now;
  sceneSetup_ = setupSeconds;
  framesBeforeScene_ = framesDrawn_;
  baselineResidentMiB_ = residentMiB();
  phase_ = Phase::Loading;
}

bool RunProbe::afterFrame(double frameEnd, double workSeconds) {
  ++framesDrawn_;
  if (firstFrameEnd_ < 0.0) firstFrameEnd_ = frameEnd;
  const double gap = lastFrameEnd_ < 0.0 ? 0.0 : frameEnd - lastFrameEnd_;
  lastFrameEnd_ = frameEnd;

  switch (phase_) {
    case Phase::WaitingForScene:
    case Phase::Done:
      break;
    case Phase::Loading:
      longestGapWhileLoading_ = std::max(longestGapWhileLoading_, gap);
      if (!sceneAtFullDetail()) {
        stableFrames_ = 0;
        break;
      }
      if (stableFrames_++ == 0) {
        streakStart_ = frameEnd;
        framesToFullDetail_ = framesDrawn_ - framesBeforeScene_;
      }
      if (stableFrames_ >= stableFramesNeeded_) {
        fullDetail_ = streakStart_;
        phase_ = Phase::Measuring;
        frameEnds_.push_back(frameEnd);
      }
      break;
    case Phase::Measuring:
      frameEnds_.push_back(frameEnd);
      frameWork_.push_back(workSeconds);
      if (static_cast<int>(frameEnds_.size()) > measuredFrames_) phase_ = Phase::Done;
      break;
  }
  return phase_ == Phase::Done;
}

bool RunProbe::timedOut(double now) const {
  switch (phase_) {
    case Phase::WaitingForScene:
    case Phase::Loading:
      return now > timeoutSeconds_;
    case Phase::Measuring:
      return now - fullDetail_ > timeoutSeconds_;
    case Phase::Done:
      return false;
  }
  return false;
}

bool RunProbe::sceneAtFullDetail() {
  if (!root_.valid() || !camera_.valid() || !pager_.valid()) return false;
  FullDetailVisitor visitor(*camera_);
  root_->accept(visitor);
  lastMissing_ = visitor.missingChildren();
  drawnFilesByDepth_ = visitor.drawnFilesByDepth();
  const osgDB::DatabasePager& pager = *pager_;
  const bool pagerIdle = pager.getFileRequestListSize() == 0 && pager.getDataToCompileListSize() == 0 &&
                         pager.getDataToMergeListSize() == 0 && !pager.getRequestsInProgress();
  return lastMissing_ == 0 && pagerIdle;
}

std::string RunProbe::resultLine(const char* mode) const {
  std::vector<double> intervals;
  for (std::size_t i = 1; i < frameEnds_.size(); ++i) intervals.push_back(frameEnds_[i] - frameEnds_[i - 1]);
  std::ostringstream line;
  line << "mode=" << mode << format(" time_to_full_detail_s=%.3f", fullDetail_)
       << format(" median_frame_ms=%.2f", median(intervals) * 1000.0) << format(" peak_rss_mb=%.1f", peakResidentMiB())
       << " frames=" << pacing_;
  return line.str();
}

std::string RunProbe::timeoutText() const { return format("timed out (limit %g s): ", timeoutSeconds_) + stateText(); }

std::string RunProbe::stateText() const {
  std::ostringstream text;
  if (phase_ == Phase::Measuring) {
    text << "timing frames after full detail, " << frameEnds_.size() - 1 << " of " << measuredFrames_ << " done";
    return text.str();
  }
  text << "no full detail yet, " << framesDrawn_ << " frames drawn";
  if (phase_ == Phase::WaitingForScene) {
    text << ", the scene was never installed";
    return text.str();
  }
  text << ", last check: " << lastMissing_ << " selected children not loaded";
  if (pager_.valid()) {
    text << ", pager: " << pager_->getFileRequestListSize() << " file requests, " << pager_->getDataToCompileListSize()
         << " to compile, " << pager_->getDataToMergeListSize() << " to merge, "
         << (pager_->getRequestsInProgress() ? "requests in progress" : "no request in progress");
  }
  return text.str();
}

std::string RunProbe::detailText() const {
  std::ostringstream text;
  text << format("first frame %.3f s", firstFrameEnd_) << format(", scene installed %.3f s", sceneInstalled_)
       << format(" (set up in %.1f ms)", sceneSetup_ * 1000.0) << format(", full detail %.3f s", fullDetail_)
       << " after " << framesToFullDetail_ << " frames with the scene"
       << format(", longest frame gap while loading %.1f ms", longestGapWhileLoading_ * 1000.0)
       << format(", median frame work %.2f ms", median(frameWork_) * 1000.0)
       << format(", resident at scene install %.1f MiB", baselineResidentMiB_) << ", loaded files drawn by level:";
  for (std::size_t depth = 0; depth < drawnFilesByDepth_.size(); ++depth)
    text << " L" << depth << "=" << drawnFilesByDepth_[depth];
  if (pager_.valid()) {
    unsigned int webThreads = 0;
    for (unsigned int i = 0; i < pager_->getNumDatabaseThreads(); ++i) {
      if (pager_->getDatabaseThread(i)->getName() == "HANDLE_ONLY_HTTP") ++webThreads;
    }
    text << ", pager threads " << pager_->getNumDatabaseThreads() << " (" << webThreads << " for the web only)"
         << ", pre-compile " << (pager_->getDoPreCompile() && pager_->getIncrementalCompileOperation() ? "on" : "off")
         << ", target PagedLODs " << pager_->getTargetMaximumNumberOfPageLOD();
  }
  return text.str();
}

}  // namespace bench
