#pragma once

#include <QString>

namespace qvx {
namespace tool {

// A path typed or dropped into a path field, without a leading "file:///" (a dropped URL) and the
// surrounding blanks. On Windows the drive letter follows the prefix; elsewhere the root stays.
QString fieldPath(const QString& text);

// The folder a path field remembers for `path`: the path itself when it is a folder, else the
// folder it lies in (also for paths that do not exist yet).
QString folderOfPath(const QString& path);

}  // namespace tool
}  // namespace qvx
