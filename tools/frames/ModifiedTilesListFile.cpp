#include "tools/frames/ModifiedTilesListFile.h"

#include <QDir>
#include <QFileInfo>

#include <stdexcept>

#include "vx/SafeRead.h"

namespace qvx {
namespace tool {

namespace {
// A list of some hundred thousand tiles.
constexpr std::uint64_t kLargestList = std::uint64_t(64) << 20;
}  // namespace

std::vector<ModifiedTile> readTileList(const QString& listFile) {
  const QString file = QDir::toNativeSeparators(listFile);
  if (listFile.isEmpty()) throw std::runtime_error("No tile list file is given.");
  const QString text = QString::fromUtf8(
      QByteArray::fromStdString(vx::readRegularFile(listFile.toStdString(), kLargestList, "Tile list")));
  std::vector<ModifiedTile> tiles;
  const QStringList lines = text.split('\n');
  for (int i = 0; i < lines.size(); ++i) {
    QString line = lines[i];
    if (line.endsWith('\r')) line.chop(1);
    if (line.trimmed().isEmpty()) continue;
    if (!QDir::isAbsolutePath(line))
      throw std::runtime_error(
          QString("Tile list %1, line %2: \"%3\" is no absolute path.").arg(file).arg(i + 1).arg(line).toStdString());
    const QFileInfo listed(QDir::cleanPath(line));
    ModifiedTile tile;
    // A path that is gone is taken for a folder unless it ends in a file suffix.
    if (listed.isDir() || (!listed.exists() && listed.suffix().isEmpty())) {
      tile.rootPath = listed.absoluteFilePath();
      tile.name = listed.fileName();
      if (QFileInfo(QDir(tile.rootPath).filePath(tile.name + ".osgb")).isFile())
        tile.nodeFileName = tile.name + ".osgb";
    } else {
      tile.rootPath = listed.absolutePath();
      tile.name = QFileInfo(tile.rootPath).fileName();
      tile.nodeFileName = listed.fileName();
    }
    tiles.push_back(tile);
  }
  return tiles;
}

QString tileRootFile(const ModifiedTile& tile) {
  const QString file = tile.nodeFileName.isEmpty() ? tile.name + ".osgb" : tile.nodeFileName;
  return QDir(tile.rootPath).filePath(file);
}

}  // namespace tool
}  // namespace qvx
