#include "bench/BenchDataSet.h"

#include <filesystem>
#include <fstream>
#include <osg/Group>
#include <osg/PagedLOD>
#include <osgDB/Options>
#include <osgDB/ReadFile>
#include <sstream>
#include <stdexcept>

#include "demo/DemoProject.h"
#include "resources/TileRootValues.h"

namespace bench {

namespace fs = std::filesystem;

namespace {

const char* const kMeshFile = "Mesh.osgb";
const char* const kBoundsFile = "bench-bounds.txt";

fs::path dataSetFolder(const std::string& cacheFolder, int tiles, int levels) {
  return fs::absolute(fs::path(cacheFolder) / ("tiled-mesh-" + std::to_string(tiles) + "x" + std::to_string(tiles) +
                                               "-L" + std::to_string(levels)));
}

osg::ref_ptr<osg::Node> readUncached(const fs::path& file) {
  osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
  options->setObjectCacheHint(osgDB::Options::CACHE_NONE);
  return osgDB::readRefNodeFile(file.string(), options.get());
}

// World bounds from the "MinXYZ", "MaxXYZ" and "OffsetXYZ" values of every tile root.
osg::BoundingBoxd measureBounds(const fs::path& folder) {
  const osg::ref_ptr<osg::Node> index = readUncached(folder / kMeshFile);
  const osg::Group* group = index ? index->asGroup() : nullptr;
  if (!group) throw std::runtime_error("Could not read the mesh index " + (folder / kMeshFile).string());
  osg::BoundingBoxd bounds;
  for (unsigned int i = 0; i < group->getNumChildren(); ++i) {
    const auto* tile = dynamic_cast<const osg::PagedLOD*>(group->getChild(i));
    if (!tile || tile->getNumFileNames() == 0) continue;
    const fs::path tileFile = folder / tile->getFileName(0);
    const osg::ref_ptr<osg::Node> root = readUncached(tileFile);
    osg::Vec3d minXYZ, maxXYZ, offset;
    if (!root || !MeshTree::readVec3Value(*root, "MinXYZ", minXYZ) ||
        !MeshTree::readVec3Value(*root, "MaxXYZ", maxXYZ) || !MeshTree::readVec3Value(*root, "OffsetXYZ", offset))
      throw std::runtime_error("Could not read the bounds of the tile root " + tileFile.string());
    bounds.expandBy(minXYZ + offset);
    bounds.expandBy(maxXYZ + offset);
  }
  if (!bounds.valid()) throw std::runtime_error("The mesh index " + (folder / kMeshFile).string() + " names no tile");
  return bounds;
}

void writeBounds(const osg::BoundingBoxd& bounds, const fs::path& file) {
  std::ofstream out(file);
  out.precision(17);
  out << bounds.xMin() << ' ' << bounds.yMin() << ' ' << bounds.zMin() << ' ' << bounds.xMax() << ' ' << bounds.yMax()
      << ' ' << bounds.zMax() << '\n';
  if (!out.flush()) throw std::runtime_error("Could not write " + file.string());
}

osg::BoundingBoxd readBounds(const fs::path& file) {
  std::ifstream in(file);
  double values[6];
  for (double& value : values) {
    if (!(in >> value)) throw std::runtime_error("Unreadable data set bounds in " + file.string());
  }
  return osg::BoundingBoxd(values[0], values[1], values[2], values[3], values[4], values[5]);
}

DataSet dataSetAt(const fs::path& folder) {
  DataSet dataSet;
  dataSet.folder = folder.string();
  dataSet.meshFile = (folder / kMeshFile).string();
  dataSet.bounds = readBounds(folder / kBoundsFile);
  return dataSet;
}

}  // namespace

DataSet prepareDataSet(const std::string& cacheFolder, int tiles, int levels) {
  const fs::path folder = dataSetFolder(cacheFolder, tiles, levels);
  if (fs::is_directory(folder)) return dataSetAt(folder);

  // Written under a temporary name and renamed when complete, so an interrupted run is never reused.
  const fs::path partial = folder.string() + ".partial";
  std::error_code error;
  fs::remove_all(partial, error);
  if (error)
    throw std::runtime_error("Could not remove the unfinished data set " + partial.string() + ": " + error.message());
  demo::DemoOptions options;
  options.tiles = tiles;
  options.levels = levels;
  demo::writeTiledMesh(partial.string(), options, false);
  writeBounds(measureBounds(partial), partial / kBoundsFile);
  fs::rename(partial, folder, error);
  if (error)
    throw std::runtime_error("Could not rename " + partial.string() + " to " + folder.string() + ": " +
                             error.message());
  return dataSetAt(folder);
}

DataSet openDataSet(const std::string& cacheFolder, int tiles, int levels) {
  const fs::path folder = dataSetFolder(cacheFolder, tiles, levels);
  if (!fs::is_regular_file(folder / kMeshFile) || !fs::is_regular_file(folder / kBoundsFile))
    throw std::runtime_error("No data set in " + folder.string() + "; write it first with --mode generate");
  return dataSetAt(folder);
}

}  // namespace bench
