#include "resources/TileRootValues.h"

#include <osg/ValueObject>
#include <osg/Vec3f>

namespace MeshTree {

bool readVec3Value(const osg::Object& object, const std::string& name, osg::Vec3d& value) {
  if (object.getUserValue(name, value)) return true;
  osg::Vec3f single;
  if (!object.getUserValue(name, single)) return false;
  value = osg::Vec3d(single);
  return true;
}

bool readIntValue(const osg::Object& object, const std::string& name, int& value) {
  if (object.getUserValue(name, value)) return true;
  unsigned int unsignedValue = 0;
  if (!object.getUserValue(name, unsignedValue)) return false;
  value = static_cast<int>(unsignedValue);
  return true;
}

bool readTileBounds(const osg::Object& root, TileBounds& bounds) {
  return readVec3Value(root, "MinXYZ", bounds.minXYZ) && readVec3Value(root, "MaxXYZ", bounds.maxXYZ) &&
         readVec3Value(root, "OffsetXYZ", bounds.offset);
}

}  // namespace MeshTree
