#include "resources/ResourcePaths.h"

#include <QDir>

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

bool samePath(const QString& a, const QString& b) {
  return !a.isEmpty() && normalizedPath(a) == normalizedPath(b);
}

}  // namespace MeshTree
