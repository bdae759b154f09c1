#include "demo/TileMeshBuilder.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Group>
#include <osg/PagedLOD>
#include <osg/Texture2D>

namespace demo {

namespace {

// The tile's surface sampled on the finest grid, with a border wide enough for the central
// differences of the coarsest level.
class HeightGrid {
 public:
  HeightGrid(const TerrainModel& terrain, double x0, double y0, double spacing, int cells, int border)
      : cells_(cells), border_(border), side_(cells + 1 + 2 * border), heights_(static_cast<size_t>(side_) * side_) {
    for (int j = -border; j <= cells + border; ++j) {
      for (int i = -border; i <= cells + border; ++i) {
        heights_[index(i, j)] = terrain.surfaceHeight(x0 + i * spacing, y0 + j * spacing);
      }
    }
  }

  double at(int i, int j) const { return heights_[index(i, j)]; }

  // Height range over the grid points [i0, i1] x [j0, j1].
  void range(int i0, int j0, int i1, int j1, double& low, double& high) const {
    low = high = at(i0, j0);
    for (int j = j0; j <= j1; ++j) {
      for (int i = i0; i <= i1; ++i) {
        low = std::min(low, at(i, j));
        high = std::max(high, at(i, j));
      }
    }
  }

 private:
  size_t index(int i, int j) const { return static_cast<size_t>(j + border_) * side_ + static_cast<size_t>(i + border_); }

  int cells_;
  int border_;
  int side_;
  std::vector<double> heights_;
};

struct Region {
  double x0;
  double y0;
  double side;
};

osg::ref_ptr<osg::StateSet> textureState(osg::Image* image) {
  osg::ref_ptr<osg::Texture2D> texture = new osg::Texture2D(image);
  texture->setWrap(osg::Texture::WRAP_S, osg::Texture::CLAMP_TO_EDGE);
  texture->setWrap(osg::Texture::WRAP_T, osg::Texture::CLAMP_TO_EDGE);
  texture->setFilter(osg::Texture::MIN_FILTER, osg::Texture::LINEAR_MIPMAP_LINEAR);
  texture->setFilter(osg::Texture::MAG_FILTER, osg::Texture::LINEAR);
  texture->setResizeNonPowerOfTwoHint(false);
  osg::ref_ptr<osg::StateSet> state = new osg::StateSet;
  state->setTextureAttributeAndModes(0, texture.get(), osg::StateAttribute::ON);
  return state;
}

class TileBuild {
 public:
  TileBuild(const TerrainModel& terrain, const TexturePainter& painter, const MeshLayout& layout, int x, int y)
      : layout_(layout),
        x_(x),
        y_(y),
        spacing_(layout.tileSize / layout.finestGridCells),
        grid_(terrain, x * layout.tileSize, y * layout.tileSize, spacing_, layout.finestGridCells,
              1 << (layout.levels - 1)),
        texture_(painter.paint(x * layout.tileSize, y * layout.tileSize, layout.tileSize, layout.textureSize)) {}

  TileNodes build(int lodVersion) {
    TileNodes tile;
    tile.offset = layout_.tileOffset(x_, y_);
    tile.texture = texture_;
    double low = 0.0;
    double high = 0.0;
    grid_.range(0, 0, layout_.finestGridCells, layout_.finestGridCells, low, high);
    tile.minXYZ = osg::Vec3(0.0f, 0.0f, static_cast<float>(low));
    tile.maxXYZ = osg::Vec3(static_cast<float>(layout_.tileSize), static_cast<float>(layout_.tileSize), static_cast<float>(high));

    const Region whole{0.0, 0.0, layout_.tileSize};
    osg::ref_ptr<osg::StateSet> state = textureState(reduceBlock(*texture_, 0, 0, layout_.textureSize, 1 << (layout_.levels - 1)).get());
    osg::ref_ptr<osg::PagedLOD> top = quadLOD(0, 0, 0, whole, state.get());
    if (layout_.levels == 1) top->setRange(0, 0.0f, FLT_MAX);

    tile.root = new osg::MatrixTransform(osg::Matrixd::translate(tile.offset));
    tile.root->addChild(top.get());
    tile.root->setUserValue("MinXYZ", tile.minXYZ);
    tile.root->setUserValue("MaxXYZ", tile.maxXYZ);
    tile.root->setUserValue("OffsetXYZ", tile.offset);
    setLodVersion(*tile.root, lodVersion);

    for (int level = 1; level < layout_.levels; ++level) {
      const int parents = 1 << (level - 1);
      for (int py = 0; py < parents; ++py) {
        for (int px = 0; px < parents; ++px) tile.levelFiles.push_back(levelFile(level, px, py));
      }
    }
    return tile;
  }

 private:
  // The four level-`level` quads below level-(level-1) quad (px, py), sharing one texture.
  TileFile levelFile(int level, int px, int py) {
    const double side = layout_.tileSize / (1 << (level - 1));
    const Region region{px * side, py * side, side};
    const int pixels = layout_.textureSize >> (level - 1);
    osg::ref_ptr<osg::StateSet> state =
        textureState(reduceBlock(*texture_, px * pixels, py * pixels, pixels, 1 << (layout_.levels - 1 - level)).get());
    osg::ref_ptr<osg::Group> group = new osg::Group;
    for (int b = 0; b < 2; ++b) {
      for (int a = 0; a < 2; ++a) {
        const int qx = 2 * px + a;
        const int qy = 2 * py + b;
        if (level == layout_.levels - 1) {
          group->addChild(quadGeode(level, qx, qy, region, state.get()).get());
        } else {
          group->addChild(quadLOD(level, qx, qy, region, state.get()).get());
        }
      }
    }
    return {levelFileName(x_, y_, level, py * (1 << (level - 1)) + px), group};
  }

