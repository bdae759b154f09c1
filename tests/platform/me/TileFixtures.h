#pragma once

#include <QString>
#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osg/Node>
#include <osg/PagedLOD>

// Small real tile sets and meshes on disk, written with the same osgDB plug-ins the editor reads.
namespace metest {

enum class Surface { Plain, Textured, VertexColors };

struct TileSetOptions {
  int columns = 2;
  int rows = 2;
  Surface surface = Surface::Plain;
  bool backslashes = false;  // tile references written with Windows separators, as other producers do
};

// A unit quad (two triangles) at `origin`, optionally with a 4x4 texture or vertex colours.
osg::ref_ptr<osg::Geometry> makeQuad(const osg::Vec3& origin, Surface surface);

// Writes a node file (creating its folder); false when osgDB could not write it.
bool writeNode(osg::Node& node, const QString& path);

// Reads a file the way the resource loader does: absolute path, root named after it.
osg::ref_ptr<osg::Node> loadLikeLoader(const QString& path);

// Writes "Mesh.osgb" indexing Tile_<x>_<y>/Tile_<x>_<y>.osgb; each tile root is a MatrixTransform
// (tile offset) over a PagedLOD whose child 0 is the coarse quad and whose file 1 is the finer level
// Tile_<x>_<y>/Tile_<x>_<y>_L1.osgb (two quads). Returns the index path, empty on failure.
QString writeTileSet(const QString& meshFolder, const TileSetOptions& options = TileSetOptions());

QString tileRootPath(const QString& meshFolder, int x, int y);

// Index PagedLOD of one tile: file name 0 = `fileName`, range 0 to the largest float.
osg::ref_ptr<osg::PagedLOD> makeTileReference(const std::string& fileName);

}  // namespace metest
