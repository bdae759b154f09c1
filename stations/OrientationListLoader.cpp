#include "stations/OrientationListLoader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTextStream>
#include <QThreadPool>
#include <QtConcurrent>

#include "tasks/Task.h"

namespace qvx {
namespace osgcam {

namespace {

QString photoBesideList(const QDir& listFolder, const std::string& imageName) {
  const QString name = QString::fromStdString(imageName);
  const QString beside = QDir::cleanPath(listFolder.filePath(name));
  const QString inImages = QDir::cleanPath(listFolder.filePath(QStringLiteral("../Images/Color/") + name));
  const QString found = !QFileInfo::exists(beside) && QFileInfo::exists(inImages) ? inImages : beside;
  return QDir::toNativeSeparators(found);
}

}  // namespace

OrientationListRead readOrientationListEntries(const QString& listPath) {
  OrientationListRead result;
  QFile file(listPath);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    result.errors << QString("Cannot open the orientation list %1: %2").arg(listPath, file.errorString());
    return result;
  }
  const QDir folder = QFileInfo(listPath).absoluteDir();
  QTextStream in(&file);
  in.setCodec("UTF-8");
  int lineNumber = 0;
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    ++lineNumber;
    if (line.isEmpty() || line.startsWith('#')) continue;
    const QString entry = QDir::cleanPath(folder.filePath(line));
    try {
      const vx::ImageOrientation orientation = vx::ImageOrientation::readFile(entry.toUtf8().toStdString());
      result.images.photoPaths.push_back(photoBesideList(folder, orientation.imageName()).toUtf8().toStdString());
      result.images.orientations.push_back(orientation);
      result.images.selected.push_back(true);
    } catch (const std::exception& error) {
      result.errors << QString("Orientation list %1, line %2: %3")
                           .arg(QDir::toNativeSeparators(listPath))
                           .arg(lineNumber)
                           .arg(QString::fromUtf8(error.what()));
    }
  }
  return result;
}

void loadOrientationListInBackground(const QString& listPath, QObject* context,
                                     std::function<void(const OrientationListRead&)> done) {
  tasks::run<OrientationListRead>(
      context, [listPath](tasks::Feedback&) { return readOrientationListEntries(listPath); }, std::move(done));
}

}  // namespace osgcam
}  // namespace qvx
