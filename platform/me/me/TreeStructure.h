#pragma once

#include <string>

#include <osg/MatrixTransform>
#include <osg/NodeVisitor>
#include <osg/PagedLOD>

namespace vx {
namespace me {

// How a loaded scene references tiles. The loader names every loaded root after its absolute path.
enum TreeStructure : unsigned int {
  // The scene references tiles through PagedLODs whose file name 0 is a tile file
  // "Tile_<x>_<y>/Tile_<x>_<y>.osgb" (a mesh index file or a linking file).
  TileMain = 0,
  // The scene is one tile: its root is a MatrixTransform named after the tile file's absolute path.
  ModelMain = 1,
  // PagedLODs in any other layout: viewable as a plain mesh, not editable.
  ForeignPaged = 2,
  // No PagedLOD at all (plain PLY/OBJ/OSG models).
  NoPagedLOD = 3,
  // Reserved for a further editable layout; never reported.
  Reserved = 4,
};

// Classifies a loaded scene. Accept it on the loaded root, then read getTreeStructure().
// A paged LOD whose file name 0 is a tile file is a tile reference and is not descended into;
// every other paged LOD is foreign. In this order: a root transform named after the absolute
// path of a tile file and no tile reference → ModelMain; tile references and nothing foreign →
// TileMain; any paged LOD → ForeignPaged; otherwise NoPagedLOD.
class DetectTreeStructureVisitor : public osg::NodeVisitor {
 public:
  DetectTreeStructureVisitor();
  void apply(osg::Node& node) override;
  void apply(osg::PagedLOD& node) override;
  void apply(osg::MatrixTransform& node) override;
  TreeStructure getTreeStructure() const;

 private:
  bool sawRoot_ = false;
  bool rootIsNamedTransform_ = false;
  int tilePagedLODs_ = 0;
  int otherPagedLODs_ = 0;
};

// True when `fileName` (any separators) ends in "Tile_<x>_<y>/Tile_<x>_<y>.<ext>".
bool isTileFileName(const std::string& fileName);

// The loader reaches the detection through the library's controllers namespace.
namespace controllers {
using ::vx::me::DetectTreeStructureVisitor;
}  // namespace controllers

}  // namespace me
}  // namespace vx
