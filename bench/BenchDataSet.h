#pragma once

#include <osg/BoundingBox>
#include <string>

namespace bench {

// The generated tiled mesh of a benchmark run and its world bounds.
struct DataSet {
  std::string folder;
  std::string meshFile;  // absolute path of Mesh.osgb
  osg::BoundingBoxd bounds;
};

// Writes the tiled mesh into its own folder below `cacheFolder` unless a complete one is there
// already (a data set only gets its final name once it is complete). Throws std::runtime_error.
DataSet prepareDataSet(const std::string& cacheFolder, int tiles, int levels);

// The data set written by prepareDataSet; throws std::runtime_error when it is missing.
DataSet openDataSet(const std::string& cacheFolder, int tiles, int levels);

}  // namespace bench
