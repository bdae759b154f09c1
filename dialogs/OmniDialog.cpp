#include "dialogs/OmniDialog.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

omniDialog::omniDialog(const QString& startDirectory, const QString& title, const QStringList& nameFilters,
                       QWidget* parent)
    : QDialog(parent),
      folders_(new QFileSystemModel(this)),
      entries_(new QFileSystemModel(this)),
      folderView_(new QTreeView(this)),
      entryView_(new QListView(this)),
      name_(new QLineEdit(this)),
      extra_(new QVBoxLayout) {
  setModal(true);
  setMinimumSize(800, 500);
  setWindowTitle(title.isEmpty() ? QStringLiteral("Select file or folder") : title);
  const QString start = !startDirectory.isEmpty() && QDir(startDirectory).exists() ? startDirectory : QDir::homePath();

  folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  folders_->setRootPath(QString());
  folderView_->setModel(folders_);
  for (int column = 1; column < folders_->columnCount(); ++column) folderView_->hideColumn(column);
  folderView_->setHeaderHidden(true);

  entries_->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot);
  entries_->setNameFilters(nameFilters);
  entries_->setNameFilterDisables(false);
  entryView_->setModel(entries_);

  auto* browser = new QHBoxLayout;
  browser->addWidget(folderView_, 1);
  browser->addWidget(entryView_, 4);

  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(new QLabel(QStringLiteral("File/Folder name:"), this));
  nameRow->addWidget(name_);
  auto* ok = new QPushButton(QStringLiteral("Ok"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  nameRow->addWidget(ok);
  nameRow->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(browser);
  layout->addLayout(extra_);
  layout->addLayout(nameRow);

  connect(folderView_, &QTreeView::clicked, this, [this](const QModelIndex& index) {
    const QString path = folders_->filePath(index);
    showFolder(path);
    name_->setText(path + QLatin1Char('/'));
  });
  connect(entryView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) {
            const QFileInfo info = entries_->fileInfo(index);
            name_->setText(info.absoluteFilePath() + (info.suffix().isEmpty() ? QStringLiteral("/") : QString()));
          });
  connect(entryView_, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
    if (entries_->isDir(index)) showFolder(entries_->filePath(index));
  });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &omniDialog::reject);

  showFolder(start);
  folderView_->setCurrentIndex(folders_->index(start));
}

void omniDialog::showFolder(const QString& path) {
  entryView_->setRootIndex(entries_->setRootPath(path));
}

void omniDialog::reject() {
  cancelled_ = true;
  name_->clear();
  QDialog::reject();
}
