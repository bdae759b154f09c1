#include "rendering/ScreenshotFileName.h"

#include <QDir>
#include <QFileInfo>

namespace qvx {

QString screenshotFileFor(const QString& typed, const QDateTime& now) {
  if (typed.isEmpty()) return {};
  const QFileInfo info(typed);
  if (info.isDir())
    return QDir(typed).filePath(QStringLiteral("Screenshot_") + now.toString(QStringLiteral("yy-MM-dd-hh-mm-ss")) +
                                QStringLiteral(".bmp"));
  if (info.isFile() && info.suffix() != QLatin1String("bmp"))
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".bmp"));
  return typed;
}

}  // namespace qvx
