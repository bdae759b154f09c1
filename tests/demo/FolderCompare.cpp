#include "FolderCompare.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>

QStringList filesBelow(const QString& folder) {
  QStringList files;
  const QDir root(folder);
  QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) files << root.relativeFilePath(it.next());
  files.sort();
  return files;
}

namespace {

QByteArray normalized(const QString& file, const QString& root) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
  QByteArray bytes = f.readAll();
  if (file.endsWith(".txt") || file.endsWith(".vpr")) bytes.replace(QDir(root).absolutePath().toUtf8(), "<ROOT>");
  return bytes;
}

}  // namespace

QStringList differingFiles(const QString& folderA, const QString& folderB) {
  const QStringList a = filesBelow(folderA);
  const QStringList b = filesBelow(folderB);
  QSet<QString> all(a.begin(), a.end());
  for (const QString& f : b) all.insert(f);
  QStringList differing;
  for (const QString& f : all) {
    if (!a.contains(f) || !b.contains(f) ||
        normalized(folderA + "/" + f, folderA) != normalized(folderB + "/" + f, folderB))
      differing << f;
  }
  differing.sort();
  return differing;
}
