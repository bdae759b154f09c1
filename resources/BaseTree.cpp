#include "resources/BaseTree.h"

#include "resources/BaseTreeItem.h"

namespace qvx {

BaseTree::BaseTree(QWidget* parent) : QWidget(parent), tree_(new QTreeWidget(this)) {
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(tree_, &QTreeWidget::itemDoubleClicked, this, &BaseTree::on_itemDoubleClick);
  connect(tree_, &QTreeWidget::itemClicked, this, &BaseTree::on_itemClicked);
  connect(tree_, &QTreeWidget::itemChanged, this, &BaseTree::on_itemChanged);
  connect(tree_, &QWidget::customContextMenuRequested, this, &QWidget::customContextMenuRequested);
}

// Clicks mean nothing to a plain tree; subclasses give them a meaning.
void BaseTree::on_itemDoubleClick(QTreeWidgetItem*, int) {}
void BaseTree::on_itemClicked(QTreeWidgetItem*, int) {}

void BaseTree::on_itemChanged(QTreeWidgetItem* item, int column) {
  if (column != 0) return;
  if (auto* entry = dynamic_cast<BaseTreeItem*>(item)) entry->syncNameFromText();
}

}  // namespace qvx
