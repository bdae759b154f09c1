#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>

#include <osg/Node>
#include <osg/ref_ptr>

class QVBoxLayout;

namespace qvx {
class BaseTreeItem;
}

namespace MeshTree {

class Group;
class Item;

// The side-panel tree of loaded resources. Check boxes show and hide the entries' nodes; the
// entries are owned by the tree widget once added.
class Tree : public QWidget {
  Q_OBJECT

 public:
  explicit Tree(const QStringList& extensions, QWidget* parent = nullptr);

  QTreeWidget* treeWidget() const { return tree_; }
  const QStringList& extensions() const { return extensions_; }

  // Adds groups as top-level entries (polygon groups expanded) and sorts the tree by column 0.
  void addGroups(const QList<Group*>& groups);
  // All groups of the tree, top-level order.
  QList<Group*> groups() const;
  // Removes the selected entries (a group with its items; an item, and its group when that is
  // left empty), then emits signal_update(false).
  void removeSelectedItems();

 signals:
  void signal_show(int ID, bool shown);
  void signal_delete(int ID);
  void signal_deleteSelectedItemsFromUI();
  void signal_state(int ID, int state);
  void signal_update(bool resetCamera = true);
  void signal_removePolygon(osg::ref_ptr<osg::Node> polygon);

 public slots:
  // Adds a top-level entry for an external resource identified by `ID`; its check state is
  // reported through signal_state and signal_show, its removal through signal_delete.
  void on_add(int ID, QString name);
  // Removes every entry (polygons from the digitization too) and emits signal_update(false)
  // when something was removed.
  void on_clear();
  void slot_selectPolygon(osg::ref_ptr<osg::Node> polygon, bool append);
  // Removes every polygon entry, emitting signal_removePolygon for each.
  void slot_clearPolygons();

 private slots:
  void on_tree_itemChanged(QTreeWidgetItem* item, int column);
  void on_addGroup();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Removes one entry; false when it was already gone.
  void removeEntry(qvx::BaseTreeItem* entry);
  void removeItem(Item* item);
  void removeGroup(Group* group);
  QList<Item*> polygonItems() const;

  QVBoxLayout* verticalLayout_;
  QTreeWidget* tree_;
  QStringList extensions_;
};

}  // namespace MeshTree
