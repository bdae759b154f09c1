#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <cfloat>

#include <osg/MatrixTransform>
#include <osg/PagedLOD>

#include "ResourceFixtures.h"
#include "me/ForceLODPagedLOD.h"
#include "resources/BaseTree.h"
#include "resources/BaseTreeItem.h"
#include "resources/MeshTree.h"
#include "resources/MeshTreeGroup.h"
#include "resources/MeshTreeItem.h"
#include "resources/NodeVisibility.h"
#include "resources/ResourceTypes.h"

using MeshTree::Group;
using MeshTree::Item;

Q_DECLARE_METATYPE(osg::ref_ptr<osg::Node>)

namespace {

// A mesh group whose items' nodes sit in the group's node, as the model builds them.
Group* meshGroup(const QString& name, int items) {
  auto* group = new Group(name, MeshTree::PlainMesh, true, new osg::Group);
  for (int i = 0; i < items; ++i) {
    osg::ref_ptr<osg::Node> node = new osg::Group;
    group->node()->addChild(node.get());
    group->addItem(new Item(QString("item%1").arg(i), node, MeshTree::PlainMesh));
  }
  return group;
}

Group* polygonGroup(int polygons) {
  auto* group = new Group("Polygons", MeshTree::Polygon, true);
  for (int i = 0; i < polygons; ++i) group->addItem(new Item("Polygon", new osg::Group, MeshTree::Polygon));
  return group;
}

void setChecked(QTreeWidgetItem* entry, bool checked) {
  entry->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

// A tile's paged LOD with a loaded tile root carrying the given user values.
osg::ref_ptr<vx::me::forceLOD::ForceLODPagedLOD> tileWithRoot(bool withValues) {
  osg::ref_ptr<osg::PagedLOD> source = new osg::PagedLOD;
  source->setDatabasePath("/nowhere/mesh/");
  source->setFileName(0, "Tile_0_0/Tile_0_0.osgb");
  source->setRange(0, 0.0f, FLT_MAX);
  osg::ref_ptr<vx::me::forceLOD::ForceLODPagedLOD> lod = new vx::me::forceLOD::ForceLODPagedLOD(*source);
  osg::ref_ptr<osg::MatrixTransform> root = new osg::MatrixTransform;
  if (withValues) {
    root->setUserValue("EditState", 1);
    root->setUserValue("VEXALODVersion", 2);
    root->setUserValue("MinXYZ", osg::Vec3(0.0f, 0.0f, 10.0f));
    root->setUserValue("MaxXYZ", osg::Vec3(100.0f, 100.0f, 30.0f));
    root->setUserValue("OffsetXYZ", osg::Vec3d(500000.0, 5000000.0, 200.0));
  }
  lod->addChild(root.get(), 0.0f, FLT_MAX);
  return lod;
}

class RecordingTree : public qvx::BaseTree {
 public:
  using qvx::BaseTree::BaseTree;
  void on_itemClicked(QTreeWidgetItem* item, int column) override {
    clicked = item;
    clickedColumn = column;
  }
  QTreeWidgetItem* clicked = nullptr;
  int clickedColumn = -1;
};

}  // namespace

class TreeTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { qRegisterMetaType<osg::ref_ptr<osg::Node>>(); }

