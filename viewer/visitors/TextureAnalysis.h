#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include <osg/Node>

#include "viewer/visitors/ViewerTextureVisitor.h"

namespace qvx {
namespace viewer {

struct TextureFindings {
  bool hasTexture = false;
  bool hasVertexColors = false;
};

// The texture visitor over a scene, one resource at a time: a scene has a texture (vertex
// colours) when any resource has, so the answer does not depend on how many resources there are
// or their order. A tiled mesh is one resource, each plain mesh is one.
//
// The constructor walks only loaded nodes and must run where the scene may be touched (the GUI
// thread); readFiles() then reads the tile files that were not paged in, touches no node of the
// scene and may run on any thread.
class TextureAnalysis {
 public:
  explicit TextureAnalysis(osg::Node* scene);

  TextureFindings findings() const;
  bool needsFiles() const;
  void readFiles();
  // Thread-safe: readFiles() stops before its next resource.
  void cancel() { cancelled_ = true; }

 private:
  std::vector<std::unique_ptr<ViewerTextureVisitor>> resources_;
  std::atomic_bool cancelled_{false};
};

}  // namespace viewer
}  // namespace qvx