  // A quad shown at `level`, replaced by the file of its four finer quads when it grows on screen.
  osg::ref_ptr<osg::PagedLOD> quadLOD(int level, int qx, int qy, const Region& textureRegion, osg::StateSet* state) {
    const int span = layout_.finestGridCells >> level;  // finest cells along the quad's side
    double low = 0.0;
    double high = 0.0;
    grid_.range(qx * span, qy * span, (qx + 1) * span, (qy + 1) * span, low, high);
    const double side = span * spacing_;
    const osg::Vec3 centre(static_cast<float>((qx + 0.5) * side), static_cast<float>((qy + 0.5) * side),
                           static_cast<float>((low + high) / 2));
    const double radius = 0.5 * std::sqrt(2.0 * side * side + (high - low) * (high - low));

    osg::ref_ptr<osg::PagedLOD> lod = new osg::PagedLOD;
    lod->setRangeMode(osg::LOD::PIXEL_SIZE_ON_SCREEN);
    lod->setCenterMode(osg::LOD::USER_DEFINED_CENTER);
    lod->setCenter(centre);
    lod->setRadius(static_cast<float>(radius));
    const float split = layout_.switchPixels();
    lod->addChild(quadGeode(level, qx, qy, textureRegion, state).get(), 0.0f, split);
    if (level + 1 < layout_.levels) {
      lod->setFileName(1, levelFileName(x_, y_, level + 1, qy * (1 << level) + qx));
      lod->setRange(1, split, FLT_MAX);
    }
    return lod;
  }

  osg::ref_ptr<osg::Geode> quadGeode(int level, int qx, int qy, const Region& textureRegion, osg::StateSet* state) {
    const int cells = layout_.quadCells();
    const int step = 1 << (layout_.levels - 1 - level);
    const int i0 = qx * cells * step;
    const int j0 = qy * cells * step;
    const int side = cells + 1;

    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec3Array> normals = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec2Array> texCoords = new osg::Vec2Array;
    vertices->reserve(static_cast<size_t>(side) * side);
    const double h = step * spacing_;
    for (int jj = 0; jj <= cells; ++jj) {
      for (int ii = 0; ii <= cells; ++ii) {
        const int i = i0 + ii * step;
        const int j = j0 + jj * step;
        const double px = i * spacing_;
        const double py = j * spacing_;
        vertices->push_back(osg::Vec3(static_cast<float>(px), static_cast<float>(py), static_cast<float>(grid_.at(i, j))));
        const double dzdx = (grid_.at(i + step, j) - grid_.at(i - step, j)) / (2.0 * h);
        const double dzdy = (grid_.at(i, j + step) - grid_.at(i, j - step)) / (2.0 * h);
        osg::Vec3d n(-dzdx, -dzdy, 1.0);
        n.normalize();
        normals->push_back(osg::Vec3(n));
        texCoords->push_back(osg::Vec2(static_cast<float>((px - textureRegion.x0) / textureRegion.side),
                                       static_cast<float>((py - textureRegion.y0) / textureRegion.side)));
      }
    }
    osg::ref_ptr<osg::DrawElementsUInt> triangles = new osg::DrawElementsUInt(GL_TRIANGLES);
    triangles->reserve(static_cast<size_t>(cells) * cells * 6);
    for (int jj = 0; jj < cells; ++jj) {
      for (int ii = 0; ii < cells; ++ii) {
        const unsigned a = static_cast<unsigned>(jj * side + ii);
        const unsigned b = a + 1;
        const unsigned c = a + 1 + static_cast<unsigned>(side);
        const unsigned d = a + static_cast<unsigned>(side);
        for (unsigned index : {a, b, c, a, c, d}) triangles->push_back(index);
      }
    }
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setUseDisplayList(false);
    geometry->setUseVertexBufferObjects(true);
    geometry->setVertexArray(vertices.get());
    geometry->setNormalArray(normals.get(), osg::Array::BIND_PER_VERTEX);
    geometry->setTexCoordArray(0, texCoords.get(), osg::Array::BIND_PER_VERTEX);
    geometry->addPrimitiveSet(triangles.get());
    geometry->setStateSet(state);
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(geometry.get());
    return geode;
  }

  const MeshLayout& layout_;
  int x_;
  int y_;
  double spacing_;
  HeightGrid grid_;
  osg::ref_ptr<osg::Image> texture_;
};

}  // namespace

TileMeshBuilder::TileMeshBuilder(const TerrainModel& terrain, const TexturePainter& painter, const MeshLayout& layout)
    : terrain_(terrain), painter_(painter), layout_(layout) {}

TileNodes TileMeshBuilder::build(int x, int y, int lodVersion) const {
  TileBuild build(terrain_, painter_, layout_, x, y);
  return build.build(lodVersion);
}

void setLodVersion(osg::Node& tileRoot, int lodVersion) { tileRoot.setUserValue("VEXALODVersion", lodVersion); }

}  // namespace demo
