#pragma once

#include <set>
#include <string>
#include <vector>

#include <osg/Geometry>
#include <osg/NodeVisitor>
#include <osg/PagedLOD>

namespace qvx {
namespace viewer {

// Finds out whether a model carries a texture and vertex colours by looking at its first few
// geometries; tiles not yet paged in are read from disk, only as many as needed. Without file
// reading the walk touches only what is loaded and collects the files it would have read, so
// that another visitor can read them later, away from the scene.
class ViewerTextureVisitor : public osg::NodeVisitor {
 public:
  explicit ViewerTextureVisitor(bool readFiles = true);

  void apply(osg::Node& node) override;
  void apply(osg::Geometry& geometry) override;
  void apply(osg::PagedLOD& node) override;

  // Takes over the counts, flags and files seen of `earlier`, then reads its collected files.
  void continueWith(const ViewerTextureVisitor& earlier);

  bool hasTexture() const;
  bool hasVertexColors() const;
  bool isDone() const;
  int getNumInspectedGeometries() const;
  const std::vector<std::string>& pendingFiles() const { return pendingFiles_; }

 private:
  bool textureReaches(const osg::Geometry& geometry) const;
  void visitFile(const std::string& path);

  int maxGeometries_ = 5;
  // A damaged file can hold any number of file names; each file is read once and only a few.
  int maxFiles_ = 8;
  int inspectedGeometries_ = 0;
  bool hasTexture_ = false;
  bool hasVertexColors_ = false;
  bool done_ = false;
  bool readFiles_ = true;
  std::set<std::string> seenFiles_;
  std::vector<std::string> pendingFiles_;
};

}  // namespace viewer
}  // namespace qvx
