#include "demo/DemoProject.h"

#include <sstream>
#include <stdexcept>
#include <system_error>

#include "demo/CameraFlight.h"
#include "demo/OutputFolder.h"
#include "demo/PhotoRenderer.h"
#include "demo/PointClouds.h"
#include "demo/PhotoWriter.h"
#include "demo/SizeEstimate.h"
#include "demo/TerrainModel.h"
#include "demo/TiledMesh.h"
#include "demo/TileLayout.h"
#include "demo/TrueOrtho.h"
#include "project/Layout.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vxdb/Database.h"

namespace demo {

namespace {

namespace fs = std::filesystem;

// A fixed time for the database records, so that a seed always gives the same bytes.
constexpr std::int64_t kEpoch = 1735689600;  // 2025-01-01 00:00:00 UTC

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

void registerMeshes(const fs::path& root) {
  const auto resources = vxdb::DatabaseIO::openForWriting(toUtf8(inProject(root, layout::ResourcesDatabaseFile)));
  const auto chronicle = vxdb::DatabaseIO::openForWriting(toUtf8(inProject(root, layout::ChronicleDatabaseFile)));
  const std::string mesh = "Mesh.osgb";
  vxdb::registerResource(*resources, *chronicle, vxdb::Resource::Type::DSMMeshForEditing,
                         {relativePath(layout::ResultsDsmMeshForEditingDir, mesh)}, {vx::MSG::PRC_DSM_MESH_FOR_EDITING},
                         {kEpoch});
  vxdb::registerResource(*resources, *chronicle, vxdb::Resource::Type::DSMMesh,
                         {relativePath(layout::ResultsDsmMeshDir, mesh)}, {vx::MSG::PRC_DSM_MESH_TEXTURING},
                         {kEpoch + 60});
}

std::string logText(const DemoOptions& options, const MeshLayout& meshLayout, const TerrainModel& terrain, int images) {
  std::ostringstream log;
  log << "Demo project generator, seed " << options.seed << "\n"
      << "Terrain: " << meshLayout.extent() << " m x " << meshLayout.extent() << " m, " << terrain.roads().size()
      << " roads, " << terrain.villages().size() << " villages, " << terrain.buildings().size() << " buildings, "
      << terrain.treeCount() << " trees\n"
      << "DSM mesh: " << meshLayout.tiles << " x " << meshLayout.tiles << " tiles of " << meshLayout.tileSize << " m, "
      << meshLayout.levels << " levels of detail, finest grid " << meshLayout.finestGridCells << " cells and texture "
      << meshLayout.textureSize << " pixels per tile side\n"
      << "DSM mesh for editing: the same tiles, level-of-detail version 2\n"
      << "True ortho: one GeoTIFF per tile, " << meshLayout.textureSize << " x " << meshLayout.textureSize
      << " pixels\n"
      << "Flight: " << images << " oriented images of " << kImageWidth << " x " << kImageHeight
      << " pixels, photos drawn from the finest mesh level\n";
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

  const auto tileProgress = [&](int done, int count) {
    steps.report(3 + 45 * done / count, "Writing mesh tiles " + std::to_string(done) + "/" + std::to_string(count));
  };
  // Every tile also gives its true ortho and, for the photos, the triangles of its finest level.
  PhotoRenderer renderer;
  std::vector<std::string> orthoFiles;
  const auto visitTile = [&](int x, int y, const TileNodes& tile) {
    const fs::path ortho = inProject(out, layout::ResultsTrueOrthoDir) / trueOrthoFileName(x, y);
    writeTrueOrtho(*tile.texture, tile.offset, meshLayout.tileSize, kWkt, ortho);
    orthoFiles.push_back(recorded(toUtf8(ortho)));
    renderer.add(finestMeshes(tile));
  };
  TiledMeshResult meshes = writeTiledMeshes(
      terrain, meshLayout,
      {{inProject(out, layout::ResultsDsmMeshDir), 1}, {inProject(out, layout::ResultsDsmMeshForEditingDir), 2}},
      tileProgress, visitTile);
  for (auto& roots : meshes.tileRoots)
    for (std::string& tileRoot : roots) tileRoot = recorded(tileRoot);
  writeTextFile(inProject(out, layout::DsmMeshListFile), lines(meshes.tileRoots[0]));
  writeTextFile(inProject(out, layout::DsmMeshForEditingListFile), lines(meshes.tileRoots[1]));
  writeTextFile(inProject(out, layout::TrueOrthoListFile), lines(orthoFiles));

  steps.report(49, "Sampling the point clouds");
  std::vector<std::string> cloudFiles;
  for (const fs::path& cloud :
       writePointClouds(terrain, meshLayout, inProject(out, layout::PointCloudRawDir), [&](int done, int count) {
         steps.report(49 + 2 * done / count,
                      "Sampling the point clouds " + std::to_string(done) + "/" + std::to_string(count));
       }))
    cloudFiles.push_back(recorded(toUtf8(cloud)));
  writeTextFile(inProject(out, layout::PointCloudRawListFile), lines(cloudFiles));

  steps.report(51, "Writing the camera flight");
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
  vx::writeOrientationList(toUtf8(inProject(out, layout::OrientationListFile)), orientationFiles);
  writeTextFile(inProject(out, layout::ImageColorListFile), lines(imageNames));
  stereoTopology(cameras, meshLayout).saveTopology(toUtf8(inProject(out, layout::TopologyFile)));

  steps.report(52, "Drawing the photos");
  writePhotos(renderer, orientations, inProject(out, layout::ImagesColorDir), [&](int done, int count) {
    steps.report(52 + 41 * done / count, "Drawing the photos " + std::to_string(done) + "/" + std::to_string(count));
  });

  steps.report(94, "Registering the results in the project databases");
  registerMeshes(out);

  steps.report(97, "Writing the project file");
  const osg::Vec3d low = meshLayout.origin + osg::Vec3d(0.0, 0.0, meshes.minHeight);
  const osg::Vec3d high =
      meshLayout.origin + osg::Vec3d(meshLayout.extent(), meshLayout.extent(), meshes.maxHeight);
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
  StagingFolder staging(root);
  writeProjectFiles(staging.path(), root, options, Steps(progress));
  staging.commit();
  Steps(progress).report(100, "Done");
}

}  // namespace demo
