#include "bench/BenchOptions.h"

#include <boost/program_options.hpp>
#include <iostream>
#include <stdexcept>

namespace bench {

namespace po = boost::program_options;

namespace {

Mode modeFromName(const std::string& name) {
  if (name == "generate") return Mode::Generate;
  if (name == "editor") return Mode::Editor;
  if (name == "osgviewer") return Mode::OsgViewer;
  throw std::runtime_error("unknown mode \"" + name + "\" (use generate, editor or osgviewer)");
}

Pacing pacingFromName(const std::string& name) {
  if (name == "paced") return Pacing::Paced;
  if (name == "unthrottled") return Pacing::Unthrottled;
  throw std::runtime_error("unknown frame pacing \"" + name + "\" (use paced or unthrottled)");
}

void requireAtLeast(const char* name, double value, double minimum) {
  if (value < minimum)
    throw std::runtime_error(std::string("--") + name + " must be at least " + std::to_string(minimum));
}

}  // namespace

const char* modeName(Mode mode) {
  switch (mode) {
    case Mode::Generate:
      return "generate";
    case Mode::Editor:
      return "editor";
    case Mode::OsgViewer:
      return "osgviewer";
  }
  return "";
}

const char* pacingName(Pacing pacing) { return pacing == Pacing::Paced ? "paced" : "unthrottled"; }

bool parseOptions(int argc, char** argv, BenchOptions& options) {
  std::string mode;
  std::string pacing = pacingName(options.pacing);
  po::options_description description(
      "Usage: viewer-bench-run --mode generate|editor|osgviewer --cache FOLDER [options]\n"
      "Draws the benchmark tiled mesh from a fixed view and prints one line\n"
      "mode=... time_to_full_detail_s=... median_frame_ms=... peak_rss_mb=...\n\nOptions");
  description.add_options()("help,h", "show this help")(
      "mode", po::value<std::string>(&mode)->required(),
      "generate: write the data set into the cache (reused when present); editor: the editor's canvas, "
      "loader and scene; osgviewer: the stock OpenSceneGraph viewer")(
      "cache", po::value<std::string>(&options.cacheFolder)->required(), "folder holding the generated data set")(
      "tiles", po::value<int>(&options.tiles)->default_value(options.tiles), "tiles per side of the data set")(
      "levels", po::value<int>(&options.levels)->default_value(options.levels), "levels of detail per tile")(
      "width", po::value<int>(&options.width)->default_value(options.width), "window width in pixels")(
      "height", po::value<int>(&options.height)->default_value(options.height), "window height in pixels")(
      "pager-threads", po::value<int>(&options.pagerThreads)->default_value(options.pagerThreads),
      "database pager threads of either viewer")(
      "frames", po::value<std::string>(&pacing)->default_value(pacing),
      "paced: the canvas's 17 ms frame timer, the same interval for the stock viewer; unthrottled: "
      "both draw as fast as they can")("measure-frames",
                                       po::value<int>(&options.measuredFrames)->default_value(options.measuredFrames),
                                       "frames timed after full detail")(
      "stable-frames", po::value<int>(&options.stableFrames)->default_value(options.stableFrames),
      "consecutive frames at full detail before it counts as reached")(
      "timeout", po::value<double>(&options.timeoutSeconds)->default_value(options.timeoutSeconds),
      "seconds to reach full detail from process start, and again to time the frames, before the run fails")(
      "osg-stats", po::bool_switch(&options.osgStats),
      "also report OpenSceneGraph's event, update, cull and draw times of the timed frames (diagnostic)")(
      "stations", po::value<int>(&options.stations)->default_value(options.stations),
      "editor mode: camera stations of a photo flight over the data set, drawn with the mesh");

  po::variables_map values;
  try {
    po::store(po::parse_command_line(argc, argv, description), values);
    if (values.count("help")) {
      std::cout << description << "\n";
      return false;
    }
    po::notify(values);
  } catch (const po::error& error) {
    throw std::runtime_error(std::string(error.what()) + " (see --help)");
  }
  options.mode = modeFromName(mode);
  options.pacing = pacingFromName(pacing);
  requireAtLeast("tiles", options.tiles, 1);
  requireAtLeast("levels", options.levels, 1);
  requireAtLeast("width", options.width, 100);
  requireAtLeast("height", options.height, 100);
  requireAtLeast("pager-threads", options.pagerThreads, 1);
  requireAtLeast("measure-frames", options.measuredFrames, 2);
  requireAtLeast("stable-frames", options.stableFrames, 1);
  requireAtLeast("timeout", options.timeoutSeconds, 1);
  requireAtLeast("stations", options.stations, 0);
  return true;
}

}  // namespace bench
