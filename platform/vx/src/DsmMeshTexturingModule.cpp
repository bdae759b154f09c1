// The real DSM mesh texturing: each tile's surface takes its colours from the photos that see it
// best, baked into one texture per tile and handed down its levels of detail.

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <map>
#include <system_error>

#include <osg/Image>

#include "FileUtil.h"
#include "PhotoViews.h"
#include "TileFiles.h"
#include "TileWork.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"

namespace vx {

namespace {

using detail::fs::path;
using detail::pathFromUtf8;
using detail::utf8;

const char* const kUntexturedList = "Internal/Lists/dsm_mesh_untextured_list.txt";
const char* const kUntexturedFolder = "Internal/DSM_Mesh_Untextured";
const char* const kMeshFolder = "Results/DSM_Mesh";
const char* const kEditingFolder = "Results/DSM_Mesh_For_Editing";
// Texels per side of the square whose centre chooses the photo for all of them: the choice looks
// along rays through the surface, which is dear; the projection of each texel is not.
constexpr int kViewBlock = 4;
// Decoded photos kept between tiles.
constexpr std::size_t kPhotoBudgetBytes = std::size_t(1) << 30;

class DsmMeshTexturingWork final : public TileWork {
 public:
  DsmMeshTexturingWork(const VEXAProject& project, const ModuleInputs& inputs)
      : project_(project),
        inputs_(inputs),
        folder_(pathFromUtf8(project.projectFolderUtf8())),
        tileSize_(project.tileSize()),
        cell_(project.effectiveGsd()) {}

  std::string prepare() override {
    static constexpr detail::InputKind kTileInput{".osgb", "mesh tile", "tile"};
    try {
      std::vector<std::string> roots;
      if (inputs_.input3d.empty()) {
        const path list = folder_ / pathFromUtf8(kUntexturedList);
        std::error_code error;
        if (!detail::fs::exists(list, error))
          return "The DSM mesh texturing needs the DSM mesh, and the list " + utf8(path(list).make_preferred()) +
                 " does not exist: run the DSM mesh first.";
        roots = detail::inputFiles(utf8(list), utf8(folder_), kTileInput);
      } else {
        roots = detail::inputFiles(inputs_.input3d, utf8(folder_), kTileInput);
      }
      const TileGrid grid = tileGrid(project_);
      const path untextured = (folder_ / pathFromUtf8(kUntexturedFolder)).lexically_normal();
      for (const std::string& root : roots) {
        std::error_code error;
        const path file = pathFromUtf8(root);
        if (!detail::fs::is_regular_file(file, error)) return "The mesh tile " + root + " does not exist.";
        const std::string name = utf8(file.stem());
        int x = -1, y = -1;
        char end = 0;
        if (std::sscanf(name.c_str(), "Tile_%d_%d%c", &x, &y, &end) != 2 || x < 0 || y < 0 || x >= grid.columns ||
            y >= grid.rows)
          return "The mesh tile " + root + " is not one of the project's " + std::to_string(grid.columns) + " x " +
                 std::to_string(grid.rows) + " tiles.";
        // The DSM mesh's own tiles make the project's results; other tiles (edited ones) are renewed
        // where they lie.
        const path relative = file.lexically_normal().lexically_relative(untextured);
        const bool result = !relative.empty() && *relative.begin() != "..";
        tiles_[name] = {root, !result};
        makesResults_ = makesResults_ || result;
      }
      std::vector<detail::OrientedPhoto> photos;
      if (const std::string problem = detail::readOrientedPhotos(project_, inputs_, "DSM mesh texturing", photos);
          !problem.empty())
        return problem;
      views_ = std::make_unique<detail::PhotoViews>(std::move(photos), kPhotoBudgetBytes);
    } catch (const std::exception& e) {
      return e.what();
    }
    return {};
  }

  void tile(int x, int y) override {
    const auto listed = tiles_.find(tiles::tileName(x, y));
    // A list of some tiles (edited ones) leaves the others alone.
    if (listed == tiles_.end()) return;
    detail::ReadTile tile = detail::readTile(listed->second.root);
    const double side = tileSize_;
    const int split = 1 << (tile.levels - 1);
    const int wanted = tiles::shapeForCell(side, cell_).textureSize;
    const int texels = std::clamp(int(std::lround(double(wanted) / split)) * split, split, 8192 / split * split);

    // The surface in world coordinates hides what lies behind it from the cameras.
    HeightGrid surface = detail::finestSurface(tile, side, texels);
    surface.west += tile.nodes.offset.x();
    surface.north += tile.nodes.offset.y();
    const osg::ref_ptr<osg::Image> texture = bake(surface);
    detail::applyTexture(tile, *texture, side);

    if (listed->second.inPlace) {
      tiles::writeTile(tile.nodes, tile.folder);
      return;
    }
    tiles::setLodVersion(*tile.nodes.root, 1);
    tiles::writeTile(tile.nodes, utf8(folder_ / pathFromUtf8(kMeshFolder) / pathFromUtf8(tiles::tileName(x, y))));
    tiles::setLodVersion(*tile.nodes.root, 2);
    tiles::writeTile(tile.nodes, utf8(folder_ / pathFromUtf8(kEditingFolder) / pathFromUtf8(tiles::tileName(x, y))));
  }

