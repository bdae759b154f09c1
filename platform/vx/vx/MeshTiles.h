#pragma once

// Tiled height-field meshes with levels of detail: the DSM mesh and its textured forms.
//
// A tile is a folder "Tile_<x>_<y>/" holding the root "Tile_<x>_<y>.osgb" and the files of its finer
// levels. Level 0 (coarsest) lies in the root file; level L >= 1 splits the tile into 2^L x 2^L quads
// and is stored in 4^(L-1) files "Tile_<x>_<y>_L<L>_<index>.osgb", each holding the four level-L
// quads below one level-(L-1) quad (index = qy * 2^(L-1) + qx). Every quad has the same grid and
// texture resolution, so files stay small and equal in size. The root is a MatrixTransform carrying
// the tile offset and the user values "MinXYZ", "MaxXYZ" (osg::Vec3, tile coordinates), "OffsetXYZ"
// (osg::Vec3d) and "VEXALODVersion" (int).

#include <string>
#include <vector>

#include <osg/Group>
#include <osg/Image>
#include <osg/MatrixTransform>
#include <osg/Node>
#include <osg/ref_ptr>

namespace vx {
namespace tiles {

std::string tileName(int x, int y);      // "Tile_<x>_<y>"
std::string tileFileName(int x, int y);  // "Tile_<x>_<y>.osgb", the tile root
std::string levelFileName(int x, int y, int level, int index);
// The tile root relative to the mesh folder, '/' separated: "Tile_<x>_<y>/Tile_<x>_<y>.osgb".
std::string tileReference(int x, int y);

struct TileShape {
  int levels = 3;
  double tileSize = 100.0;  // metres per side
  int finestCells = 64;     // grid cells per side at the finest level
  int textureSize = 256;    // texture pixels per side at the finest level (textured tiles)

  // Empty when usable, else the sentence naming the first unusable value.
  std::string problem() const;
  int quadCells() const { return finestCells >> (levels - 1); }
  int quadTexels() const { return textureSize >> (levels - 1); }
  int border() const { return 1 << (levels - 1); }
  double spacing() const { return tileSize / finestCells; }
  // Projected diameter in pixels above which a quad gives way to its four finer quads: its texels
  // then cover about 1.4 screen pixels each.
  float switchPixels() const { return 2.0f * static_cast<float>(quadTexels()); }
};

// The shape of a tile of `tileSize` metres made from heights `cell` metres apart: the finest grid
// near the cell size, levels until a quad has 32 to 64 cells (at most 8 levels), about four texels
// per cell.
TileShape shapeForCell(double tileSize, double cell);

// Heights on the finest grid's vertices, i, j from -border to finestCells + border (x east, y
// north, from the tile's south-west corner). NaN where unknown: triangles touching it are left out.
class VertexHeights {
 public:
  explicit VertexHeights(const TileShape& shape);
  double& at(int i, int j) { return heights_[index(i, j)]; }
  double at(int i, int j) const { return heights_[index(i, j)]; }
  int cells() const { return cells_; }
  int border() const { return border_; }
  // Lowest and highest known height over the vertices [i0, i1] x [j0, j1]; false when none is known.
  bool range(int i0, int j0, int i1, int j1, double& low, double& high) const;

 private:
  std::size_t index(int i, int j) const {
    return std::size_t(j + border_) * std::size_t(side_) + std::size_t(i + border_);
  }
  int cells_;
  int border_;
  int side_;
  std::vector<double> heights_;
};

struct TileFile {
  std::string name;  // relative to the tile folder
  osg::ref_ptr<osg::Node> node;
};

struct TileNodes {
  osg::ref_ptr<osg::MatrixTransform> root;
  std::vector<TileFile> levelFiles;
  osg::Vec3 minXYZ;
  osg::Vec3 maxXYZ;
  osg::Vec3d offset;
};

// Builds the level-of-detail tree of tile (x, y) whose south-west corner lies at `offset`. With a
// texture (RGB, `shape.textureSize` square, row 0 at the southern edge) every file carries the part
// of it that it covers, reduced to the quad texture size; without one the tile is untextured.
TileNodes buildTile(int x, int y, const osg::Vec3d& offset, const TileShape& shape, const VertexHeights& heights,
                    const osg::Image* texture, int lodVersion);

void setLodVersion(osg::Node& tileRoot, int lodVersion);

// What a file of a tile with `levels` levels carries of the tile's texture (RGB, square, row 0 at
// the southern edge): for level 0 (the root) all of it, for level L >= 1 the part below level-(L-1)
// quad (px, py); reduced to the quad texture size. Its texture coordinates run from 0 to 1 over
// that part.
osg::ref_ptr<osg::StateSet> levelTexture(const osg::Image& tileTexture, int levels, int level, int px, int py);
// The level and parent quad of a level file "Tile_<x>_<y>_L<level>_<index>.osgb" of a tile with
// `levels` levels; false for another name.
bool parseLevelFileName(const std::string& name, int& level, int& px, int& py);

// Writes `node` as .osgb with its textures embedded, atomically. Throws vx::FileError naming the file.
void writeOsgb(const osg::Node& node, const std::string& utf8Path);
// Writes the level files, then the root (a tile folder with a root file is complete), creating
// the tile folder when absent.
void writeTile(const TileNodes& tile, const std::string& utf8TileFolder);

struct TileBounds {
  int x = 0;
  int y = 0;
  osg::Vec3d min;  // world
  osg::Vec3d max;
};

// The index "Mesh.osgb": a group of PagedLODs, one per tile, referring to tileReference(x, y) with
// the range 0 to the largest float and a centre and radius from the tile's bounds.
osg::ref_ptr<osg::Group> meshIndex(const std::vector<TileBounds>& tiles);
// Writes the index "Mesh.osgb" of the mesh folder over the tiles of a `columns` x `rows` grid whose
// roots exist, so that the runs of a split run each leave a whole index. Throws vx::FileError.
void writeMeshIndex(const std::string& utf8MeshFolder, int columns, int rows);
// The bounds of a written tile from its root's user values; throws vx::FileError naming the file.
TileBounds readTileBounds(const std::string& utf8RootFile, int x, int y);

}  // namespace tiles
}  // namespace vx
