#include "demo/DemoProject.h"

#include <sstream>
#include <stdexcept>
#include <system_error>

#include "demo/CameraFlight.h"
#include "demo/DemoProcessing.h"
#include "demo/OutputFolder.h"
#include "demo/PhotoRenderer.h"
#include "demo/PointClouds.h"
#include "demo/PhotoWriter.h"
#include "demo/SizeEstimate.h"
#include "demo/TerrainModel.h"
#include "demo/TexturePainter.h"
#include "demo/TileMeshBuilder.h"
#include "demo/TileLayout.h"
#include "demo/TrueOrtho.h"
#include "project/Layout.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vx/HeightGrid.h"

namespace demo {

namespace {

namespace fs = std::filesystem;

const char* const kWkt =
    "PROJCS[\"WGS 84 / UTM zone 32N\",GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,"
    "298.257223563,AUTHORITY[\"EPSG\",\"7030\"]],AUTHORITY[\"EPSG\",\"6326\"]],PRIMEM[\"Greenwich\",0,"
    "AUTHORITY[\"EPSG\",\"8901\"]],UNIT[\"degree\",0.0174532925199433,AUTHORITY[\"EPSG\",\"9122\"]],"
    "AUTHORITY[\"EPSG\",\"4326\"]],PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"latitude_of_origin\",0],"
    "PARAMETER[\"central_meridian\",9],PARAMETER[\"scale_factor\",0.9996],PARAMETER[\"false_easting\",500000],"
    "PARAMETER[\"false_northing\",0],UNIT[\"metre\",1,AUTHORITY[\"EPSG\",\"9001\"]],AXIS[\"Easting\",EAST],"
    "AXIS[\"Northing\",NORTH],AUTHORITY[\"EPSG\",\"32632\"]]";

class Steps {
 public:
  explicit Steps(const Progress& progress) : progress_(progress) {}
  void report(int percent, const std::string& step) const {
    if (progress_) progress_(percent, step);
  }

 private:
  const Progress& progress_;
};

// Beside the project's own folders: what the demo knows to be true, for measuring the results.
const char* const kGroundTruthFolder = "Ground_Truth";

// The true surface of tile (x, y) at the project's ground sample distance, as a DSM tile would hold it.
void writeTrueHeights(const TerrainModel& terrain, const MeshLayout& layout, int x, int y, const fs::path& file) {
  const int cells = layout.textureSize;
  const double cell = layout.tileSize / cells;
  const osg::Vec3d offset = layout.tileOffset(x, y);
  vx::HeightGrid grid(offset.x(), offset.y() + layout.tileSize, cell, cells, cells);
  for (int row = 0; row < cells; ++row)
    for (int column = 0; column < cells; ++column)
      grid.at(column, row) = float(terrain.surfaceHeight(grid.centreX(column) - layout.origin.x(),
                                                         grid.centreY(row) - layout.origin.y()));
  vx::writeHeightGrid(toUtf8(file), grid, kWkt);
}

std::string lines(const std::vector<std::string>& entries) {
  std::string text;
  for (const std::string& entry : entries) text += entry + "\n";
  return text;
}

std::string withoutExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// A layout path inside the project folder, lexically normal: the project file is <root>/Project.vpr,
// not <root>/./Project.vpr.
fs::path inProject(const fs::path& root, const std::wstring& relative) {
  return (root / fromUtf8(layout::toUtf8(relative))).lexically_normal();
}

// A path relative to the project folder as the project's files and databases store it.
std::string relativePath(const std::wstring& folder, const std::string& name) {
  return layout::toUtf8(layout::join(folder, layout::fromUtf8(name)));
}

std::string logText(const DemoOptions& options, const MeshLayout& meshLayout, const TerrainModel& terrain, int images) {
  std::ostringstream log;
  log << "Demo project generator, seed " << options.seed << "\n"
      << "Terrain: " << meshLayout.extent() << " m x " << meshLayout.extent() << " m, " << terrain.roads().size()
      << " roads, " << terrain.villages().size() << " villages, " << terrain.buildings().size() << " buildings, "
      << terrain.treeCount() << " trees\n"
      << "True surface: " << meshLayout.tiles << " x " << meshLayout.tiles << " tiles of " << meshLayout.tileSize
      << " m, texture " << meshLayout.textureSize << " pixels per tile side; true orthos and heights in "
      << kGroundTruthFolder << "\n"
      << "Flight: " << images << " oriented images of " << kImageWidth << " x " << kImageHeight
      << " pixels, photos drawn from the true surface\n"
      << "Point clouds: one LAS file per tile, sampled from the true surface\n"
      << "Results: DSM, DSM mesh, true ortho and DSM mesh texturing made by the processing engine\n";
  return log.str();
}

// Writes the project into `out`; the paths that the files record name `root`, where `out` will be moved.
void writeProjectFiles(const fs::path& out, const fs::path& root, const DemoOptions& options, const Steps& steps) {
  const MeshLayout meshLayout = MeshLayout::fromOptions(options);
  const auto recorded = [&](const std::string& written) {
    return toUtf8(root / fromUtf8(written).lexically_relative(out));
  };

  steps.report(0, "Creating the project folders");
  for (const std::wstring& relative : layout::allFolders()) {
    const fs::path folder = inProject(out, relative);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) throw std::runtime_error("Could not create " + toUtf8(folder) + ": " + error.message());
  }

