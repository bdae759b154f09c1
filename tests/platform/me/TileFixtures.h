#pragma once

#include <QString>
#include <osg/MatrixTransform>
#include <osg/PagedLOD>

// Small real tile sets on disk, written with the same osgDB plug-ins the editor reads.
namespace metest {

// A textured tile set of 2 x 2 tiles with two levels of detail: "Mesh.osgb" indexing
// Tile_<x>_<y>/Tile_<x>_<y>.osgb, each a MatrixTransform over a PagedLOD. Returns the absolute
// index path.
QString writeTileSet(const QString& meshFolder, bool forEditing = false);

// Absolute path of a tile root file.
QString tileRootPath(const QString& meshFolder, int x, int y);

// Writes a node file (creating its folder); false when osgDB could not write it.
bool writeNode(osg::Node& node, const QString& path);

// Reads a file the way the resource loader does: absolute path, root named after it.
osg::ref_ptr<osg::Node> loadLikeLoader(const QString& path);

// Index PagedLOD of one tile: file name 0 = `fileName`, range 0 to the largest float.
osg::ref_ptr<osg::PagedLOD> makeTileReference(const std::string& fileName);

osg::ref_ptr<osg::Group> groupOf(osg::Node* child);

}  // namespace metest
