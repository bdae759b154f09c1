#include "tools/inputs/FieldPath.h"

#include <QFileInfo>

namespace qvx {
namespace tool {

QString fieldPath(const QString& text) {
  static const QString prefix = QStringLiteral("file:///");
  QString path = text.trimmed();
  if (!path.startsWith(prefix)) return path;
#ifdef Q_OS_WIN
  return path.mid(prefix.size());
#else
  return path.mid(prefix.size() - 1);
#endif
}

QString folderOfPath(const QString& path) {
  const QFileInfo info(path);
  return info.isDir() ? info.absoluteFilePath() : info.absolutePath();
}

}  // namespace tool
}  // namespace qvx