  void baseItemStartsCheckedWithKindInColumnOne() {
    qvx::BaseTreeItem item;
    QCOMPARE(item.flags(), Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    QCOMPARE(item.checkState(0), Qt::Checked);
    QCOMPARE(item.data(1, Qt::DisplayRole).toInt(), 1);
    QVERIFY(item.isActive());
    QVERIFY(item.isShown());
    item.setName("pt");
    QCOMPARE(item.text(0), QString("pt"));

    Group group("g", MeshTree::UserGroup, true);
    QCOMPARE(qvx::BaseTreeItem::kindOf(&group), 2);
    QVERIFY(group.isGroup());
  }

  void baseTreeDispatchesToOverriddenHandlersAndForwardsContextMenu() {
    RecordingTree tree;
    auto* item = new qvx::BaseTreeItem;
    item->setName("before");
    tree.treeWidget()->addTopLevelItem(item);
    emit tree.treeWidget()->itemClicked(item, 0);
    QCOMPARE(tree.clicked, item);
    QCOMPARE(tree.clickedColumn, 0);

    item->setText(0, "after");
    QCOMPARE(item->getName(), std::string("after"));

    QSignalSpy menu(&tree, &QWidget::customContextMenuRequested);
    emit tree.treeWidget()->customContextMenuRequested(QPoint(3, 4));
    QCOMPARE(menu.count(), 1);
    QCOMPARE(menu.at(0).at(0).toPoint(), QPoint(3, 4));
  }

  void treeWidgetIsSetUpAsTheResourcePanel() {
    MeshTree::Tree tree({"obj", "osgb"});
    QTreeWidget* widget = tree.findChild<QTreeWidget*>("MeshTreeWidget");
    QVERIFY(widget);
    QCOMPARE(widget->columnCount(), 1);
    QCOMPARE(widget->headerItem()->text(0), QString("1"));
    QVERIFY(widget->isHeaderHidden());
    QCOMPARE(widget->dragDropMode(), QAbstractItemView::DragDrop);
    QCOMPARE(widget->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(widget->selectionBehavior(), QAbstractItemView::SelectItems);
    auto* layout = tree.findChild<QVBoxLayout*>("verticalLayout");
    QVERIFY(layout);
    QCOMPARE(layout->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(layout->spacing(), 0);
    QCOMPARE(tree.extensions(), QStringList({"obj", "osgb"}));
  }

  void addGroupAppendsACheckedDropTarget() {
    MeshTree::Tree tree({});
    QVERIFY(QMetaObject::invokeMethod(&tree, "on_addGroup"));
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 1);
    QTreeWidgetItem* group = tree.treeWidget()->topLevelItem(0);
    QCOMPARE(group->text(0), QString("Group"));
    QCOMPARE(qvx::BaseTreeItem::kindOf(group), 2);
    QCOMPARE(group->checkState(0), Qt::Checked);
    QCOMPARE(group->flags(), Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDropEnabled |
                                 Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
  }

  void addGroupsSortsAndExpandsPolygons() {
    MeshTree::Tree tree({});
    Group* polygons = polygonGroup(1);
    tree.addGroups({meshGroup("b.obj", 1), polygons, meshGroup("a.obj", 1)});
    QCOMPARE(tree.treeWidget()->topLevelItem(0)->text(0), QString("Polygons"));
    QCOMPARE(tree.treeWidget()->topLevelItem(1)->text(0), QString("a.obj"));
    QCOMPARE(tree.treeWidget()->topLevelItem(2)->text(0), QString("b.obj"));
    QVERIFY(polygons->isExpanded());
    QCOMPARE(tree.groups().size(), 3);
  }

  void uncheckingAGroupHidesItsItemsAndCheckingShowsOnlyCheckedOnes() {
    MeshTree::Tree tree({});
    Group* group = meshGroup("g", 2);
    tree.addGroups({group});
    Item* kept = group->items().at(0);
    Item* unchecked = group->items().at(1);

    setChecked(unchecked, false);
    QVERIFY(!MeshTree::isNodeShown(unchecked->node()));

    setChecked(group, false);
    QVERIFY(!MeshTree::isNodeShown(group->node()));
    QVERIFY(!MeshTree::isNodeShown(kept->node()));
    QVERIFY(!kept->isShown());

    setChecked(group, true);
    QVERIFY(MeshTree::isNodeShown(group->node()));
    QVERIFY(MeshTree::isNodeShown(kept->node()));
    QVERIFY(!MeshTree::isNodeShown(unchecked->node()));
    QCOMPARE(unchecked->checkState(0), Qt::Unchecked);
  }

  void checkingAnItemUnderAnUncheckedGroupWaitsForTheGroup() {
    MeshTree::Tree tree({});
    Group* group = meshGroup("g", 1);
    tree.addGroups({group});
    Item* item = group->items().at(0);
    setChecked(item, false);
    setChecked(group, false);

    setChecked(item, true);
    QVERIFY(!MeshTree::isNodeShown(item->node()));
    QVERIFY(!item->isShown());

    setChecked(group, true);
    QVERIFY(MeshTree::isNodeShown(item->node()));
    QVERIFY(item->isShown());
  }

  void clearingRemovesPolygonsFromTheDigitization() {
    MeshTree::Tree tree({});
    Group* polygons = polygonGroup(2);
    osg::ref_ptr<osg::Node> first = polygons->items().at(0)->node();
    osg::ref_ptr<osg::Node> second = polygons->items().at(1)->node();
    Group* meshes = meshGroup("mesh", 2);
    osg::ref_ptr<osg::Node> meshNode = meshes->node();
    tree.addGroups({meshes, polygons});

    QSignalSpy removed(&tree, &MeshTree::Tree::signal_removePolygon);
    QSignalSpy update(&tree, &MeshTree::Tree::signal_update);
    QPointer<Group> meshesGuard(meshes);
    tree.on_clear();

    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 0);
    QVERIFY(!meshesGuard);
    QCOMPARE(removed.count(), 2);
    QCOMPARE(removed.at(0).at(0).value<osg::ref_ptr<osg::Node>>().get(), first.get());
    QCOMPARE(removed.at(1).at(0).value<osg::ref_ptr<osg::Node>>().get(), second.get());
    // The tree no longer holds the nodes: only this test does.
    QCOMPARE(meshNode->referenceCount(), 1);
    QCOMPARE(update.count(), 1);
    QCOMPARE(update.at(0).at(0).toBool(), false);
  }

  void clearPolygonsKeepsMeshes() {
    MeshTree::Tree tree({});
    tree.addGroups({meshGroup("mesh", 1), polygonGroup(3)});
    QSignalSpy removed(&tree, &MeshTree::Tree::signal_removePolygon);
    tree.slot_clearPolygons();
    QCOMPARE(removed.count(), 3);
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 1);
    QCOMPARE(tree.treeWidget()->topLevelItem(0)->text(0), QString("mesh"));
  }

  void removingTheLastItemOfAGroupRemovesTheGroup() {
    MeshTree::Tree tree({});
    Group* group = meshGroup("g", 2);
    osg::ref_ptr<osg::Group> groupNode = group->node();
    tree.addGroups({group});
    QPointer<Group> guard(group);
    QSignalSpy update(&tree, &MeshTree::Tree::signal_update);

    group->items().at(0)->setSelected(true);
    tree.removeSelectedItems();
    QVERIFY(guard);
    QCOMPARE(group->childCount(), 1);
    QCOMPARE(groupNode->getNumChildren(), 1u);
    QCOMPARE(update.count(), 1);
    QCOMPARE(update.at(0).at(0).toBool(), false);

    group->items().at(0)->setSelected(true);
    tree.removeSelectedItems();
    QVERIFY(!guard);
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 0);
    QCOMPARE(groupNode->getNumChildren(), 0u);
    QCOMPARE(update.count(), 2);
  }

