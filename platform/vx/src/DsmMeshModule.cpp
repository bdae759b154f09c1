// The real DSM mesh module: triangulates the DSM into tiles with levels of detail.

#include <algorithm>
#include <cmath>
#include <memory>
#include <system_error>

#include "DsmMosaic.h"
#include "FileUtil.h"
#include "TileWork.h"
#include "vx/Dsm.h"
#include "vx/MeshTiles.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"

namespace vx {

namespace {

using detail::fs::path;
using detail::pathFromUtf8;
using detail::utf8;

const char* const kDsmList = "Internal/Lists/dsm_raw_list.txt";
const char* const kMeshFolder = "Internal/DSM_Mesh_Untextured";

class DsmMeshWork final : public TileWork {
 public:
  DsmMeshWork(const VEXAProject& project, const ModuleInputs& inputs)
      : folder_(pathFromUtf8(project.projectFolderUtf8())),
        input3d_(inputs.input3d),
        areaMin_(project.areaMin()),
        tileSize_(project.tileSize()),
        correctionShapefile_(project.correctionShapefile()) {}

  std::string prepare() override {
    try {
      std::vector<std::string> files;
      if (input3d_.empty()) {
        const path list = folder_ / pathFromUtf8(kDsmList);
        std::error_code error;
        if (!detail::fs::exists(list, error))
          return "The DSM mesh needs the DSM, and the list " + utf8(path(list).make_preferred()) +
                 " does not exist: run the DSM first.";
        files = detail::inputFiles(utf8(list), utf8(folder_), kDsmInput);
      } else {
        files = detail::inputFiles(input3d_, utf8(folder_), kDsmInput);
      }
      std::vector<detail::HeightTileExtent> extents;
      for (const std::string& file : files) {
        // Read whole once, so that a cut tile stops the module before its first tile is written.
        const HeightGrid grid = readHeightGrid(file);
        extents.push_back({file, grid.west, grid.north, grid.cell, grid.columns, grid.rows});
        cell_ = cell_ > 0 ? std::min(cell_, extents.back().cell) : extents.back().cell;
      }
      dsm_ = std::make_unique<detail::DsmMosaic>(std::move(extents));
      shape_ = tiles::shapeForCell(tileSize_, cell_);
      const std::string problem = shape_.problem();
      if (!problem.empty()) return problem;
      if (!correctionShapefile_.empty()) {
        const path shape = folder_ / pathFromUtf8(correctionShapefile_);
        std::error_code error;
        if (detail::fs::is_regular_file(shape, error)) corrections_ = dsm::readCorrectionPolygons(utf8(shape));
      }
    } catch (const std::exception& e) {
      return e.what();
    }
    return {};
  }

  void tile(int x, int y) override {
    const double west = areaMin_[0] + x * tileSize_;
    const double south = areaMin_[1] + y * tileSize_;
    tiles::VertexHeights heights(shape_);
    const double spacing = shape_.spacing();
    const int border = shape_.border();
    // The DSM cells under the tile and its border, one cell more around for the interpolation.
    const double reach = border * spacing + 2 * cell_;
    const int cells = int(std::ceil((tileSize_ + 2 * reach) / cell_));
    HeightGrid window(west - reach, south + tileSize_ + reach, cell_, cells, cells);
    dsm_->fill(window);
    for (int j = -border; j <= shape_.finestCells + border; ++j) {
      for (int i = -border; i <= shape_.finestCells + border; ++i) {
        const double px = west + i * spacing;
        const double py = south + j * spacing;
        heights.at(i, j) = correctedHeight(px, py, bilinear(window, px, py));
      }
    }
    const osg::Vec3d offset(west, south, 0.0);
    const tiles::TileNodes nodes = tiles::buildTile(x, y, offset, shape_, heights, nullptr, 1);
    tiles::writeTile(nodes, utf8(folder_ / pathFromUtf8(kMeshFolder) / pathFromUtf8(tiles::tileName(x, y))));
  }

  std::vector<ModuleResult> finish(const TileGrid& grid) override {
    tiles::writeMeshIndex(utf8(folder_ / pathFromUtf8(kMeshFolder)), grid.columns, grid.rows);
    return {{ResultType::DSMMesh, std::string(kMeshFolder) + "/Mesh.osgb", MSG::PRC_DSM_MESH}};
  }

 private:
  static constexpr detail::InputKind kDsmInput{".tif", "DSM", "DSM tile"};

  // Between the centres of the four cells around (x, y), from the known ones; NaN when none is.
  static double bilinear(const HeightGrid& grid, double x, double y) {
    const double u = (x - grid.west) / grid.cell - 0.5;
    const double v = (grid.north - y) / grid.cell - 0.5;
    const int u0 = int(std::floor(u)), v0 = int(std::floor(v));
    const double fu = u - u0, fv = v - v0;
    double sum = 0, weights = 0;
    for (int dv = 0; dv <= 1; ++dv) {
      for (int du = 0; du <= 1; ++du) {
        const int column = u0 + du, row = v0 + dv;
        if (column < 0 || row < 0 || column >= grid.columns || row >= grid.rows) continue;
        const double z = grid.at(column, row);
        const double weight = (du ? fu : 1 - fu) * (dv ? fv : 1 - fv);
        if (std::isnan(z) || weight <= 1e-12) continue;
        sum += weight * z;
        weights += weight;
      }
    }
    return weights > 0 ? sum / weights : NAN;
  }

  // A vertex inside a correction polygon lies on the polygon's plane, as the DSM cells there do.
  double correctedHeight(double x, double y, double z) const {
    for (const dsm::Polygon& polygon : corrections_) {
      if (!polygon.contains(x, y)) continue;
      const std::array<double, 3> plane = polygon.plane();
      return plane[0] * x + plane[1] * y + plane[2];
    }
    return z;
  }

  path folder_;
  std::string input3d_;
  std::array<double, 3> areaMin_;
  double tileSize_;
  std::string correctionShapefile_;
  std::unique_ptr<detail::DsmMosaic> dsm_;
  double cell_ = 0;
  tiles::TileShape shape_;
  std::vector<dsm::Polygon> corrections_;
};

}  // namespace

std::unique_ptr<TileWork> makeDsmMeshWork(const VEXAProject& project, const ModuleInputs& inputs) {
  return std::make_unique<DsmMeshWork>(project, inputs);
}

}  // namespace vx
