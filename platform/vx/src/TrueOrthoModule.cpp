// The real true ortho module: colours each ground cell of the DSM from the photo that sees it best,
// so that what stands on the ground (buildings, trees) hides what lies behind it as seen from the
// cameras instead of being smeared over it.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <system_error>
#include <vector>

#include "DsmMosaic.h"
#include "FileUtil.h"
#include "Gdal.h"
#include "PhotoViews.h"
#include "TileWork.h"
#include "vx/AtomicFile.h"
#include "vx/HeightGrid.h"
#include "vx/ImageOrientation.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"

namespace vx {

namespace {

using detail::pathFromUtf8;
using detail::utf8;
using detail::fs::path;

const char* const kDsmList = "Internal/Lists/dsm_raw_list.txt";
const char* const kTileFolder = "Results/True_Ortho";
// Decoded photos kept between cells and tiles: a few dozen photos of 20 megapixels.
constexpr std::size_t kPhotoBudgetBytes = std::size_t(1) << 30;
// How far beyond a tile the DSM is read for what may hide its ground: rays as flat as 18 degrees
// above the horizon, over the height range of the project area; at most half a tile and at most
// kMaxMarginCells, so a tile of the largest size reads about 1.6 times its own cells.
constexpr double kFlattestRaySlope = 1.0 / 3.0;
constexpr int kMaxMarginCells = 2048;

// Per ortho cell: the photo that colours it (or -1) and where the cell lies in it.
struct CellView {
  int photo = -1;
  float u = 0;
  float v = 0;
};

class TrueOrthoWork final : public TileWork {
 public:
  TrueOrthoWork(const VEXAProject& project, const ModuleInputs& inputs)
      : project_(project),
        folder_(pathFromUtf8(project.projectFolderUtf8())),
        inputs_(inputs),
        areaMin_(project.areaMin()),
        areaMax_(project.areaMax()),
        tileSize_(project.tileSize()),
        cell_(project.effectiveGsd()),
        wkt_(project.coordinateSystemWkt()) {}

  std::string prepare() override {
    if (!(cell_ > 0) || !std::isfinite(cell_))
      return "The true ortho needs a positive ground sample distance; set the project's GSD.";
    try {
      std::vector<detail::HeightTileExtent> tiles;
      for (const std::string& file : dsmTiles()) tiles.push_back(detail::readHeightTileExtent(file));
      dsm_ = std::make_unique<detail::DsmMosaic>(std::move(tiles));
      std::vector<detail::OrientedPhoto> photos;
      if (const std::string problem = detail::readOrientedPhotos(project_, inputs_, "true ortho", photos);
          !problem.empty())
        return problem;
      views_ = std::make_unique<detail::PhotoViews>(std::move(photos), kPhotoBudgetBytes);
      std::error_code error;
      detail::fs::create_directories(folder_ / pathFromUtf8(kTileFolder), error);
      if (error)
        return "Cannot create the folder " + utf8(folder_ / pathFromUtf8(kTileFolder)) + ": " + error.message();
    } catch (const std::exception& e) {
      return e.what();
    }
    return {};
  }

  void tile(int x, int y) override {
    const int cells = std::max(1, int(std::ceil(tileSize_ / cell_ - 1e-9)));
    const double west = areaMin_[0] + x * tileSize_;
    const double north = areaMin_[1] + (y + 1) * tileSize_;
    const double heightRange = areaMax_[2] - areaMin_[2];
    const double reach = heightRange > 0 ? heightRange / kFlattestRaySlope : tileSize_;
    const int margin = std::min({cells / 2, kMaxMarginCells, int(std::ceil(std::min(reach, tileSize_) / cell_))});
    HeightGrid window(west - margin * cell_, north + margin * cell_, cell_, cells + 2 * margin, cells + 2 * margin);
    dsm_->fill(window);

    const std::vector<CellView> views = chooseViews(window, margin, cells);
    std::vector<std::uint8_t> bands(std::size_t(cells) * std::size_t(cells) * 4, 0);
    colourCells(views, cells, bands);

    detail::RasterLayout raster;
    raster.width = cells;
    raster.height = cells;
    raster.bands = 4;
    raster.alpha = true;
    raster.data = bands.data();
    raster.geoTransform = {west, cell_, 0, north, 0, -cell_};
    raster.wkt = wkt_;
    const std::string name = "True_Ortho_" + std::to_string(x) + "_" + std::to_string(y) + ".tif";
    detail::writeGeoTiff(utf8(folder_ / pathFromUtf8(kTileFolder) / name), raster);
  }

