#include "tools/frames/InputListChecks.h"

#include <QDir>

#include <stdexcept>

namespace qvx {
namespace tool {

void requireFolder(const QFileInfo& folder, const QString& message) {
  // An empty input would otherwise stand for the working folder.
  if (folder.filePath().isEmpty() || !QFileInfo(folder.absoluteFilePath()).isDir())
    throw std::runtime_error(message.toStdString());
}

QStringList missingLists(const QFileInfo& folder, const QStringList& lists) {
  if (folder.filePath().isEmpty()) return lists;
  const QDir dir(folder.absoluteFilePath());
  QStringList missing;
  for (const QString& list : lists)
    if (!QFileInfo(dir.filePath(list)).isFile()) missing << list;
  return missing;
}

}  // namespace tool
}  // namespace qvx
