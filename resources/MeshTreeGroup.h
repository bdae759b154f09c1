#pragma once

#include <QList>
#include <QString>

#include <osg/Group>
#include <osg/ref_ptr>

#include "resources/BaseTreeItem.h"

namespace MeshTree {

class Item;

// A group of items. Its node collects the scene nodes of its items, so hiding it hides them all.
class Group : public qvx::BaseTreeItem {
  Q_OBJECT

 public:
  // `container`: the group's node merely collects its items and stands for no mesh file of its
  // own ("Non-VEXA Meshes", polygons, user groups). A tile group (false) stands for one mesh whose
  // index its node is, so it can be written out as that mesh's index file.
  Group(const QString& name, int type, bool container, osg::ref_ptr<osg::Group> node = nullptr);

  QString name() const { return QString::fromStdString(getName()); }
  osg::Group* node() const { return node_.get(); }
  int type() const { return type_; }
  bool flag() const { return container_; }

  // The tree structure of the file that created the group (TreeStructure of the mesh library).
  unsigned int treeStructure() const { return treeStructure_; }
  void setTreeStructure(unsigned int structure) { treeStructure_ = structure; }

  QList<Item*> items() const;
  Item* firstItem() const;
  void addItem(Item* item);

  // Shows or hides the group's node and records the state.
  void applyShown(bool shown);
  // Drops the group's and its items' nodes (clearing the tree).
  void releaseNodes();

 private:
  osg::ref_ptr<osg::Group> node_;
  int type_;
  bool container_;
  unsigned int treeStructure_ = 3;
};

}  // namespace MeshTree
