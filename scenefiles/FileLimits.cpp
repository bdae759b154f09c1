#include "scenefiles/FileLimits.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace scenefiles {

namespace {

struct KindLimit {
  FileKind kind;
  const char* name;
  const char* plural;
  qint64 maxBytes;
};

constexpr qint64 kMiB = qint64(1) << 20;

// Generated index files hold one small node per tile; tiles hold one textured mesh with its levels.
constexpr std::array<KindLimit, 6> kLimits{{
    {FileKind::IndexFile, "index file", "index files", 256 * kMiB},
    {FileKind::TileFile, "tile file", "tile files", 1024 * kMiB},
    {FileKind::SceneFile, "scene file", "scene files", 2048 * kMiB},
    {FileKind::PlyMesh, "PLY mesh", "PLY meshes", 4096 * kMiB},
    {FileKind::ObjMesh, "OBJ mesh", "OBJ meshes", 4096 * kMiB},
    {FileKind::OtherFile, "file", "files", 4096 * kMiB},
}};

const KindLimit& limitOf(FileKind kind) {
  for (const KindLimit& limit : kLimits) {
    if (limit.kind == kind) return limit;
  }
  return kLimits.back();
}

QString sizeText(qint64 bytes) { return QString::number(bytes / kMiB) + " MB"; }

}  // namespace

FileKind fileKindOf(const QString& path) {
  const QFileInfo info(path);
  const QString suffix = info.suffix().toLower();
  if (suffix == "osgb" || suffix == "ive" || suffix == "osgt" || suffix == "osgx" || suffix == "osg") {
    if (info.fileName().compare("Mesh.osgb", Qt::CaseInsensitive) == 0) return FileKind::IndexFile;
    if (info.fileName().startsWith("Tile_") || info.dir().dirName().startsWith("Tile_")) return FileKind::TileFile;
    return FileKind::SceneFile;
  }
  if (suffix == "ply") return FileKind::PlyMesh;
  if (suffix == "obj") return FileKind::ObjMesh;
  return FileKind::OtherFile;
}

QString kindName(FileKind kind) { return QString::fromLatin1(limitOf(kind).name); }

bool readOnlyThroughCopy(const QString& path) {
  const FileKind kind = fileKindOf(path);
  if (kind == FileKind::PlyMesh || kind == FileKind::ObjMesh || kind == FileKind::OtherFile) return true;
  const QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == "osg" || suffix == "osgt" || suffix == "osgx";
}

qint64 sizeLimit(FileKind kind) { return limitOf(kind).maxBytes; }

QString precheck(const QString& path) {
  const QString shown = QDir::toNativeSeparators(path);
  // The helpers take one request a line, with a tab before a copy's path.
  if (path.contains('\n') || path.contains('\r') || path.contains('\t'))
    return "File name with a line break or tab can't be read: " + shown;
  const QFileInfo info(path);
  if (!info.exists()) return "File not found: " + shown;
  // QFileInfo follows links, so a link to a regular file passes and a link to a FIFO does not.
  if (!info.isFile()) return "Not a regular file, left out: " + shown;
  const FileKind kind = fileKindOf(path);
  if (info.size() == 0) return "Empty " + kindName(kind) + ", left out: " + shown;
  if (info.size() > sizeLimit(kind)) {
    return "File too large (" + QString::number(info.size()) + " bytes; the limit for " +
           QString::fromLatin1(limitOf(kind).plural) + " is " + sizeText(sizeLimit(kind)) + "), left out: " + shown;
  }
  return {};
}

}  // namespace scenefiles
