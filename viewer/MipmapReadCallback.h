#pragma once

#include <string>

#include <osg/ref_ptr>
#include <osgDB/Registry>

namespace qvx {
namespace viewer {

// Runs MipmapTexturesVisitor over every node file read through the registry, so the database
// pager's and the resource loader's threads build the mipmaps of tile textures. Otherwise the
// driver generates them when the texture is first drawn, on the GUI thread, which on software
// rasterizers costs more than drawing the frame.
class MipmapReadCallback : public osgDB::Registry::ReadFileCallback {
 public:
  // `next` is the callback that was installed before, if any; reads go through it.
  explicit MipmapReadCallback(osg::ref_ptr<osgDB::Registry::ReadFileCallback> next = nullptr);

  osgDB::ReaderWriter::ReadResult readNode(const std::string& fileName, const osgDB::Options* options) override;

  // Installs the callback in the registry once; later calls keep it.
  static void install();

 private:
  osg::ref_ptr<osgDB::Registry::ReadFileCallback> next_;
};

}  // namespace viewer
}  // namespace qvx