  steps.report(2, "Planning the terrain");
  const TerrainModel terrain(options.seed, meshLayout.extent());

  // The true surface's tiles give the photos their triangles and the ground truth its true orthos
  // and heights; the project's own results are made from the photos and clouds afterwards.
  const TexturePainter painter(terrain);
  const TileMeshBuilder builder(terrain, painter, meshLayout);
  PhotoRenderer renderer;
  const fs::path truth = out / kGroundTruthFolder;
  for (const char* kind : {"True_Ortho", "Height"}) {
    std::error_code error;
    fs::create_directories(truth / kind, error);
    if (error) throw std::runtime_error("Could not create " + toUtf8(truth / kind) + ": " + error.message());
  }
  double minHeight = 0, maxHeight = 0;
  const int tileCount = meshLayout.tiles * meshLayout.tiles;
  for (int y = 0; y < meshLayout.tiles; ++y) {
    for (int x = 0; x < meshLayout.tiles; ++x) {
      const TileNodes tile = builder.build(x, y, 1);
      writeTrueOrtho(*tile.texture, tile.offset, meshLayout.tileSize, kWkt, truth / "True_Ortho" / trueOrthoFileName(x, y));
      writeTrueHeights(terrain, meshLayout, x, y, truth / "Height" / (vx::tiles::tileName(x, y) + ".tif"));
      renderer.add(finestMeshes(tile));
      const double low = tile.offset.z() + tile.minXYZ.z(), high = tile.offset.z() + tile.maxXYZ.z();
      minHeight = (x || y) ? std::min(minHeight, low) : low;
      maxHeight = (x || y) ? std::max(maxHeight, high) : high;
      const int done = y * meshLayout.tiles + x + 1;
      steps.report(3 + 25 * done / tileCount, "Drawing the true surface " + std::to_string(done) + "/" + std::to_string(tileCount));
    }
  }

  steps.report(28, "Sampling the point clouds");
  std::vector<std::string> cloudFiles;
  for (const fs::path& cloud :
       writePointClouds(terrain, meshLayout, inProject(out, layout::PointCloudRawDir), [&](int done, int count) {
         steps.report(28 + 2 * done / count,
                      "Sampling the point clouds " + std::to_string(done) + "/" + std::to_string(count));
       }))
    cloudFiles.push_back(recorded(toUtf8(cloud)));
  writeTextFile(inProject(out, layout::PointCloudRawListFile), lines(cloudFiles));