  std::vector<ModuleResult> finish(const TileGrid&) override {
    return {{ResultType::TrueOrtho, "Internal/Lists/true_ortho_list.txt", MSG::PRC_TRUE_ORTHO}};
  }

 private:
  // The DSM tiles: the given list, folder or tile, else the project's DSM list; lists name their
  // tiles absolute or relative to the project folder.
  std::vector<std::string> dsmTiles() const {
    static constexpr detail::InputKind kDsmInput{".tif", "DSM", "DSM tile"};
    if (!inputs_.input3d.empty()) return detail::inputFiles(inputs_.input3d, utf8(folder_), kDsmInput);
    const path list = folder_ / pathFromUtf8(kDsmList);
    std::error_code error;
    if (!detail::fs::exists(list, error))
      throw FileError("The true ortho needs a DSM, and the list " + utf8(path(list).make_preferred()) +
                      " does not exist: run the DSM first, or give the tool a DSM list.");
    return detail::inputFiles(utf8(list), utf8(folder_), kDsmInput);
  }

  // For each cell of the tile, the photo that sees it with the most pixels per metre of ground.
  std::vector<CellView> chooseViews(const HeightGrid& window, int margin, int cells) const {
    std::vector<CellView> views(std::size_t(cells) * std::size_t(cells));
    float low = INFINITY, high = -INFINITY, top = -INFINITY;
    for (int r = 0; r < window.rows; ++r)
      for (int c = 0; c < window.columns; ++c) {
        const float h = window.at(c, r);
        if (std::isnan(h)) continue;
        top = std::max(top, h);
        if (r < margin || c < margin || r >= margin + cells || c >= margin + cells) continue;
        low = std::min(low, h);
        high = std::max(high, h);
      }
    if (!(low <= high)) return views;
    const double west = window.west + margin * cell_, north = window.north - margin * cell_;
    const std::vector<int> candidates =
        views_->candidatesFor(west, north - cells * cell_, west + cells * cell_, north, low, high);
    for (int row = 0; row < cells; ++row) {
      for (int column = 0; column < cells; ++column) {
        const float h = window.at(margin + column, margin + row);
        if (std::isnan(h)) continue;
        const ImageOrientation::Vec3 point{{window.centreX(margin + column), window.centreY(margin + row), h}};
        const int best = views_->bestView(point, candidates, window, top);
        if (best < 0) continue;
        double u = 0, v = 0;
        views_->orientation(best).project(point, u, v);
        views[std::size_t(row) * std::size_t(cells) + std::size_t(column)] = {best, float(u), float(v)};
      }
    }
    return views;
  }

  // Samples each photo once for all the cells it colours: every photo is decoded at most once per tile.
  void colourCells(const std::vector<CellView>& views, int cells, std::vector<std::uint8_t>& bands) {
    std::map<int, std::vector<std::size_t>> cellsOfPhoto;
    for (std::size_t k = 0; k < views.size(); ++k)
      if (views[k].photo >= 0) cellsOfPhoto[views[k].photo].push_back(k);
    const std::size_t plane = std::size_t(cells) * std::size_t(cells);
    for (const auto& [photoIndex, cellIndices] : cellsOfPhoto) {
      const std::shared_ptr<const Photo> photo = views_->photo(photoIndex);
      for (std::size_t k : cellIndices) {
        std::uint8_t rgb[3];
        photo->sample(views[k].u, views[k].v, rgb);
        for (std::size_t channel = 0; channel < 3; ++channel) bands[channel * plane + k] = rgb[channel];
        bands[3 * plane + k] = 255;
      }
    }
  }

  const VEXAProject& project_;
  path folder_;
  ModuleInputs inputs_;
  std::array<double, 3> areaMin_;
  std::array<double, 3> areaMax_;
  double tileSize_;
  double cell_;
  std::string wkt_;
  std::unique_ptr<detail::DsmMosaic> dsm_;
  std::unique_ptr<detail::PhotoViews> views_;
};

}  // namespace

std::unique_ptr<TileWork> makeTrueOrthoWork(const VEXAProject& project, const ModuleInputs& inputs) {
  return std::make_unique<TrueOrthoWork>(project, inputs);
}

}  // namespace vx
