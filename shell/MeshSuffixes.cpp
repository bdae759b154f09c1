#include "shell/MeshSuffixes.h"

namespace qvx {

const QStringList& meshSuffixes() {
  // What the osgDB plug-ins read as a scene; "shp" is here because a shapefile named at start
  // shows as a mesh (dropped, it becomes correction polygons instead).
  static const QStringList suffixes{"osgb", "osgt", "osg", "ive", "ply", "obj", "dae", "stl", "shp"};
  return suffixes;
}

QString meshFileDialogFilter() {
  QStringList patterns, single;
  for (const QString& suffix : meshSuffixes()) {
    patterns << "*." + suffix;
    single << suffix + " (*." + suffix + ")";
  }
  return "All supported (" + patterns.join(' ') + ");;" + single.join(";;");
}

}  // namespace qvx
