#include "vx/MeshTiles.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <sstream>
#include <system_error>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/PagedLOD>
#include <osg/Texture2D>
#include <osgDB/Options>
#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include "FileUtil.h"
#include "vx/AtomicFile.h"

namespace vx {
namespace tiles {

namespace {

using detail::pathFromUtf8;
using detail::utf8;

// A square part of a texture, averaged down by `factor` (row 0 stays the southern edge).
osg::ref_ptr<osg::Image> reduceBlock(const osg::Image& image, int column, int row, int size, int factor) {
  const int out = size / factor;
  osg::ref_ptr<osg::Image> reduced = new osg::Image;
  reduced->allocateImage(out, out, 1, GL_RGB, GL_UNSIGNED_BYTE);
  reduced->setInternalTextureFormat(GL_RGB);
  const int area = factor * factor;
  for (int r = 0; r < out; ++r) {
    unsigned char* target = reduced->data(0, r);
    for (int c = 0; c < out; ++c) {
      int sum[3] = {0, 0, 0};
      for (int dy = 0; dy < factor; ++dy) {
        const unsigned char* source = image.data(column + c * factor, row + r * factor + dy);
        for (int dx = 0; dx < factor; ++dx)
          for (int k = 0; k < 3; ++k) sum[k] += source[3 * dx + k];
      }
      for (int k = 0; k < 3; ++k) *target++ = static_cast<unsigned char>((sum[k] + area / 2) / area);
    }
  }
  return reduced;
}

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

struct Region {
  double x0;
  double y0;
  double side;
};

class TileBuild {
 public:
  TileBuild(int x, int y, const TileShape& shape, const VertexHeights& heights, const osg::Image* texture)
      : shape_(shape), x_(x), y_(y), spacing_(shape.spacing()), heights_(heights), texture_(texture) {}

  TileNodes build(const osg::Vec3d& offset, int lodVersion) {
    TileNodes tile;
    tile.offset = offset;
    double low = 0, high = 0;
    if (!heights_.range(0, 0, shape_.finestCells, shape_.finestCells, low, high)) low = high = 0;
    tile.minXYZ = osg::Vec3(0.0f, 0.0f, float(low));
    tile.maxXYZ = osg::Vec3(float(shape_.tileSize), float(shape_.tileSize), float(high));

    const Region whole{0.0, 0.0, shape_.tileSize};
    osg::ref_ptr<osg::PagedLOD> top = quadLOD(0, 0, 0, whole, stateFor(0, 0, 0).get());
    if (shape_.levels == 1) top->setRange(0, 0.0f, FLT_MAX);

    tile.root = new osg::MatrixTransform(osg::Matrixd::translate(offset));
    tile.root->addChild(top.get());
    tile.root->setUserValue("MinXYZ", tile.minXYZ);
    tile.root->setUserValue("MaxXYZ", tile.maxXYZ);
    tile.root->setUserValue("OffsetXYZ", offset);
    setLodVersion(*tile.root, lodVersion);

    for (int level = 1; level < shape_.levels; ++level) {
      const int parents = 1 << (level - 1);
      for (int py = 0; py < parents; ++py)
        for (int px = 0; px < parents; ++px) tile.levelFiles.push_back(levelFile(level, px, py));
    }
    return tile;
  }

 private:
  osg::ref_ptr<osg::StateSet> stateFor(int level, int px, int py) const {
    if (!texture_) return nullptr;
    return levelTexture(*texture_, shape_.levels, level, px, py);
  }

  // The four level-`level` quads below level-(level-1) quad (px, py), sharing one texture.
  TileFile levelFile(int level, int px, int py) {
    const double side = shape_.tileSize / (1 << (level - 1));
    const Region region{px * side, py * side, side};
    osg::ref_ptr<osg::StateSet> state = stateFor(level, px, py);
    osg::ref_ptr<osg::Group> group = new osg::Group;
    for (int b = 0; b < 2; ++b) {
      for (int a = 0; a < 2; ++a) {
        const int qx = 2 * px + a;
        const int qy = 2 * py + b;
        if (level == shape_.levels - 1)
          group->addChild(quadGeode(level, qx, qy, region, state.get()).get());
        else
          group->addChild(quadLOD(level, qx, qy, region, state.get()).get());
      }
    }
    return {levelFileName(x_, y_, level, py * (1 << (level - 1)) + px), group};
  }

