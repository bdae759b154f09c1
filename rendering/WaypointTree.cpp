#include "rendering/WaypointTree.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "rendering/RenderDialogs.h"
#include "rendering/WaypointItem.h"
#include "rendering/WaypointList.h"

namespace qvx {

namespace {

QPushButton* makeButton(QWidget* parent, const char* text, const char* tooltip, const char* icon) {
  auto* button = new QPushButton(QString::fromLatin1(text), parent);
  button->setToolTip(QString::fromLatin1(tooltip));
  button->setIcon(QIcon(QString::fromLatin1(icon)));
  button->setIconSize(QSize(20, 20));
  button->setFixedSize(30, 30);
  return button;
}

}  // namespace

WaypointTree::WaypointTree(QWidget* parent) : BaseTree(parent), speed_(new QSpinBox(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Animation waypoints"), this));

  auto* edit = new QToolButton(this);
  edit->setText(QStringLiteral("Edit"));
  edit->setPopupMode(QToolButton::InstantPopup);
  auto* editMenu = new QMenu(edit);
  QMenu* fileMenu = editMenu->addMenu(QStringLiteral("File"));
  fileMenu->setToolTipsVisible(true);
  QAction* save = fileMenu->addAction(QStringLiteral("Save path to file"), this, &WaypointTree::on_savePath);
  save->setToolTip(QStringLiteral("Save current waypoints to file."));
  QAction* load = fileMenu->addAction(QStringLiteral("Load path from file"), this, &WaypointTree::on_loadPath);
  load->setToolTip(QStringLiteral("Load waypoints from file."));
  QAction* clear = fileMenu->addAction(QStringLiteral("Clear Path"), this, &WaypointTree::on_clearPath);
  clear->setToolTip(QStringLiteral("Delete all waypoints"));
  edit->setMenu(editMenu);
  layout->addWidget(edit);

  // One column of names: Qt's default header would only show "1".
  tree_->setHeaderHidden(true);
  layout->addWidget(tree_);

  auto* buttons = new QHBoxLayout;
  QPushButton* add = makeButton(this, "+", "Add current view as waypoint", ":/img/images/VEXAZoomIn.png");
  QPushButton* remove = makeButton(this, "-", "Delete marked waypoint", ":/img/images/VEXAZoomOut.png");
  QPushButton* play = makeButton(this, ">", "Play animation", ":/img/images/VEXAPlay.png");
  QPushButton* stop = makeButton(this, "[]", "stop animation", ":/img/images/VEXAStop.png");
  speed_->setRange(1, 400);
  speed_->setSingleStep(5);
  speed_->setSuffix(QStringLiteral("%"));
  speed_->setValue(100);
  speed_->setToolTip(QStringLiteral("Set animation speed"));
  QPushButton* screenshot = makeButton(this, "[*]", "Record screenshot", ":/img/images/VEXACamera.png");
  QPushButton* record = makeButton(this, "[o]", "Record animation", ":/img/images/VEXARecord.png");
  for (QWidget* widget : {static_cast<QWidget*>(add), static_cast<QWidget*>(remove), static_cast<QWidget*>(play),
                          static_cast<QWidget*>(stop), static_cast<QWidget*>(speed_),
                          static_cast<QWidget*>(screenshot), static_cast<QWidget*>(record)})
    buttons->addWidget(widget);
  layout->addLayout(buttons);

  connect(add, &QPushButton::clicked, this, &WaypointTree::on_addWaypoint);
  connect(remove, &QPushButton::clicked, this, &WaypointTree::on_deleteWaypoint);
  connect(play, &QPushButton::clicked, this, &WaypointTree::on_playAnimation);
  connect(stop, &QPushButton::clicked, this, &WaypointTree::signal_stopAnimationPlayback);
  connect(speed_, QOverload<int>::of(&QSpinBox::valueChanged), this,
          &WaypointTree::signal_modifyAnimationPlaybackSpeed);
  connect(screenshot, &QPushButton::clicked, this, &WaypointTree::on_screenshotRequested);
  connect(record, &QPushButton::clicked, this, &WaypointTree::on_recordingRequested);
  setMode(0);
}

WaypointTree::~WaypointTree() {
  // The waypoints belong to the list; the tree widget must not delete them with itself.
  while (tree_->topLevelItemCount() > 0) tree_->takeTopLevelItem(tree_->topLevelItemCount() - 1);
}

void WaypointTree::setMode(int mode) {
  if (mode == 0 || mode == 1)
    setEnabled(true);
  else if (mode == 2)
    setEnabled(false);
}

std::shared_ptr<WaypointItem> WaypointTree::addWaypoint(WaypointList& list, const osg::Matrixd& viewMatrix,
                                                        const std::string& name) {
  auto waypoint = std::make_shared<WaypointItem>(viewMatrix, name);
  waypoint->setActive(true);
  tree_->addTopLevelItem(waypoint.get());
  list.append(waypoint);
  return waypoint;
}

void WaypointTree::addWaypoints(WaypointList& list, const std::vector<WaypointRecord>& records) {
  for (const WaypointRecord& record : records) addWaypoint(list, record.viewMatrix, record.name);
}

void WaypointTree::on_savePath() {
  const QString file = QFileDialog::getSaveFileName(nullptr, QStringLiteral("Save File"), QDir::homePath());
  if (!file.isEmpty()) emit signal_saveAnimationPath(file);
}

void WaypointTree::on_loadPath() {
  const QString file = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Load File"), QDir::homePath());
  if (!file.isEmpty()) emit signal_loadAnimationPath(file);
}

void WaypointTree::takeOut(QTreeWidgetItem* item) {
  if (auto* waypoint = dynamic_cast<WaypointItem*>(item)) waypoint->setActive(false);
  if (QTreeWidgetItem* parent = item->parent())
    parent->removeChild(item);
  else
    tree_->takeTopLevelItem(tree_->indexOfTopLevelItem(item));
}

void WaypointTree::on_clearPath() {
  for (int i = tree_->topLevelItemCount() - 1; i >= 0; --i) takeOut(tree_->topLevelItem(i));
  emit signal_update();
}

void WaypointTree::on_addWaypoint() { emit signal_requestWaypoint(); }

void WaypointTree::on_deleteWaypoint() {
  QTreeWidgetItem* current = tree_->currentItem();
  if (current && BaseTreeItem::kindOf(current) == BaseTreeItem::kItemKind) takeOut(current);
  emit signal_update();
}

void WaypointTree::on_playAnimation() { emit signal_startAnimationPlayback(); }

void WaypointTree::on_itemDoubleClick(QTreeWidgetItem* item, int) {
  if (auto* waypoint = dynamic_cast<WaypointItem*>(item)) waypoint->setJumpRequested(true);
  emit signal_update();
}

void WaypointTree::on_itemClicked(QTreeWidgetItem*, int) { qDebug() << "clicked 2"; }

void WaypointTree::on_recordingRequested() {
  if (tree_->topLevelItemCount() < 2) {
    if (showTimedMessage) showTimedMessage(QString::fromLatin1(kNotEnoughWaypoints), kNotEnoughWaypointsMs);
    return;
  }
  if (!askYesNo || !askYesNo(QString::fromLatin1(kLongRenderQuestion))) return;
  AnimationRenderDialog dialog;
  dialog.exec();
  if (!dialog.file().isEmpty()) emit signal_renderAnimation(dialog.file(), dialog.framerate(), dialog.duration());
}

void WaypointTree::on_screenshotRequested() {
  ScreenshotRenderDialog dialog;
  dialog.exec();
  const QString file = dialog.screenshotFile();
  if (!file.isEmpty()) emit signal_saveScreenshot(file, dialog.imageWidth(), dialog.imageHeight());
}

}  // namespace qvx
