#pragma once

#include "bench/BenchDataSet.h"
#include "bench/BenchOptions.h"

namespace bench {

// The editor's own canvas, event adapter and resource model in a top-level window: loads the
// data set through the model, installs the scene as the central widget does and puts the camera
// at the benchmark view. Prints the result line; returns the process exit code.
int runEditor(int& argc, char** argv, const BenchOptions& options, const DataSet& dataSet);

}  // namespace bench
