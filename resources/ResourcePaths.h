#pragma once

#include <QString>

#include <string>

namespace MeshTree {

// A clean absolute-style path with native separators. Backslashes written by other producers are
// read as separators.
QString normalizedPath(const QString& path);
QString normalizedPath(const std::string& utf8Path);

// `folder` joined with `name` by exactly one native separator.
QString joinPath(const QString& folder, const QString& name);

// Whether `path` lies below `folder` once links and "." / ".." segments are resolved; the part of
// `path` that does not exist yet is taken as written. False for `folder` itself and when either
// cannot be resolved.
bool isInsideFolder(const QString& folder, const QString& path);

// Paths compared as file paths: separators and "." / ".." segments do not matter.
bool samePath(const QString& a, const QString& b);

}  // namespace MeshTree
