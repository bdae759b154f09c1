#pragma once

#include <QString>
#include <QtGlobal>

namespace scenefiles {

// What a scene file is, judged by its name; each kind has its own size limit.
enum class FileKind { IndexFile, TileFile, SceneFile, PlyMesh, ObjMesh, OtherFile };

FileKind fileKindOf(const QString& path);
QString kindName(FileKind kind);
// Whether the editor reads the file itself or only the helper's converted copy: the readers of
// foreign mesh formats keep damage from one file to the next (the fuzz program shows a PLY that
// passes in a fresh process and crashes the one that read an earlier file), and OpenSceneGraph's
// text formats read some damaged files differently from one process to the next (a .osg that one
// helper reads at once spins another, and the editor after it), so a helper's verdict says nothing
// about the editor's own read. Only OpenSceneGraph's binary formats are read in place.
bool readOnlyThroughCopy(const QString& path);
// Far beyond any plausible file of the kind: reading more would only exhaust memory.
qint64 sizeLimit(FileKind kind);

// Checks that are safe without reading the file: it must be a regular file (a FIFO would block
// its reader forever), not empty, and within the size limit of its kind. Empty when the file may
// go to a reader, otherwise a message naming the file.
QString precheck(const QString& path);

}  // namespace scenefiles