  // A quad shown at `level`, replaced by the file of its four finer quads when it grows on screen.
  osg::ref_ptr<osg::PagedLOD> quadLOD(int level, int qx, int qy, const Region& textureRegion, osg::StateSet* state) {
    const int span = shape_.finestCells >> level;
    double low = 0, high = 0;
    if (!heights_.range(qx * span, qy * span, (qx + 1) * span, (qy + 1) * span, low, high)) low = high = 0;
    const double side = span * spacing_;
    const osg::Vec3 centre(float((qx + 0.5) * side), float((qy + 0.5) * side), float((low + high) / 2));
    const double radius = 0.5 * std::sqrt(2.0 * side * side + (high - low) * (high - low));

    osg::ref_ptr<osg::PagedLOD> lod = new osg::PagedLOD;
    lod->setRangeMode(osg::LOD::PIXEL_SIZE_ON_SCREEN);
    lod->setCenterMode(osg::LOD::USER_DEFINED_CENTER);
    lod->setCenter(centre);
    lod->setRadius(float(radius));
    const float split = shape_.switchPixels();
    lod->addChild(quadGeode(level, qx, qy, textureRegion, state).get(), 0.0f, split);
    if (level + 1 < shape_.levels) {
      lod->setFileName(1, levelFileName(x_, y_, level + 1, qy * (1 << level) + qx));
      lod->setRange(1, split, FLT_MAX);
    }
    return lod;
  }

  // The slope at a vertex from the nearest known neighbours `step` apart; flat when none is known.
  osg::Vec3 normalAt(int i, int j, int step) const {
    auto slope = [&](int di, int dj) {
      const double ahead = heights_.at(i + di * step, j + dj * step);
      const double behind = heights_.at(i - di * step, j - dj * step);
      const double here = heights_.at(i, j);
      if (!std::isnan(ahead) && !std::isnan(behind)) return (ahead - behind) / (2.0 * step * spacing_);
      if (!std::isnan(ahead) && !std::isnan(here)) return (ahead - here) / (step * spacing_);
      if (!std::isnan(behind) && !std::isnan(here)) return (here - behind) / (step * spacing_);
      return 0.0;
    };
    osg::Vec3d n(-slope(1, 0), -slope(0, 1), 1.0);
    n.normalize();
    return osg::Vec3(n);
  }

  osg::ref_ptr<osg::Geode> quadGeode(int level, int qx, int qy, const Region& textureRegion, osg::StateSet* state) {
    const int cells = shape_.quadCells();
    const int step = 1 << (shape_.levels - 1 - level);
    const int i0 = qx * cells * step;
    const int j0 = qy * cells * step;
    const int side = cells + 1;

    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec3Array> normals = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec2Array> texCoords = state ? new osg::Vec2Array : nullptr;
    std::vector<bool> known;
    vertices->reserve(std::size_t(side) * side);
    for (int jj = 0; jj <= cells; ++jj) {
      for (int ii = 0; ii <= cells; ++ii) {
        const int i = i0 + ii * step;
        const int j = j0 + jj * step;
        const double px = i * spacing_;
        const double py = j * spacing_;
        const double z = heights_.at(i, j);
        known.push_back(!std::isnan(z));
        vertices->push_back(osg::Vec3(float(px), float(py), std::isnan(z) ? 0.0f : float(z)));
        normals->push_back(normalAt(i, j, step));
        if (texCoords)
          texCoords->push_back(osg::Vec2(float((px - textureRegion.x0) / textureRegion.side),
                                         float((py - textureRegion.y0) / textureRegion.side)));
      }
    }
    osg::ref_ptr<osg::DrawElementsUInt> triangles = new osg::DrawElementsUInt(GL_TRIANGLES);
    triangles->reserve(std::size_t(cells) * cells * 6);
    for (int jj = 0; jj < cells; ++jj) {
      for (int ii = 0; ii < cells; ++ii) {
        const unsigned a = unsigned(jj * side + ii);
        const unsigned b = a + 1;
        const unsigned c = a + 1 + unsigned(side);
        const unsigned d = a + unsigned(side);
        if (known[a] && known[b] && known[c])
          for (unsigned index : {a, b, c}) triangles->push_back(index);
        if (known[a] && known[c] && known[d])
          for (unsigned index : {a, c, d}) triangles->push_back(index);
      }
    }
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setUseDisplayList(false);
    geometry->setUseVertexBufferObjects(true);
    geometry->setVertexArray(vertices.get());
    geometry->setNormalArray(normals.get(), osg::Array::BIND_PER_VERTEX);
    if (texCoords) geometry->setTexCoordArray(0, texCoords.get(), osg::Array::BIND_PER_VERTEX);
    geometry->addPrimitiveSet(triangles.get());
    if (state) geometry->setStateSet(state);
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(geometry.get());
    return geode;
  }

