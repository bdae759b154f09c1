#pragma once

#include <string>

#include <osg/ref_ptr>
#include <osgDB/Registry>

namespace scenefiles {

// Registry read-file callback that asks the installed SceneFileGuard before a node file reaches
// a reader; files it finds bad are answered with an error instead. Other reads pass through.
class GuardReadCallback : public osgDB::Registry::ReadFileCallback {
 public:
  explicit GuardReadCallback(osg::ref_ptr<osgDB::Registry::ReadFileCallback> next);

  osgDB::ReaderWriter::ReadResult readNode(const std::string& fileName, const osgDB::Options* options) override;

 private:
  osg::ref_ptr<osgDB::Registry::ReadFileCallback> next_;
};

}  // namespace scenefiles
