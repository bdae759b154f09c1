#include "resources/MeshTree.h"

#include <QEvent>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "resources/MeshTreeGroup.h"
#include "resources/MeshTreeItem.h"
#include "resources/ResourceTypes.h"

namespace MeshTree {

namespace {

bool isPolygonEntry(const QTreeWidgetItem* entry) {
  const auto* item = dynamic_cast<const Item*>(entry);
  return item && item->type() == Polygon;
}

}  // namespace

Tree::Tree(const QStringList& extensions, QWidget* parent)
    : QWidget(parent),
      verticalLayout_(new QVBoxLayout(this)),
      tree_(new QTreeWidget(this)),
      extensions_(extensions) {
  verticalLayout_->setObjectName("verticalLayout");
  verticalLayout_->setContentsMargins(0, 0, 0, 0);
  verticalLayout_->setSpacing(0);

  tree_->setObjectName("MeshTreeWidget");
  tree_->setColumnCount(1);
  auto* header = new QTreeWidgetItem;
  header->setText(0, "1");
  tree_->setHeaderItem(header);
  tree_->setHeaderHidden(true);
  tree_->setDragDropMode(QAbstractItemView::DragDrop);
  tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  tree_->setSelectionBehavior(QAbstractItemView::SelectItems);
  verticalLayout_->addWidget(tree_);

  tree_->installEventFilter(this);
  connect(tree_, &QTreeWidget::itemChanged, this, &Tree::on_tree_itemChanged);
}

void Tree::addGroups(const QList<Group*>& groups) {
  for (Group* group : groups) {
    if (!group || group->treeWidget()) continue;
    tree_->addTopLevelItem(group);
    if (group->type() == Polygon) group->setExpanded(true);
  }
  tree_->sortItems(0, Qt::AscendingOrder);
}

QList<Group*> Tree::groups() const {
  QList<Group*> result;
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
    if (auto* group = dynamic_cast<Group*>(tree_->topLevelItem(i))) result.append(group);
  }
  return result;
}

void Tree::removeSelectedItems() {
  // A selected group deletes its selected items with it, hence the guarded pointers.
  QList<QPointer<qvx::BaseTreeItem>> selected;
  for (QTreeWidgetItem* entry : tree_->selectedItems()) {
    if (auto* treeItem = dynamic_cast<qvx::BaseTreeItem*>(entry)) selected.append(treeItem);
  }
  if (selected.isEmpty()) return;
  for (const QPointer<qvx::BaseTreeItem>& entry : selected) {
    if (entry) removeEntry(entry);
  }
  emit signal_update(false);
}

void Tree::removeEntry(qvx::BaseTreeItem* entry) {
  if (auto* group = dynamic_cast<Group*>(entry)) {
    removeGroup(group);
  } else if (auto* item = dynamic_cast<Item*>(entry)) {
    removeItem(item);
  }
}

void Tree::removeItem(Item* item) {
  Group* group = item->group();
  if (item->type() == Polygon) {
    emit signal_removePolygon(item->node());
    // The digitization owns the polygon's place in the scene.
    item->releaseNode();
  } else {
    if (item->id() >= 0) emit signal_delete(item->id());
    item->detachNode();
  }
  delete item;
  if (group && group->childCount() == 0) delete group;
}

void Tree::removeGroup(Group* group) {
  for (Item* item : group->items()) {
    if (item->type() == Polygon) emit signal_removePolygon(item->node());
  }
  group->releaseNodes();
  delete group;
}

QList<Item*> Tree::polygonItems() const {
  QList<Item*> result;
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* top = tree_->topLevelItem(i);
    if (isPolygonEntry(top)) result.append(static_cast<Item*>(top));
    for (int j = 0; j < top->childCount(); ++j) {
      if (isPolygonEntry(top->child(j))) result.append(static_cast<Item*>(top->child(j)));
    }
  }
  return result;
}

void Tree::on_add(int ID, QString name) {
  auto* item = new Item(name, nullptr, ExternalEntry);
  item->setId(ID);
  tree_->addTopLevelItem(item);
}

void Tree::on_clear() {
  bool removed = false;
  for (int i = tree_->topLevelItemCount() - 1; i >= 0; --i) {
    QTreeWidgetItem* top = tree_->topLevelItem(i);
    if (qvx::BaseTreeItem::kindOf(top) == qvx::BaseTreeItem::kGroupKind && top->childCount() > 0 &&
        isPolygonEntry(top->child(0))) {
      slot_clearPolygons();
      removed = true;
      // Clearing the polygons may have removed entries anywhere; walk again from the end.
      i = tree_->topLevelItemCount();
      continue;
    }
    tree_->takeTopLevelItem(i);
    if (auto* group = dynamic_cast<Group*>(top)) {
      group->releaseNodes();
    } else if (auto* item = dynamic_cast<Item*>(top)) {
      if (item->id() >= 0) emit signal_delete(item->id());
      item->releaseNode();
    }
    delete top;
    removed = true;
  }
  if (removed) emit signal_update(false);
}

void Tree::slot_selectPolygon(osg::ref_ptr<osg::Node> polygon, bool append) {
  for (Item* item : polygonItems()) {
    if (item->node() != polygon.get()) continue;
    if (!append) tree_->clearSelection();
    item->setSelected(true);
    return;
  }
}

void Tree::slot_clearPolygons() {
  for (Item* item : polygonItems()) removeItem(item);
}

void Tree::on_tree_itemChanged(QTreeWidgetItem* entry, int column) {
  if (column != 0) return;
  auto* treeItem = dynamic_cast<qvx::BaseTreeItem*>(entry);
  if (!treeItem) return;
  treeItem->syncNameFromText();
  const bool checked = entry->checkState(0) == Qt::Checked;

  if (auto* group = dynamic_cast<Group*>(treeItem)) {
    group->applyShown(checked);
    // Unchecked items stay hidden whatever the group does.
    for (Item* item : group->items()) {
      if (item->checkState(0) == Qt::Checked) item->applyShown(checked);
    }
    return;
  }
  auto* item = dynamic_cast<Item*>(treeItem);
  if (!item) return;
  QTreeWidgetItem* parent = entry->parent();
  const bool wasShown = item->isShown();
  // Under an unchecked group only the check box remembers the change.
  if (!parent || parent->checkState(0) == Qt::Checked) item->applyShown(checked);
  if (item->id() >= 0 && item->isShown() != wasShown) {
    emit signal_state(item->id(), entry->checkState(0));
    emit signal_show(item->id(), item->isShown());
  }
}

void Tree::on_addGroup() {
  tree_->addTopLevelItem(new Group("Group", UserGroup, true));
}

bool Tree::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tree_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    emit signal_deleteSelectedItemsFromUI();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace MeshTree
