#pragma once

#include <QString>

#include <vector>

namespace qvx {
namespace tool {

// A tile the operator edited and that now needs retexturing.
struct ModifiedTile {
  QString name;          // as the operator knows it, e.g. "Tile_0_0"
  QString nodeFileName;  // the file of the tile's scene node, relative to its root path; empty: no usable node
  QString rootPath;      // the tile folder, absolute
};

// Where the texturing tool learns which tiles were edited.
class ModifiedTilesSource {
 public:
  virtual ~ModifiedTilesSource() = default;
  // Throws std::runtime_error with a text for the operator when the tiles cannot be told.
  virtual std::vector<ModifiedTile> modifiedTiles() const = 0;
};

}  // namespace tool
}  // namespace qvx
