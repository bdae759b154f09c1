#include "TileFiles.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include <osg/Geometry>
#include <osg/NodeVisitor>
#include <osg/PagedLOD>
#include <osg/TriangleFunctor>
#include <osgDB/Options>
#include <osgDB/ReadFile>

#include "FileUtil.h"
#include "vx/AtomicFile.h"

namespace vx {
namespace detail {

namespace {

// Read by path, PagedLODs take the file's folder as their database path; written back so, the
// tile would be tied to where it lay. Files of the layout name their levels relative to themselves.
struct ForgetDatabasePaths : osg::NodeVisitor {
  ForgetDatabasePaths() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
  void apply(osg::PagedLOD& lod) override {
    lod.setDatabasePath("");
    traverse(lod);
  }
};

osg::ref_ptr<osg::Node> readNode(const std::string& utf8Path) {
  std::error_code error;
  if (!fs::is_regular_file(pathFromUtf8(utf8Path), error)) throw InputError("The tile file " + utf8Path + " does not exist.");
  const osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
  options->setObjectCacheHint(osgDB::Options::CACHE_NONE);
  osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile(utf8Path, options.get());
  if (!node) throw InputError("The tile file " + utf8Path + " cannot be read.");
  ForgetDatabasePaths forget;
  node->accept(forget);
  return node;
}

// The file names of the finer levels a node's PagedLODs refer to.
struct LevelReferences : osg::NodeVisitor {
  std::vector<std::string> names;
  LevelReferences() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
  void apply(osg::PagedLOD& lod) override {
    for (unsigned i = 0; i < lod.getNumFileNames(); ++i)
      if (!lod.getFileName(i).empty()) names.push_back(lod.getFileName(i));
    traverse(lod);
  }
};

// Every geometry below a node.
struct Geometries : osg::NodeVisitor {
  std::vector<osg::Geometry*> found;
  Geometries() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
  void apply(osg::Geometry& geometry) override { found.push_back(&geometry); }
};

// Rasterises triangles into a height grid, keeping the highest surface per cell centre.
struct SurfaceRaster {
  HeightGrid* grid = nullptr;
  double shiftX = 0;  // from the triangles' coordinates to the grid's
  double shiftY = 0;
  void operator()(const osg::Vec3& a, const osg::Vec3& b, const osg::Vec3& c) const {
    HeightGrid& g = *grid;
    const auto column = [&](double x) { return (x + shiftX - g.west) / g.cell - 0.5; };
    const auto row = [&](double y) { return (g.north - y - shiftY) / g.cell - 0.5; };
    const double ca = column(a.x()), cb = column(b.x()), cc = column(c.x());
    const double ra = row(a.y()), rb = row(b.y()), rc = row(c.y());
    const double area = (cb - ca) * (rc - ra) - (cc - ca) * (rb - ra);
    if (std::abs(area) < 1e-12) return;
    const int c0 = std::max(0, int(std::ceil(std::min({ca, cb, cc}))));
    const int c1 = std::min(g.columns - 1, int(std::floor(std::max({ca, cb, cc}))));
    const int r0 = std::max(0, int(std::ceil(std::min({ra, rb, rc}))));
    const int r1 = std::min(g.rows - 1, int(std::floor(std::max({ra, rb, rc}))));
    constexpr double kEdge = -1e-9;  // cells on a shared edge belong to both triangles
    for (int r = r0; r <= r1; ++r) {
      for (int col = c0; col <= c1; ++col) {
        const double wa = ((cb - col) * (rc - r) - (cc - col) * (rb - r)) / area;
        const double wb = ((cc - col) * (ra - r) - (ca - col) * (rc - r)) / area;
        const double wc = 1 - wa - wb;
        if (wa < kEdge || wb < kEdge || wc < kEdge) continue;
        const float z = float(wa * a.z() + wb * b.z() + wc * c.z());
        float& cell = g.at(col, r);
        if (std::isnan(cell) || z > cell) cell = z;
      }
    }
  }
};

}  // namespace

ReadTile readTile(const std::string& utf8RootFile) {
  ReadTile tile;
  const fs::path rootPath = pathFromUtf8(utf8RootFile);
  tile.folder = utf8(rootPath.parent_path());
  const osg::ref_ptr<osg::Node> root = readNode(utf8RootFile);
  tile.nodes.root = dynamic_cast<osg::MatrixTransform*>(root.get());
  if (!tile.nodes.root || !root->getUserValue("MinXYZ", tile.nodes.minXYZ) ||
      !root->getUserValue("MaxXYZ", tile.nodes.maxXYZ) || !root->getUserValue("OffsetXYZ", tile.nodes.offset))
    throw InputError("The tile file " + utf8RootFile + " is no tile root (a transform with its bounds and offset).");

  // Level by level, so that a file refers only to files of the next level.
  std::vector<osg::Node*> current{root.get()};
  for (int level = 1; !current.empty(); ++level) {
    std::vector<osg::Node*> next;
    for (osg::Node* node : current) {
      LevelReferences references;
      node->accept(references);
      for (const std::string& name : references.names) {
        int fileLevel = 0, px = 0, py = 0;
        if (!tiles::parseLevelFileName(name, fileLevel, px, py) || fileLevel != level || name.find('/') != std::string::npos ||
            name.find('\\') != std::string::npos)
          throw InputError("The tile " + utf8RootFile + " refers to " + quotedValue(name) +
                          ", which is no level file of its layout.");
        const osg::ref_ptr<osg::Node> file = readNode(utf8(rootPath.parent_path() / pathFromUtf8(name)));
        tile.nodes.levelFiles.push_back({name, file});
        next.push_back(file.get());
      }
    }
    if (!next.empty()) tile.levels = level + 1;
    current = std::move(next);
  }
  // A damaged file may read as a node that has lost its references: then files of the tile are not
  // reached, or a level is not whole, and the tile is refused rather than textured in part.
  std::set<std::string> reached;
  for (const tiles::TileFile& file : tile.nodes.levelFiles) reached.insert(file.name);
  const std::string prefix = utf8(rootPath.stem()) + "_L";
  std::error_code error;
  for (fs::directory_iterator it(rootPath.parent_path(), error), end; !error && it != end; it.increment(error)) {
    const std::string name = utf8(it->path().filename());
    int level = 0, px = 0, py = 0;
    if (name.rfind(prefix, 0) == 0 && tiles::parseLevelFileName(name, level, px, py) && !reached.count(name))
      throw InputError("The tile " + utf8RootFile + " does not reach its file " + name +
                      ": a file above it is damaged.");
  }
  for (int level = 1; level < tile.levels; ++level) {
    const std::size_t files = std::size_t(1) << (2 * (level - 1));
    std::size_t found = 0;
    for (const tiles::TileFile& file : tile.nodes.levelFiles) {
      int fileLevel = 0, px = 0, py = 0;
      if (tiles::parseLevelFileName(file.name, fileLevel, px, py) && fileLevel == level) ++found;
    }
    if (found != files)
      throw InputError("The tile " + utf8RootFile + " has " + std::to_string(found) + " files of level " +
                      std::to_string(level) + " where its layout has " + std::to_string(files) +
                      ": a file above them is damaged.");
  }
  return tile;
}

namespace {

void rasteriseFinest(const ReadTile& tile, HeightGrid& grid, double shiftX, double shiftY) {
  osg::TriangleFunctor<SurfaceRaster> raster;
  raster.grid = &grid;
  raster.shiftX = shiftX;
  raster.shiftY = shiftY;
  const auto rasterise = [&](osg::Node& node) {
    Geometries geometries;
    node.accept(geometries);
    for (osg::Geometry* geometry : geometries.found) geometry->accept(raster);
  };
  if (tile.levels == 1) {
    rasterise(*tile.nodes.root);
    return;
  }
  for (const tiles::TileFile& file : tile.nodes.levelFiles) {
    int level = 0, px = 0, py = 0;
    if (tiles::parseLevelFileName(file.name, level, px, py) && level == tile.levels - 1) rasterise(*file.node);
  }
}

}  // namespace

HeightGrid finestSurface(const ReadTile& tile, double side, int cells) {
  HeightGrid grid(0.0, side, side / cells, cells, cells);
  rasteriseFinest(tile, grid, 0.0, 0.0);
  return grid;
}

void addFinestSurface(const ReadTile& tile, HeightGrid& grid) {
  rasteriseFinest(tile, grid, tile.nodes.offset.x(), tile.nodes.offset.y());
}

void applyTexture(ReadTile& tile, const osg::Image& texture, double side) {
  const auto retexture = [&](osg::Node& node, int level, int px, int py) {
    const double partSide = level == 0 ? side : side / (1 << (level - 1));
    const double x0 = level == 0 ? 0.0 : px * partSide;
    const double y0 = level == 0 ? 0.0 : py * partSide;
    const osg::ref_ptr<osg::StateSet> state = tiles::levelTexture(texture, tile.levels, level, px, py);
    Geometries geometries;
    node.accept(geometries);
    for (osg::Geometry* geometry : geometries.found) {
      const auto* vertices = dynamic_cast<const osg::Vec3Array*>(geometry->getVertexArray());
      if (!vertices) continue;
      osg::ref_ptr<osg::Vec2Array> coordinates = new osg::Vec2Array;
      coordinates->reserve(vertices->size());
      for (const osg::Vec3& v : *vertices)
        coordinates->push_back(osg::Vec2(float((v.x() - x0) / partSide), float((v.y() - y0) / partSide)));
      geometry->setTexCoordArray(0, coordinates.get(), osg::Array::BIND_PER_VERTEX);
      geometry->setStateSet(state.get());
    }
  };
  // The root holds level 0 only: the PagedLODs' further children are files.
  retexture(*tile.nodes.root, 0, 0, 0);
  for (tiles::TileFile& file : tile.nodes.levelFiles) {
    int level = 0, px = 0, py = 0;
    tiles::parseLevelFileName(file.name, level, px, py);
    retexture(*file.node, level, px, py);
  }
}

}  // namespace detail
}  // namespace vx
