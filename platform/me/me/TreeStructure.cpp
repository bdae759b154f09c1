#include "me/TreeStructure.h"

#include <regex>

#include <QDir>
#include <QString>

namespace vx {
namespace me {

bool isTileFileName(const std::string& fileName) {
  // Folder and file carry the same tile indices; other producers separate them with a backslash.
  static const std::regex pattern(
      R"(^(?:.*[/\\])?Tile_([+-]?[0-9]+)_([+-]?[0-9]+)[/\\]Tile_\1_\2\.[^./\\]+$)");
  return std::regex_match(fileName, pattern);
}

DetectTreeStructureVisitor::DetectTreeStructureVisitor()
    : osg::NodeVisitor(osg::NodeVisitor::TRAVERSE_ALL_CHILDREN) {}

void DetectTreeStructureVisitor::apply(osg::Node& node) {
  sawRoot_ = true;
  traverse(node);
}

void DetectTreeStructureVisitor::apply(osg::MatrixTransform& node) {
  if (!sawRoot_) {
    const std::string& name = node.getName();
    rootIsNamedTransform_ =
        isTileFileName(name) && QDir::isAbsolutePath(QString::fromStdString(name));
  }
  sawRoot_ = true;
  traverse(node);
}

void DetectTreeStructureVisitor::apply(osg::PagedLOD& node) {
  sawRoot_ = true;
  if (node.getNumFileNames() > 0 && isTileFileName(node.getFileName(0))) {
    // What is below a tile reference belongs to the tile, not to the layout of this scene.
    ++tilePagedLODs_;
    return;
  }
  ++otherPagedLODs_;
  traverse(node);
}

TreeStructure DetectTreeStructureVisitor::getTreeStructure() const {
  if (rootIsNamedTransform_ && tilePagedLODs_ == 0) return ModelMain;
  if (tilePagedLODs_ > 0 && otherPagedLODs_ == 0) return TileMain;
  if (tilePagedLODs_ + otherPagedLODs_ > 0) return ForeignPaged;
  return NoPagedLOD;
}

}  // namespace me
}  // namespace vx
