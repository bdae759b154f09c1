#pragma once

#include <QTreeWidget>
#include <QWidget>

namespace qvx {

// A panel around a QTreeWidget whose item handlers subclasses replace. The tree widget is created
// here; subclasses place it in their own layout.
class BaseTree : public QWidget {
  Q_OBJECT

 public:
  explicit BaseTree(QWidget* parent = nullptr);

  QTreeWidget* treeWidget() const { return tree_; }

 signals:
  void signal_update();

 public slots:
  virtual void on_itemDoubleClick(QTreeWidgetItem* item, int column);
  virtual void on_itemClicked(QTreeWidgetItem* item, int column);
  // Keeps the name of a renamed entry in step with its text.
  virtual void on_itemChanged(QTreeWidgetItem* item, int column);

 protected:
  QTreeWidget* tree_;
};

}  // namespace qvx
