#include "viewer/MipmapReadCallback.h"

#include <mutex>

#include "viewer/visitors/MipmapTexturesVisitor.h"

namespace qvx {
namespace viewer {

MipmapReadCallback::MipmapReadCallback(osg::ref_ptr<osgDB::Registry::ReadFileCallback> next)
    : next_(std::move(next)) {}

osgDB::ReaderWriter::ReadResult MipmapReadCallback::readNode(const std::string& fileName,
                                                             const osgDB::Options* options) {
  osgDB::ReaderWriter::ReadResult result =
      next_ ? next_->readNode(fileName, options) : ReadFileCallback::readNode(fileName, options);
  if (osg::Node* node = result.getNode()) {
    MipmapTexturesVisitor visitor;
    node->accept(visitor);
  }
  return result;
}

void MipmapReadCallback::install() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    osgDB::Registry* registry = osgDB::Registry::instance();
    registry->setReadFileCallback(new MipmapReadCallback(registry->getReadFileCallback()));
  });
}

}  // namespace viewer
}  // namespace qvx
