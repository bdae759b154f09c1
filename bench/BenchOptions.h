#pragma once

#include <string>

namespace bench {

enum class Mode { Generate, Editor, OsgViewer };

// How frames are paced while both viewers draw continuously.
enum class Pacing {
  Paced,        // the editor canvas's own frame timer; the stock viewer holds back to the same interval
  Unthrottled,  // both draw the next frame as soon as the previous one is done
};

struct BenchOptions {
  Mode mode = Mode::Editor;
  std::string cacheFolder;
  int tiles = 16;
  int levels = 4;
  int width = 1280;
  int height = 720;
  int pagerThreads = 2;
  Pacing pacing = Pacing::Paced;
  int measuredFrames = 200;
  // Consecutive frames that must show full detail before it counts as reached.
  int stableFrames = 3;
  // Limit for reaching full detail (from process start) and again for the timed frames.
  double timeoutSeconds = 300.0;
  // Also report OpenSceneGraph's per-frame timings of the timed frames.
  bool osgStats = false;
  // Camera stations over the data set (editor mode only): their cost in the interactive view.
  int stations = 0;
};

const char* modeName(Mode mode);
const char* pacingName(Pacing pacing);

// Throws std::runtime_error with a message for the user on bad arguments. Returns false when
// only the help was asked for (it is then already printed).
bool parseOptions(int argc, char** argv, BenchOptions& options);

}  // namespace bench
