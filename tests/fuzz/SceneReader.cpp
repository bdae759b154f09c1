#include "tests/fuzz/SceneReader.h"

#include <osgDB/ReadFile>
#include <osgDB/Registry>

namespace fuzz {

osg::ref_ptr<osg::Node> readSceneFile(const std::string& utf8Path) {
  return osgDB::readRefNodeFile(utf8Path, osgDB::Registry::instance()->getOptions());
}

}  // namespace fuzz
