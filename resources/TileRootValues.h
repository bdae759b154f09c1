#pragma once

#include <string>

#include <osg/Object>
#include <osg/Vec3d>

namespace MeshTree {

// User values of a tile root. Producers store vectors as Vec3d or Vec3f and integers signed or
// unsigned; both forms are accepted.
bool readVec3Value(const osg::Object& object, const std::string& name, osg::Vec3d& value);
bool readIntValue(const osg::Object& object, const std::string& name, int& value);

// "MinXYZ", "MaxXYZ" (tile coordinates) and "OffsetXYZ" (world offset) of a tile root.
struct TileBounds {
  osg::Vec3d minXYZ;
  osg::Vec3d maxXYZ;
  osg::Vec3d offset;
};
bool readTileBounds(const osg::Object& root, TileBounds& bounds);

}  // namespace MeshTree
