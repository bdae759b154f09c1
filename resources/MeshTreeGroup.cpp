#include "resources/MeshTreeGroup.h"

#include "resources/MeshTreeItem.h"
#include "resources/NodeVisibility.h"

namespace MeshTree {

Group::Group(const QString& name, int type, bool container, osg::ref_ptr<osg::Group> node)
    : qvx::BaseTreeItem(kGroupKind), node_(std::move(node)), type_(type), container_(container) {
  setFlags(Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDropEnabled |
           Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
  setName(name.toStdString());
}

QList<Item*> Group::items() const {
  QList<Item*> result;
  for (int i = 0; i < childCount(); ++i) {
    if (auto* item = dynamic_cast<Item*>(child(i))) result.append(item);
  }
  return result;
}

Item* Group::firstItem() const {
  for (int i = 0; i < childCount(); ++i) {
    if (auto* item = dynamic_cast<Item*>(child(i))) return item;
  }
  return nullptr;
}

void Group::addItem(Item* item) { addChild(item); }

void Group::applyShown(bool shown) {
  setShown(shown);
  setNodeShown(node_.get(), shown);
}

void Group::releaseNodes() {
  for (Item* item : items()) item->releaseNode();
  node_ = nullptr;
}

}  // namespace MeshTree
