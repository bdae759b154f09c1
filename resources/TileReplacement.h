#pragma once

#include <QString>
#include <QStringList>

namespace MeshTree {

class Item;

// Paths of a tile list file: UTF-8, one path per line; blank lines are skipped. False when the
// file cannot be read.
bool readTileList(const QString& listFile, QStringList& paths);

// The tile that a listed path stands for. A path two folder levels below a folder named
// "Buffer_Tiles" (…/Buffer_Tiles/Tile_x_y/Tile_x_y.osgb) names the buffered copy of a tile; the
// tile itself is the same path without that folder.
QString listedTileFile(const QString& listedPath);

// Points the item's tile at `tileFile`, which must exist and read as a paged tile. The tile's
// loaded levels are dropped so the new file pages in. False with a message otherwise.
bool repointTile(Item& item, const QString& tileFile, QString& error);

}  // namespace MeshTree
