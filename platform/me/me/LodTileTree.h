#pragma once

#include <string>
#include <vector>

#include <osg/Geometry>
#include <osg/Image>
#include <osg/Matrixd>
#include <osg/PagedLOD>
#include <osg/Texture2D>

namespace vx {
namespace me {
namespace lod {

// One triangle of a tile's finest level, in tile coordinates, with the image it is textured from
// (null when untextured).
struct FineTriangle {
  osg::Vec3 p[3];
  osg::Vec2 uv[3];
  const osg::Image* image = nullptr;
};

// A paged LOD whose finer children live in other files.
struct PagedEntry {
  osg::PagedLOD* node = nullptr;
  osg::Matrixd toTile;
  int file = -1;
  std::vector<int> finerFiles;
};

// A drawable of a coarser level: shown until the finer files of its paged LOD are loaded.
struct CoarseGeometry {
  osg::Geometry* geometry = nullptr;
  osg::Matrixd toTile;
  osg::Texture2D* texture = nullptr;
  int paged = -1;  // index into TileTree::paged
  size_t triangles = 0;
};

struct TileFile {
  std::string path;  // UTF-8, absolute
  osg::ref_ptr<osg::Node> root;
  std::vector<int> children;  // files its paged LODs refer to
  size_t finestBegin = 0;     // its finest triangles in TileTree::finest
  size_t finestEnd = 0;
};

// A tile read from disk: every file of its paged LOD tree, the drawables of its coarser levels and
// the triangles of its finest level. File 0 is the tile root.
struct TileTree {
  std::vector<TileFile> files;
  std::vector<PagedEntry> paged;
  std::vector<CoarseGeometry> coarse;
  std::vector<FineTriangle> finest;

  // Indices into `finest` of the triangles below the finer files of paged entry `index`.
  std::vector<size_t> finestBelow(int pagedIndex) const;
};

// Reads the tile root at `rootPath` and every file its paged LODs refer to. Throws vx::FileError
// naming the file that is missing or cannot be read.
TileTree readTileTree(const std::string& rootPath);

// Reads one node file through the osgDB registry, and so behind the read-file callback that guards
// the editor against damaged files. Throws vx::FileError naming the file.
osg::ref_ptr<osg::Node> readNodeFile(const std::string& path, const std::string& description);

// Number of triangles a drawable draws.
size_t countTriangles(const osg::Geometry& geometry);

}  // namespace lod
}  // namespace me
}  // namespace vx
