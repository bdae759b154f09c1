#pragma once

#include <QSignalSpy>
#include <QString>
#include <QStringList>

#include <functional>

#include <osg/Node>

namespace MeshTree {
class DataBase;
}

// Files on disk for the resource tests, written with the same osgDB plug-ins the loader reads.
namespace rtest {

// A real tiled mesh of 2 x 2 tiles with two levels in `meshFolder` (absent or empty); returns the
// path of its index Mesh.osgb. `forEditing` gives the tile roots "VEXALODVersion" 2.
QString writeTiledMesh(const QString& meshFolder, bool forEditing = true);
QString tileFile(const QString& meshFolder, int x, int y);

// A Wavefront OBJ of two triangles whose z runs from `zLow` to `zHigh`.
QString writeObj(const QString& path, double zLow, double zHigh);
// A file with a mesh suffix that no reader accepts.
QString writeGarbage(const QString& path);
bool writeNode(osg::Node& node, const QString& path);
// An index file of paged LODs with the given file names (database path left empty).
QString writeIndex(const QString& path, const QStringList& fileNames);

// Runs `start` and waits for the model's signal_loadingDone.
bool loadAndWait(MeshTree::DataBase& dataBase, const std::function<void()>& start);

}  // namespace rtest
