#pragma once

#include <set>
#include <string>

#include <osg/Geometry>
#include <osg/NodeVisitor>
#include <osg/PagedLOD>

namespace qvx {
namespace viewer {

// Finds out whether a model carries a texture and vertex colours by looking at its first few
// geometries; tiles not yet paged in are read from disk, only as many as needed.
class ViewerTextureVisitor : public osg::NodeVisitor {
 public:
  ViewerTextureVisitor();

  void apply(osg::Node& node) override;
  void apply(osg::Geometry& geometry) override;
  void apply(osg::PagedLOD& node) override;

  bool hasTexture() const;
  bool hasVertexColors() const;
  bool isDone() const;
  int getNumInspectedGeometries() const;

 private:
  bool textureReaches(const osg::Geometry& geometry) const;
  void visitFile(const std::string& path);

  int maxGeometries_ = 5;
  int inspectedGeometries_ = 0;
  bool hasTexture_ = false;
  bool hasVertexColors_ = false;
  bool done_ = false;
  // Files being visited, so that a file paging itself in cannot recurse forever.
  std::set<std::string> openFiles_;
};

}  // namespace viewer
}  // namespace qvx