  steps.report(30, "Writing the camera flight");
  const std::vector<FlightCamera> cameras = planFlight(terrain, meshLayout, options.images);
  std::vector<std::string> orientationFiles;
  std::vector<std::string> imageNames;
  std::vector<vx::ImageOrientation> orientations;
  vx::VEXAProject project;
  for (const FlightCamera& camera : cameras) {
    const std::string name = camera.orientation.imageName();
    const std::string orientation = relativePath(layout::OrientationsDir, withoutExtension(name) + ".ori");
    camera.orientation.writeFile(toUtf8(out / orientation));
    orientationFiles.push_back(toUtf8(root / orientation));
    imageNames.push_back(name);
    orientations.push_back(camera.orientation);
    vx::ProjectImage image;
    image.name = name;
    image.photoPath = relativePath(layout::ImagesColorDir, name);
    image.orientationPath = orientation;
    project.addImage(image);
  }
  // The flight's orientations are final: every iteration's list names them.
  for (const std::wstring& list : {layout::OrientationListFile, layout::OrientationIter0ListFile,
                                   layout::OrientationIter1ListFile, layout::OrientationIter2ListFile})
    vx::writeOrientationList(toUtf8(inProject(out, list)), orientationFiles);
  for (const std::wstring& list : {layout::ImageColorListFile, layout::ImageColorIter0ListFile,
                                   layout::ImageColorIter1ListFile, layout::ImageColorIter2ListFile})
    writeTextFile(inProject(out, list), lines(imageNames));
  stereoTopology(cameras, meshLayout).saveTopology(toUtf8(inProject(out, layout::TopologyFile)));

  steps.report(31, "Drawing the photos");
  writePhotos(renderer, orientations, inProject(out, layout::ImagesColorDir), [&](int done, int count) {
    steps.report(31 + 28 * done / count, "Drawing the photos " + std::to_string(done) + "/" + std::to_string(count));
  });

  steps.report(59, "Writing the project file");
  const osg::Vec3d low = meshLayout.origin + osg::Vec3d(0.0, 0.0, minHeight);
  const osg::Vec3d high = meshLayout.origin + osg::Vec3d(meshLayout.extent(), meshLayout.extent(), maxHeight);
  project.setName("Demo project " + std::to_string(options.seed));
  project.setCoordinateSystem(kWkt);
  project.setTileSize(meshLayout.tileSize);
  project.setGroundSampleDistance(meshLayout.tileSize / meshLayout.textureSize);
  project.setArea({{low.x(), low.y(), low.z()}}, {{high.x(), high.y(), high.z()}});
  project.setTopologyPath(layout::toUtf8(layout::TopologyFile));
  writeTextFile(inProject(out, layout::CoordinateSystemFile), std::string(kWkt) + "\n");
  writeTextFile(inProject(out, layout::LogFile), logText(options, meshLayout, terrain, options.images));
  project.saveProjectFile(toUtf8(inProject(out, layout::ProjectFile)));
}

}  // namespace

void validateOptions(const DemoOptions& options) {
  MeshLayout::fromOptions(options).validate();
  if (options.images < 1 || options.images > 9999)
    throw std::runtime_error("The number of images must lie between 1 and 9999, not " + std::to_string(options.images) + ".");
}

void writeDemoProject(const std::string& folder, const DemoOptions& options, const Progress& progress) {
  validateOptions(options);
  fs::path root = fs::absolute(fromUtf8(folder)).lexically_normal();
  if (!root.has_filename()) root = root.parent_path();
  requireEmptyOrAbsent(root);
  requireFreeSpaceFor(root, estimateProjectBytes(options));
  std::error_code error;
  const bool existed = fs::exists(root, error);
  {
    StagingFolder staging(root);
    writeProjectFiles(staging.path(), root, options, Steps(progress));
    staging.commit();
  }
  // The engine records where it writes, so it works on the project where it stays.
  try {
    processDemoProject(root, [&](double done, const std::string& step) {
      Steps(progress).report(60 + int(39 * done), step);
    });
  } catch (...) {
    fs::remove_all(root, error);
    if (existed) fs::create_directory(root, error);
    throw;
  }
  Steps(progress).report(100, "Done");
}

}  // namespace demo