  bool makesProjectTiles() const override { return makesResults_; }

  std::vector<ModuleResult> finish(const TileGrid& grid) override {
    if (!makesResults_) return {};
    for (const char* meshFolder : {kMeshFolder, kEditingFolder})
      tiles::writeMeshIndex(utf8(folder_ / pathFromUtf8(meshFolder)), grid.columns, grid.rows);
    return {{ResultType::DSMMesh, std::string(kMeshFolder) + "/Mesh.osgb", MSG::PRC_DSM_MESH_TEXTURING},
            {ResultType::DSMMeshForEditing, std::string(kEditingFolder) + "/Mesh.osgb", MSG::PRC_DSM_MESH_FOR_EDITING}};
  }

 private:
  // The highest height of each block of `block` x `block` cells: what may hide a ray, on a grid as
  // coarse as the choice of photos, so that a ray is followed in as few steps.
  static HeightGrid blockMaxima(const HeightGrid& grid, int block) {
    HeightGrid coarse(grid.west, grid.north, grid.cell * block, (grid.columns + block - 1) / block,
                      (grid.rows + block - 1) / block);
    for (int r = 0; r < grid.rows; ++r)
      for (int c = 0; c < grid.columns; ++c) {
        const float h = grid.at(c, r);
        float& target = coarse.at(c / block, r / block);
        if (!std::isnan(h) && !(h <= target)) target = h;
      }
    return coarse;
  }

  // The tile's texture (RGB, row 0 at the southern edge) over `surface` (rows from the north).
  osg::ref_ptr<osg::Image> bake(const HeightGrid& surface) {
    const int texels = surface.columns;
    float top = -INFINITY, low = INFINITY;
    for (float h : surface.heights)
      if (!std::isnan(h)) top = std::max(top, h), low = std::min(low, h);
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(texels, texels, 1, GL_RGB, GL_UNSIGNED_BYTE);
    image->setInternalTextureFormat(GL_RGB);
    std::fill(image->data(), image->data() + image->getTotalSizeInBytes(), 0);
    if (!(low <= top)) return image;

    const double east = surface.west + texels * surface.cell, south = surface.north - texels * surface.cell;
    const std::vector<int> candidates = views_->candidatesFor(surface.west, south, east, surface.north, low, top);
    const HeightGrid nothing;
    const HeightGrid occluders = blockMaxima(surface, kViewBlock);
    // The photo of each block of texels, chosen at its highest point.
    std::map<int, std::vector<std::pair<int, int>>> blocksOfPhoto;
    for (int br = 0; br < texels; br += kViewBlock) {
      for (int bc = 0; bc < texels; bc += kViewBlock) {
        int column = -1, row = -1;
        float height = NAN;
        for (int r = br; r < std::min(texels, br + kViewBlock); ++r)
          for (int c = bc; c < std::min(texels, bc + kViewBlock); ++c)
            if (!std::isnan(surface.at(c, r)) && !(surface.at(c, r) <= height)) height = surface.at(c, r), column = c, row = r;
        if (column < 0) continue;
        const ImageOrientation::Vec3 point{{surface.centreX(column), surface.centreY(row), height}};
        int photo = views_->bestView(point, candidates, occluders, top);
        // Better a colour from a photo that may not see it than none.
        if (photo < 0) photo = views_->bestView(point, candidates, nothing, top);
        if (photo >= 0) blocksOfPhoto[photo].emplace_back(bc, br);
      }
    }
    for (const auto& [photoIndex, blocks] : blocksOfPhoto) {
      const std::shared_ptr<const Photo> photo = views_->photo(photoIndex);
      const ImageOrientation& orientation = views_->orientation(photoIndex);
      for (const auto& [bc, br] : blocks) {
        for (int r = br; r < std::min(texels, br + kViewBlock); ++r) {
          for (int c = bc; c < std::min(texels, bc + kViewBlock); ++c) {
            const float h = surface.at(c, r);
            double u = 0, v = 0;
            if (std::isnan(h) || !orientation.project({{surface.centreX(c), surface.centreY(r), h}}, u, v)) continue;
            photo->sample(u, v, image->data(c, texels - 1 - r));
          }
        }
      }
    }
    return image;
  }

  const VEXAProject& project_;
  ModuleInputs inputs_;
  path folder_;
  double tileSize_;
  double cell_;
  struct ListedTile {
    std::string root;
    bool inPlace = false;
  };
  std::map<std::string, ListedTile> tiles_;  // by tile name
  bool makesResults_ = false;
  std::unique_ptr<detail::PhotoViews> views_;
};

}  // namespace

std::unique_ptr<TileWork> makeDsmMeshTexturingWork(const VEXAProject& project, const ModuleInputs& inputs) {
  return std::make_unique<DsmMeshTexturingWork>(project, inputs);
}

}  // namespace vx
