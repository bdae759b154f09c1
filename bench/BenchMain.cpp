// viewer-bench-run: one run of the viewer benchmark (see README.md beside this file).

#include <cstdio>
#include <exception>
#include <osg/DisplaySettings>

#include "bench/BenchDataSet.h"
#include "bench/BenchOptions.h"
#include "bench/EditorRun.h"
#include "bench/OsgViewerRun.h"
#include "bench/ProcessClock.h"

int main(int argc, char** argv) {
  // Anchors the process clock before anything slow happens.
  bench::secondsSinceProcessStart();
  bench::BenchOptions options;
  try {
    if (!bench::parseOptions(argc, argv, options)) return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "viewer-bench-run: %s\n", error.what());
    return 64;
  }
  try {
    if (options.mode == bench::Mode::Generate) {
      const bench::DataSet dataSet = bench::prepareDataSet(options.cacheFolder, options.tiles, options.levels);
      std::printf("data_set=%s\n", dataSet.meshFile.c_str());
      return 0;
    }
    const bench::DataSet dataSet = bench::openDataSet(options.cacheFolder, options.tiles, options.levels);
    // Read when a pager starts its threads; both viewers start theirs with their first frame.
    osg::DisplaySettings::instance()->setNumOfDatabaseThreadsHint(static_cast<unsigned int>(options.pagerThreads));
    if (options.mode == bench::Mode::Editor) return bench::runEditor(argc, argv, options, dataSet);
    return bench::runOsgViewer(options, dataSet);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "viewer-bench-run: %s\n", error.what());
    return 1;
  }
}
