#pragma once

#include <QDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QTreeView>
#include <QVBoxLayout>

// A small modal chooser of a file or folder: folders on the left, the entries of the current
// folder on the right and the chosen name below; the render dialogs add their settings to it.
class omniDialog : public QDialog {
  Q_OBJECT

 public:
  omniDialog(const QString& startDirectory, const QString& title, const QStringList& nameFilters,
             QWidget* parent = nullptr);

  // The name in the line edit; empty when the dialog was cancelled.
  QString text() const { return name_->text(); }
  bool isCancelled() const { return cancelled_; }

 protected:
  // Where subclasses put their settings, between the browser and the name row.
  QVBoxLayout* extraLayout() const { return extra_; }
  void reject() override;

 private:
  void showFolder(const QString& path);

  QFileSystemModel* folders_;
  QFileSystemModel* entries_;
  QTreeView* folderView_;
  QListView* entryView_;
  QLineEdit* name_;
  QVBoxLayout* extra_;
  bool cancelled_ = false;
};
