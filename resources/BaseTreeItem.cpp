#include "resources/BaseTreeItem.h"

namespace qvx {

BaseTreeItem::BaseTreeItem(int kind) {
  setFlags(Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
  setCheckState(0, Qt::Checked);
  setData(1, Qt::DisplayRole, kind);
}

int BaseTreeItem::kindOf(const QTreeWidgetItem* entry) {
  return entry ? entry->data(1, Qt::DisplayRole).toInt() : 0;
}

void BaseTreeItem::setName(const std::string& name) {
  name_ = name;
  setText(0, QString::fromStdString(name));
}

void BaseTreeItem::syncNameFromText() { name_ = text(0).toStdString(); }

}  // namespace qvx
