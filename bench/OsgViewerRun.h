#pragma once

#include "bench/BenchDataSet.h"
#include "bench/BenchOptions.h"

namespace bench {

// OpenSceneGraph's stock viewer set up as the osgviewer application sets it up (command line
// "osgviewer --window 0 0 W H Mesh.osgb"), with the editor's projection and the benchmark view.
// Prints the result line; returns the process exit code.
int runOsgViewer(const BenchOptions& options, const DataSet& dataSet);

}  // namespace bench
