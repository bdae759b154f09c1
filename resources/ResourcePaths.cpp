#include "resources/ResourcePaths.h"

#include <QDir>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace MeshTree {

QString normalizedPath(const QString& path) {
  QString slashed = path;
  slashed.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return QDir::toNativeSeparators(QDir::cleanPath(slashed));
}

QString normalizedPath(const std::string& utf8Path) {
  return normalizedPath(QString::fromUtf8(utf8Path.c_str()));
}

QString joinPath(const QString& folder, const QString& name) {
  if (folder.isEmpty()) return normalizedPath(name);
  return normalizedPath(folder + QLatin1Char('/') + name);
}

bool isInsideFolder(const QString& folder, const QString& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path base = fs::weakly_canonical(fs::u8path(folder.toStdString()), error);
  if (error || base.empty()) return false;
  const fs::path resolved = fs::weakly_canonical(fs::u8path(path.toStdString()), error);
  if (error) return false;
  // Component by component, so "/p/ab" is not taken to lie inside "/p/a".
  auto baseEnd = base.end();
  if (!base.has_filename()) --baseEnd;  // a trailing separator gives an empty last component
  const auto [inBase, inPath] = std::mismatch(base.begin(), baseEnd, resolved.begin(), resolved.end());
  return inBase == baseEnd && inPath != resolved.end();
}

bool samePath(const QString& a, const QString& b) {
  return !a.isEmpty() && normalizedPath(a) == normalizedPath(b);
}

}  // namespace MeshTree