  const TileShape& shape_;
  int x_;
  int y_;
  double spacing_;
  const VertexHeights& heights_;
  const osg::Image* texture_;
};

}  // namespace

std::string tileName(int x, int y) { return "Tile_" + std::to_string(x) + "_" + std::to_string(y); }

std::string tileFileName(int x, int y) { return tileName(x, y) + ".osgb"; }

std::string levelFileName(int x, int y, int level, int index) {
  return tileName(x, y) + "_L" + std::to_string(level) + "_" + std::to_string(index) + ".osgb";
}

std::string tileReference(int x, int y) { return tileName(x, y) + "/" + tileFileName(x, y); }

std::string TileShape::problem() const {
  if (levels < 1 || levels > 8)
    return "The number of levels of detail must lie between 1 and 8, not " + std::to_string(levels) + ".";
  if (!(tileSize >= 1.0 && tileSize <= 10000.0))
    return "The tile size must lie between 1 and 10000 metres, not " + std::to_string(tileSize) + ".";
  const int split = 1 << (levels - 1);
  if (finestCells < split || finestCells % split != 0 || finestCells > 4096)
    return "The finest grid (" + std::to_string(finestCells) + " cells per tile side) must be a multiple of " +
           std::to_string(split) + " for " + std::to_string(levels) + " levels of detail, at most 4096.";
  if (textureSize < split || textureSize % split != 0 || textureSize > 8192)
    return "The texture size (" + std::to_string(textureSize) + " pixels per tile side) must be a multiple of " +
           std::to_string(split) + " for " + std::to_string(levels) + " levels of detail, at most 8192.";
  return {};
}

TileShape shapeForCell(double tileSize, double cell) {
  TileShape shape;
  shape.tileSize = tileSize;
  const double wanted = (cell > 0 && std::isfinite(cell)) ? std::clamp(tileSize / cell, 1.0, 4096.0) : 64.0;
  shape.levels = 1;
  while (shape.levels < 8 && wanted / (1 << shape.levels) >= 32.0) ++shape.levels;
  const int split = 1 << (shape.levels - 1);
  shape.finestCells = std::max(split, int(std::lround(wanted / split)) * split);
  // About four texels per grid cell, as a rendered photo of the ground has at the DSM's cell size.
  shape.textureSize = std::min(8192 / split * split, shape.finestCells * 4);
  return shape;
}

VertexHeights::VertexHeights(const TileShape& shape)
    : cells_(shape.finestCells),
      border_(shape.border()),
      side_(shape.finestCells + 1 + 2 * shape.border()),
      heights_(std::size_t(side_) * std::size_t(side_), NAN) {}

bool VertexHeights::range(int i0, int j0, int i1, int j1, double& low, double& high) const {
  bool any = false;
  for (int j = j0; j <= j1; ++j) {
    for (int i = i0; i <= i1; ++i) {
      const double z = at(i, j);
      if (std::isnan(z)) continue;
      if (!any) low = high = z;
      low = std::min(low, z);
      high = std::max(high, z);
      any = true;
    }
  }
  return any;
}

TileNodes buildTile(int x, int y, const osg::Vec3d& offset, const TileShape& shape, const VertexHeights& heights,
                    const osg::Image* texture, int lodVersion) {
  TileBuild build(x, y, shape, heights, texture);
  return build.build(offset, lodVersion);
}

void setLodVersion(osg::Node& tileRoot, int lodVersion) { tileRoot.setUserValue("VEXALODVersion", lodVersion); }

osg::ref_ptr<osg::StateSet> levelTexture(const osg::Image& tileTexture, int levels, int level, int px, int py) {
  const int size = tileTexture.s();
  if (level == 0) return textureState(reduceBlock(tileTexture, 0, 0, size, 1 << (levels - 1)).get());
  const int pixels = size >> (level - 1);
  return textureState(reduceBlock(tileTexture, px * pixels, py * pixels, pixels, 1 << (levels - 1 - level)).get());
}

bool parseLevelFileName(const std::string& name, int& level, int& px, int& py) {
  const std::size_t mark = name.rfind("_L");
  const std::size_t dot = name.rfind(".osgb");
  if (mark == std::string::npos || dot == std::string::npos || dot + 5 != name.size()) return false;
  const std::size_t separator = name.find('_', mark + 2);
  if (separator == std::string::npos || separator > dot) return false;
  try {
    std::size_t used = 0;
    level = std::stoi(name.substr(mark + 2, separator - mark - 2), &used);
    if (used != separator - mark - 2) return false;
    const int index = std::stoi(name.substr(separator + 1, dot - separator - 1), &used);
    if (used != dot - separator - 1 || level < 1 || level > 8 || index < 0) return false;
    const int parents = 1 << (level - 1);
    if (index >= parents * parents) return false;
    px = index % parents;
    py = index / parents;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void writeOsgb(const osg::Node& node, const std::string& utf8Path) {
  static const osg::ref_ptr<osgDB::Options> options = new osgDB::Options("WriteImageHint=IncludeData");
  osgDB::ReaderWriter* writer = osgDB::Registry::instance()->getReaderWriterForExtension("osgb");
  if (!writer) throw FileError("Cannot save " + utf8Path + ": no writer for .osgb files is installed.");
  std::ostringstream stream(std::ios::out | std::ios::binary);
  const osgDB::ReaderWriter::WriteResult result = writer->writeNode(node, stream, options.get());
  if (!result.success() || !stream) {
    const std::string reason = result.message().empty() ? std::string() : ": " + result.message();
    throw FileError("Cannot save " + utf8Path + reason);
  }
  writeFileAtomically(utf8Path, stream.str());
}

void writeTile(const TileNodes& tile, const std::string& utf8TileFolder) {
  const detail::fs::path folder = pathFromUtf8(utf8TileFolder);
  std::error_code error;
  detail::fs::create_directories(folder, error);
  if (error) throw FileError("Cannot create the tile folder " + utf8TileFolder + ": " + error.message());
  for (const TileFile& file : tile.levelFiles) writeOsgb(*file.node, utf8(folder / pathFromUtf8(file.name)));
  writeOsgb(*tile.root, utf8(folder / pathFromUtf8(utf8(folder.filename()) + ".osgb")));
}

osg::ref_ptr<osg::Group> meshIndex(const std::vector<TileBounds>& tiles) {
  osg::ref_ptr<osg::Group> index = new osg::Group;
  for (const TileBounds& tile : tiles) {
    osg::ref_ptr<osg::PagedLOD> lod = new osg::PagedLOD;
    lod->setCenterMode(osg::LOD::USER_DEFINED_CENTER);
    lod->setCenter(osg::Vec3((tile.min + tile.max) * 0.5));
    lod->setRadius(float((tile.max - tile.min).length() * 0.5));
    lod->setFileName(0, tileReference(tile.x, tile.y));
    lod->setRange(0, 0.0f, FLT_MAX);
    index->addChild(lod.get());
  }
  return index;
}

void writeMeshIndex(const std::string& utf8MeshFolder, int columns, int rows) {
  const detail::fs::path folder = pathFromUtf8(utf8MeshFolder);
  std::vector<TileBounds> bounds;
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) {
      const detail::fs::path root = folder / pathFromUtf8(tileReference(x, y));
      std::error_code error;
      if (detail::fs::is_regular_file(root, error)) bounds.push_back(readTileBounds(utf8(root), x, y));
    }
  }
  writeOsgb(*meshIndex(bounds), utf8(folder / "Mesh.osgb"));
}

TileBounds readTileBounds(const std::string& utf8RootFile, int x, int y) {
  const osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
  options->setObjectCacheHint(osgDB::Options::CACHE_NONE);
  const osg::ref_ptr<osg::Node> root = osgDB::readRefNodeFile(utf8RootFile, options.get());
  osg::Vec3 low, high;
  osg::Vec3d offset;
  if (!root || !root->getUserValue("MinXYZ", low) || !root->getUserValue("MaxXYZ", high) ||
      !root->getUserValue("OffsetXYZ", offset))
    throw FileError("The tile " + utf8RootFile + " cannot be read or lacks its bounds.");
  return {x, y, offset + osg::Vec3d(low), offset + osg::Vec3d(high)};
}

}  // namespace tiles
}  // namespace vx
