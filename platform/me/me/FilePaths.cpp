#include "me/FilePaths.h"

#include <algorithm>

#include <osgDB/FileNameUtils>

namespace vx {
namespace me {

std::string joinDatabasePath(const std::string& databasePath, const std::string& fileName) {
  return osgDB::concatPaths(databasePath, fileName);
}

std::string backslashesToNative(const std::string& fileName) {
  std::string result = fileName;
  std::replace(result.begin(), result.end(), '\\', osgDB::getNativePathSeparator());
  return result;
}

}  // namespace me
}  // namespace vx
