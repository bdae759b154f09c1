#pragma once

#include <string>

#include <osg/Node>
#include <osg/ref_ptr>

namespace fuzz {

// Reads a scene file exactly as the editor's resource loader does: osgDB::readRefNodeFile through
// the registry with the registry's options, behind the scene-file guard the editor installs. Every scene reader of the fuzz program goes through
// here, so a change of the loader's read entry is followed in this one place.
osg::ref_ptr<osg::Node> readSceneFile(const std::string& utf8Path);

}  // namespace fuzz
