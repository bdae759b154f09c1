#pragma once

#include <QString>

#include <functional>

#include "tools/frames/ModifiedTilesSource.h"

namespace qvx {
namespace tool {

// The tiles a tile list file names: UTF-8 text, one absolute path per line, each a tile folder or
// a tile root file "Tile_<x>_<y>/Tile_<x>_<y>.osgb"; blank lines are skipped. A listed file is the
// tile's node; a listed folder's node is the root file named after it, when that exists. Throws
// std::runtime_error naming the file (and the line) when the file cannot be read or a line is no
// absolute path.
std::vector<ModifiedTile> readTileList(const QString& listFile);

// The tile root file of a listed tile: its node file, else the root file named after its folder.
QString tileRootFile(const ModifiedTile& tile);

// The modified tiles named by the list file whose path `listFile` gives at the time of asking.
class ModifiedTilesListFile : public ModifiedTilesSource {
 public:
  explicit ModifiedTilesListFile(std::function<QString()> listFile) : m_listFile(std::move(listFile)) {}
  std::vector<ModifiedTile> modifiedTiles() const override { return readTileList(m_listFile()); }

 private:
  std::function<QString()> m_listFile;
};

}  // namespace tool
}  // namespace qvx
