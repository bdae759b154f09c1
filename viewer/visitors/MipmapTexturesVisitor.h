#pragma once

#include <osg/NodeVisitor>
#include <osg/StateSet>

namespace qvx {
namespace viewer {

// Gives the images of mipmapped 2D textures their mipmap levels (addMipmaps) while a file is
// read, on the reading thread. Left to the draw-time path: images OpenSceneGraph would first
// resize (a power-of-two resize, or a side above kMaxSide that a GL limit may shrink).
class MipmapTexturesVisitor : public osg::NodeVisitor {
 public:
  static constexpr int kMaxSide = 8192;

  MipmapTexturesVisitor();

  void apply(osg::Node& node) override;

  int getNumMipmappedImages() const { return mipmappedImages_; }

 private:
  void prepare(osg::StateSet* stateSet);

  int mipmappedImages_ = 0;
};

}  // namespace viewer
}  // namespace qvx
