// The real DSM module: grids the project's 3D input points into height tiles.

#include <algorithm>
#include <cmath>
#include <system_error>
#include <vector>

#include "FileUtil.h"
#include "TileFiles.h"
#include "TileWork.h"
#include "vx/AtomicFile.h"
#include "vx/Dsm.h"
#include "vx/HeightGrid.h"
#include "vx/Las.h"
#include "vx/MeshTiles.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"

namespace vx {

namespace {

using detail::fs::path;
using detail::pathFromUtf8;
using detail::utf8;

const char* const kRawPointList = "Internal/Lists/point_cloud_raw_list.txt";
const char* const kTileFolder = "Internal/DSM_Raw/DSM_Raw";

struct InputFile {
  std::string path;
  double minX, minY, maxX, maxY;
};

class DsmWork final : public TileWork {
 public:
  DsmWork(const VEXAProject& project, const ModuleInputs& inputs)
      : folder_(pathFromUtf8(project.projectFolderUtf8())),
        input3d_(inputs.input3d),
        areaMin_(project.areaMin()),
        tileSize_(project.tileSize()),
        cell_(project.effectiveGsd()),
        wkt_(project.coordinateSystemWkt()),
        correctionShapefile_(inputs.correctionShapefile.empty() ? project.correctionShapefile()
                                                                : inputs.correctionShapefile),
        lidarList_(project.useLidar() ? project.lidarListPath() : std::string()) {}

  std::string prepare() override {
    if (!(cell_ > 0) || !std::isfinite(cell_))
      return "The DSM needs a positive ground sample distance; set the project's GSD.";
    try {
      std::vector<std::string> files;
      std::error_code error;
      if (input3d_.empty()) {
        const path list = folder_ / pathFromUtf8(kRawPointList);
        if (!detail::fs::exists(list, error))
          return "The DSM needs 3D points, and the list " + utf8(path(list).make_preferred()) +
                 " does not exist: run the dense matching first, or give the tool a point cloud.";
        // The project's own list names its files relative to the project folder.
        files = las::inputFiles(utf8(list), utf8(folder_));
      } else if (namesMeshTiles(input3d_)) {
        // A mesh as the 3D input: the DSM is its surface seen from above.
        for (const std::string& root : detail::inputFiles(input3d_, utf8(folder_), kMeshInput)) {
          const tiles::TileBounds bounds = tiles::readTileBounds(root, 0, 0);
          meshTiles_.push_back({root, bounds.min.x(), bounds.min.y(), bounds.max.x(), bounds.max.y()});
        }
      } else {
        files = las::inputFiles(input3d_);
      }
      if (!lidarList_.empty()) {
        const path lidar = pathFromUtf8(lidarList_);
        const std::string listed = utf8(lidar.is_absolute() ? lidar : folder_ / lidar);
        // The operator's own list: its entries are relative to where it lies.
        for (const std::string& file : las::inputFiles(listed)) files.push_back(file);
      }
      for (const std::string& file : files) {
        const las::Reader reader(file);
        const las::Header& h = reader.header();
        inputs_.push_back({file, h.min[0], h.min[1], h.max[0], h.max[1]});
      }
      if (!correctionShapefile_.empty()) {
        const path shape = folder_ / pathFromUtf8(correctionShapefile_);
        // A missing shapefile is a warning of the module run; an unusable one is an error.
        if (detail::fs::is_regular_file(shape, error)) corrections_ = dsm::readCorrectionPolygons(utf8(shape));
      }
      detail::fs::create_directories(folder_ / pathFromUtf8(kTileFolder), error);
      if (error) return "Cannot create the folder " + utf8(folder_ / pathFromUtf8(kTileFolder)) + ": " + error.message();
    } catch (const std::exception& e) {
      return e.what();
    }
    return {};
  }

  void tile(int x, int y) override {
    const double west = areaMin_[0] + x * tileSize_;
    const double south = areaMin_[1] + y * tileSize_;
    const int cells = std::max(1, int(std::ceil(tileSize_ / cell_ - 1e-9)));
    const std::string name = "Tile_" + std::to_string(x) + "_" + std::to_string(y) + ".tif";
    if (!meshTiles_.empty()) {
      HeightGrid grid(west, south + tileSize_, cell_, cells, cells);
      for (const InputFile& mesh : meshTiles_) {
        if (mesh.maxX < west || mesh.minX > west + tileSize_ || mesh.maxY < south || mesh.minY > south + tileSize_)
          continue;
        detail::addFinestSurface(detail::readTile(mesh.path), grid);
      }
      dsm::flatten(grid, corrections_);
      writeHeightGrid(utf8(folder_ / pathFromUtf8(kTileFolder) / name), grid, wkt_);
      return;
    }
    dsm::TileGridder gridder(HeightGrid(west, south + tileSize_, cell_, cells, cells));
    std::vector<las::Point> points;
    for (const InputFile& input : inputs_) {
      if (input.maxX < west || input.minX > west + tileSize_ || input.maxY < south || input.minY > south + tileSize_)
        continue;
      las::Reader reader(input.path);
      while (reader.read(points)) gridder.add(points);
    }
    writeHeightGrid(utf8(folder_ / pathFromUtf8(kTileFolder) / name), gridder.finish(corrections_), wkt_);
  }

  std::vector<ModuleResult> finish(const TileGrid&) override {
    return {{ResultType::DSM, "Internal/Lists/dsm_raw_list.txt", MSG::PRC_DSM}};
  }

 private:
  path folder_;
  std::string input3d_;
  std::array<double, 3> areaMin_;
  double tileSize_;
  double cell_;
  std::string wkt_;
  std::string correctionShapefile_;
  std::string lidarList_;
  static constexpr detail::InputKind kMeshInput{".osgb", "mesh", "mesh tile"};

  // Whether the caller's 3D input is a mesh: a tile root, or a list naming tile roots.
  static bool namesMeshTiles(const std::string& input) {
    const path file = pathFromUtf8(input);
    if (file.extension() == ".osgb") return true;
    std::error_code error;
    if (file.extension() == ".las" || !detail::fs::is_regular_file(file, error)) return false;
    try {
      const std::vector<std::string> entries = detail::inputFiles(input, {}, kMeshInput);
      return std::all_of(entries.begin(), entries.end(),
                         [](const std::string& entry) { return pathFromUtf8(entry).extension() == ".osgb"; });
    } catch (const std::exception&) {
      return false;
    }
  }

  std::vector<InputFile> inputs_;
  std::vector<InputFile> meshTiles_;
  std::vector<dsm::Polygon> corrections_;
};

}  // namespace

std::unique_ptr<TileWork> realTileWork(steps::Steps step, const VEXAProject& project, const ModuleInputs& inputs) {
  if (step == steps::DSM) return std::make_unique<DsmWork>(project, inputs);
  if (step == steps::TrueOrtho) return makeTrueOrthoWork(project, inputs);
  if (step == steps::DSMMesh) return makeDsmMeshWork(project, inputs);
  if (step == steps::DSMMeshTexturing) return makeDsmMeshTexturingWork(project, inputs);
  // Tiles the caller names (the editor's edited ones) are retextured for real whatever their kind;
  // the full run's 3D mesh stays simulated, and so does the texturing of it.
  if (step == steps::MeshTexturing && !inputs.input3d.empty()) return makeDsmMeshTexturingWork(project, inputs);
  return nullptr;
}

}  // namespace vx
