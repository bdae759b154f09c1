#include "stations/OrientationListLoader.h"

#include <QDir>
#include <QFileInfo>

#include "tasks/Task.h"

namespace qvx {
namespace osgcam {

namespace {

// A file that is no list at all can name thousands of missing files; the first ones tell.
constexpr int kListedErrors = 20;

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
  const std::string list = QDir::toNativeSeparators(listPath).toUtf8().toStdString();
  std::vector<vx::OrientationListEntry> entries;
  try {
    entries = vx::listedOrientationFiles(list);
  } catch (const std::exception& error) {
    result.errors << QString::fromUtf8(error.what());
    return result;
  }
  const QDir folder = QFileInfo(listPath).absoluteDir();
  int failed = 0;
  for (const vx::OrientationListEntry& entry : entries) {
    try {
      const vx::ImageOrientation orientation = vx::readListedOrientation(list, entry);
      result.images.photoPaths.push_back(photoBesideList(folder, orientation.imageName()).toUtf8().toStdString());
      result.images.orientations.push_back(orientation);
      result.images.selected.push_back(true);
    } catch (const std::exception& error) {
      if (++failed <= kListedErrors) result.errors << QString::fromUtf8(error.what());
    }
  }
  if (failed > kListedErrors) {
    result.errors << QString("%1 more entries of the orientation list %2 could not be read.")
                         .arg(failed - kListedErrors)
                         .arg(QDir::toNativeSeparators(listPath));
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
