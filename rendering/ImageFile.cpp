#include "rendering/ImageFile.h"

#include <QDir>
#include <QFileInfo>

#include <osgDB/Registry>
#include <osgDB/WriteFile>

namespace qvx {

QString writeImageFile(const osg::Image& image, const QString& file) {
  const QString shown = QDir::toNativeSeparators(file);
  const QFileInfo info(file);
  if (!info.absoluteDir().exists())
    return QStringLiteral("Could not write the image \"%1\": its folder does not exist.").arg(shown);
  const std::string suffix = info.suffix().toLower().toStdString();
  if (suffix.empty() || !osgDB::Registry::instance()->getReaderWriterForExtension(suffix))
    return QStringLiteral("Could not write the image \"%1\": no image format is known for its suffix.").arg(shown);
  if (!QFileInfo(info.absolutePath()).isWritable())
    return QStringLiteral("Could not write the image \"%1\": its folder cannot be written.").arg(shown);
  if (!osgDB::writeImageFile(image, QFile::encodeName(file).toStdString(),
                             osgDB::Registry::instance()->getOptions()))
    return QStringLiteral("Could not write the image \"%1\".").arg(shown);
  return {};
}

}  // namespace qvx
