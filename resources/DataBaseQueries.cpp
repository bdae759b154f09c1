// What the viewer, the central widget and the editing tools ask of the loaded resources.
#include "resources/DataBase.h"

#include <algorithm>

#include "resources/MeshTreeGroup.h"
#include "resources/MeshTreeItem.h"
#include "resources/ResourceTypes.h"
#include "resources/TileBoundsReader.h"
#include "resources/TileReplacement.h"

namespace MeshTree {

QList<Group*> DataBase::groups() const {
  QList<Group*> result;
  for (const QPointer<Group>& group : groups_) {
    if (group) result.append(group.data());
  }
  return result;
}

QList<Group*> DataBase::takeNewGroups() {
  QList<Group*> result;
  for (const QPointer<Group>& group : newGroups_) {
    if (group) result.append(group.data());
  }
  newGroups_.clear();
  return result;
}

Item* DataBase::addPolygon(osg::ref_ptr<osg::Node> polygon) {
  Group* group = nullptr;
  for (Group* candidate : groups()) {
    if (candidate->type() == Polygon) group = candidate;
  }
  if (!group) {
    group = new Group("Polygons", Polygon, true);
    groups_.append(group);
    newGroups_.append(group);
  }
  auto* item = new Item("Polygon", polygon, Polygon);
  group->addItem(item);
  return item;
}

osg::ref_ptr<osg::Node> DataBase::sceneData() const {
  osg::ref_ptr<osg::Group> root = new osg::Group;
  for (Group* group : groups()) {
    if (group->type() != Polygon && group->node()) root->addChild(group->node());
  }
  return root;
}

bool DataBase::heightRange(float& minHeight, float& maxHeight) const {
  bool found = false;
  double low = 0.0, high = 0.0;
  for (Group* group : groups()) {
    if (group->type() == Polygon) continue;
    for (Item* item : group->items()) {
      double itemLow = 0.0, itemHigh = 0.0;
      if (!item->heightRange(itemLow, itemHigh)) continue;
      low = found ? std::min(low, itemLow) : itemLow;
      high = found ? std::max(high, itemHigh) : itemHigh;
      found = true;
    }
  }
  if (found) {
    minHeight = static_cast<float>(low);
    maxHeight = static_cast<float>(high);
  }
  return found;
}

void DataBase::readMissingTileBounds() {
  QStringList files;
  for (Group* group : groups()) {
    for (Item* item : group->items()) {
      if (item->needsTileBounds()) files.append(item->tileFilePath());
    }
  }
  if (!files.isEmpty()) boundsReader_->read(files);
}

void DataBase::on_tileBoundsRead(const QMap<QString, TileBounds>& read) {
  bool applied = false;
  for (Group* group : groups()) {
    for (Item* item : group->items()) {
      const auto found = read.find(item->tileFilePath());
      if (found == read.end() || !item->needsTileBounds()) continue;
      item->setTileBounds(found.key(), found.value());
      applied = true;
    }
  }
  if (applied) emit signal_heightRangeChanged();
}

bool DataBase::hasData() const {
  for (Group* group : groups()) {
    if (group->type() != Polygon && group->firstItem()) return true;
  }
  return false;
}

QStringList DataBase::loadedFiles() const {
  QStringList files;
  for (Group* group : groups()) {
    for (Item* item : group->items()) {
      const QString& file = item->source().loadedFile;
      if (!file.isEmpty() && !files.contains(file)) files.append(file);
    }
  }
  return files;
}

QStringList DataBase::fileSuffixes() const {
  QStringList suffixes;
  for (const QString& file : loadedFiles()) {
    const QString suffix = QFileInfo(file).suffix();
    if (!suffixes.contains(suffix)) suffixes.append(suffix);
  }
  return suffixes;
}

int DataBase::replaceTiles(const QString& listFile) {
  QStringList listed;
  if (!readTileList(listFile, listed)) {
    emit signal_error("Couldn't read the list of reprocessed tiles: " + listFile);
    return 0;
  }
  int replaced = 0;
  QStringList failures;
  for (const QString& entry : listed) {
    const QString tileFile = listedTileFile(entry);
    const QString tileName = QFileInfo(tileFile).fileName();
    for (Group* group : groups()) {
      for (Item* item : group->items()) {
        if (!item->tileLOD() || QFileInfo(item->source().filePath).fileName() != tileName) continue;
        QString error;
        if (repointTile(*item, tileFile, error)) {
          ++replaced;
        } else if (!failures.contains(error)) {
          failures.append(error);
        }
      }
    }
  }
  if (!failures.isEmpty()) emit signal_error("Some reprocessed tiles couldn't be shown:\n" + failures.join("\n"));
  if (replaced > 0) readMissingTileBounds();
  return replaced;
}

}  // namespace MeshTree
