#pragma once

#include <QObject>
#include <QTreeWidgetItem>

#include <string>

namespace qvx {

// An entry of the editor's tree panels. Column 1 carries the entry's kind under the display role,
// so code that only holds a QTreeWidgetItem can tell items from groups without casting.
class BaseTreeItem : public QObject, public QTreeWidgetItem {
  Q_OBJECT

 public:
  static constexpr int kItemKind = 1;
  static constexpr int kGroupKind = 2;

  explicit BaseTreeItem(int kind = kItemKind);

  // Kind code of any tree entry (0 for entries that carry none).
  static int kindOf(const QTreeWidgetItem* entry);
  int kind() const { return kindOf(this); }
  bool isGroup() const { return kind() == kGroupKind; }

  bool isActive() const { return active_; }
  void setActive(bool active) { active_ = active; }

  // Whether the entry's content is currently shown; the owning tree keeps it up to date.
  bool isShown() const { return shown_; }
  void setShown(bool shown) { shown_ = shown; }

  const std::string& getName() const { return name_; }
  // Also the text of column 0.
  void setName(const std::string& name);
  // Takes the name back from column 0 after the user renamed the entry.
  void syncNameFromText();

 private:
  bool active_ = true;
  bool shown_ = true;
  std::string name_;
};

}  // namespace qvx