  void removingAGroupTogetherWithItsSelectedItems() {
    MeshTree::Tree tree({});
    Group* group = meshGroup("g", 2);
    Group* polygons = polygonGroup(1);
    osg::ref_ptr<osg::Node> polygon = polygons->items().at(0)->node();
    tree.addGroups({group, polygons});
    group->setSelected(true);
    group->items().at(1)->setSelected(true);
    polygons->items().at(0)->setSelected(true);
    QSignalSpy removed(&tree, &MeshTree::Tree::signal_removePolygon);

    tree.removeSelectedItems();
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 0);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(0).value<osg::ref_ptr<osg::Node>>().get(), polygon.get());
  }

  void deleteKeyAsksForRemoval() {
    MeshTree::Tree tree({});
    tree.addGroups({meshGroup("g", 1)});
    QSignalSpy request(&tree, &MeshTree::Tree::signal_deleteSelectedItemsFromUI);
    QTest::keyClick(tree.treeWidget(), Qt::Key_Delete);
    QCOMPARE(request.count(), 1);
    // The request alone removes nothing; the central widget decides.
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 1);
  }

  void entriesAddedByIdReportStateAndRemoval() {
    MeshTree::Tree tree({});
    tree.on_add(7, "external");
    QTreeWidgetItem* entry = tree.treeWidget()->topLevelItem(0);
    QCOMPARE(entry->text(0), QString("external"));
    QSignalSpy state(&tree, &MeshTree::Tree::signal_state);
    QSignalSpy show(&tree, &MeshTree::Tree::signal_show);
    QSignalSpy deleted(&tree, &MeshTree::Tree::signal_delete);

    setChecked(entry, false);
    QCOMPARE(state.count(), 1);
    QCOMPARE(state.at(0).at(0).toInt(), 7);
    QCOMPARE(state.at(0).at(1).toInt(), int(Qt::Unchecked));
    QCOMPARE(show.count(), 1);
    QCOMPARE(show.at(0).at(1).toBool(), false);
    entry->setText(0, "renamed");
    QCOMPARE(state.count(), 1);

    entry->setSelected(true);
    tree.removeSelectedItems();
    QCOMPARE(deleted.count(), 1);
    QCOMPARE(deleted.at(0).at(0).toInt(), 7);
  }

  void selectPolygonSelectsItsEntry() {
    MeshTree::Tree tree({});
    Group* polygons = polygonGroup(2);
    tree.addGroups({polygons});
    Item* first = polygons->items().at(0);
    Item* second = polygons->items().at(1);

    tree.slot_selectPolygon(first->node(), false);
    QVERIFY(first->isSelected());
    tree.slot_selectPolygon(second->node(), false);
    QVERIFY(!first->isSelected());
    QVERIFY(second->isSelected());
    tree.slot_selectPolygon(first->node(), true);
    QVERIFY(first->isSelected());
    QVERIFY(second->isSelected());
  }

  void tileQueriesReadTheTileRoot() {
    Item item("Tile_0_0.osgb", tileWithRoot(true), MeshTree::VexaTiles);
    int state = -2;
    int version = -2;
    QString error;
    QVERIFY(item.editState(state, error));
    QCOMPARE(state, 1);
    QVERIFY(item.lodVersion(version, error));
    QCOMPARE(version, 2);
    osg::Vec3d minXYZ, maxXYZ, offset;
    QVERIFY(item.tileBounds(minXYZ, maxXYZ, offset));
    QCOMPARE(maxXYZ, osg::Vec3d(100.0, 100.0, 30.0));
    QCOMPARE(offset, osg::Vec3d(500000.0, 5000000.0, 200.0));
    double low = 0.0, high = 0.0;
    QVERIFY(item.heightRange(low, high));
    QCOMPARE(low, 210.0);
    QCOMPARE(high, 230.0);
    QCOMPARE(item.tileRootPath(), QDir::toNativeSeparators("/nowhere/mesh/Tile_0_0"));

    Item bare("Tile_0_0.osgb", tileWithRoot(false), MeshTree::VexaTiles);
    QVERIFY(bare.editState(state, error));
    QCOMPARE(state, -1);
    QVERIFY(bare.lodVersion(version, error));
    QCOMPARE(version, -1);
    QVERIFY(!bare.tileBounds(minXYZ, maxXYZ, offset));
  }

  void tileQueriesWithoutATileRootReportTheirErrors() {
    // Not paged in and no file on disk.
    osg::ref_ptr<vx::me::forceLOD::ForceLODPagedLOD> lod = tileWithRoot(true);
    lod->removeChildren(0, lod->getNumChildren());
    Item missing("Tile_0_0.osgb", lod, MeshTree::VexaTiles);
    // A plain mesh has no tile root at all.
    Item plain("mesh.obj", new osg::PagedLOD, MeshTree::PlainMesh);
    for (Item* item : {&missing, &plain}) {
      int value = 0;
      QString error;
      QVERIFY(!item->editState(value, error));
      QCOMPARE(error, QString("Can't check for edits since tile root couldn't be retrieved."));
      QVERIFY(!item->lodVersion(value, error));
      QCOMPARE(error, QString("Can't check LOD version since tile root couldn't be retrieved."));
    }
  }

  void tileQueriesReadTilesThatAreNotPagedInFromDisk() {
    QTemporaryDir dir;
    const QString mesh = dir.filePath("mesh");
    rtest::writeTiledMesh(mesh, true);
    osg::ref_ptr<osg::PagedLOD> source = new osg::PagedLOD;
    source->setDatabasePath(mesh.toStdString() + "/");
    source->setFileName(0, "Tile_1_0/Tile_1_0.osgb");
    Item item("Tile_1_0.osgb", new vx::me::forceLOD::ForceLODPagedLOD(*source), MeshTree::VexaTiles);
    int version = 0;
    QString error;
    QVERIFY2(item.lodVersion(version, error), qPrintable(error));
    QCOMPARE(version, 2);
    osg::Vec3d minXYZ, maxXYZ, offset;
    QVERIFY(item.tileBounds(minXYZ, maxXYZ, offset));
    QVERIFY(minXYZ.z() <= maxXYZ.z());
  }
};

QTEST_MAIN(TreeTest)
#include "TreeTest.moc"
