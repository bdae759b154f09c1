#include <QSignalSpy>
#include <QtTest>

#include <cfloat>

#include <osg/MatrixTransform>

#include "me/ForceLODPagedLOD.h"
#include "resources/MeshTree.h"
#include "resources/MeshTreeGroup.h"
#include "resources/MeshTreeItem.h"
#include "resources/NodeVisibility.h"
#include "resources/ResourceTypes.h"

using MeshTree::Group;
using MeshTree::isNodeShown;
using MeshTree::Item;
using vx::me::forceLOD::ForceLODPagedLOD;

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

void setChecked(QTreeWidgetItem* entry, bool checked) { entry->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked); }

osg::Node* removedNode(const QSignalSpy& spy, int i) { return spy.at(i).at(0).value<osg::ref_ptr<osg::Node>>().get(); }

// A tile reference under /nowhere/mesh; with `root`, the tile root is paged in.
osg::ref_ptr<ForceLODPagedLOD> tileWith(osg::MatrixTransform* root) {
  osg::ref_ptr<osg::PagedLOD> source = new osg::PagedLOD;
  source->setDatabasePath("/nowhere/mesh/");
  source->setFileName(0, "Tile_0_0/Tile_0_0.osgb");
  source->setRange(0, 0.0f, FLT_MAX);
  osg::ref_ptr<ForceLODPagedLOD> lod = new ForceLODPagedLOD(*source);
  if (root) lod->addChild(root, 0.0f, FLT_MAX);
  return lod;
}

}  // namespace

class TreeTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { qRegisterMetaType<osg::ref_ptr<osg::Node>>(); }

  void addGroupsSortsAndExpandsPolygons() {
    MeshTree::Tree tree({});
    Group* polygons = polygonGroup(1);
    tree.addGroups({meshGroup("b.obj", 1), polygons, meshGroup("a.obj", 1)});
    QCOMPARE(tree.treeWidget()->topLevelItem(0)->text(0), QString("Polygons"));
    QCOMPARE(tree.treeWidget()->topLevelItem(1)->text(0), QString("a.obj"));
    QCOMPARE(tree.treeWidget()->topLevelItem(2)->text(0), QString("b.obj"));
    QVERIFY(polygons->isExpanded());
    QVERIFY(QMetaObject::invokeMethod(&tree, "on_addGroup"));
    QTreeWidgetItem* added = tree.treeWidget()->topLevelItem(3);
    QCOMPARE(added->text(0), QString("Group"));
    QVERIFY(added->flags() & Qt::ItemIsDropEnabled);
  }

  void checkedItemsOfCheckedGroupsAreShown() {
    MeshTree::Tree tree({});
    Group* group = meshGroup("g", 3);
    tree.addGroups({group});
    Item* kept = group->items().at(0);
    Item* unchecked = group->items().at(1);
    Item* late = group->items().at(2);  // checked again while its group is unchecked
    setChecked(unchecked, false);
    setChecked(late, false);
    QVERIFY(!isNodeShown(unchecked->node()));

    setChecked(group, false);
    QVERIFY(!isNodeShown(group->node()));
    QVERIFY(!isNodeShown(kept->node()) && !kept->isShown());
    setChecked(late, true);
    QVERIFY(!isNodeShown(late->node()) && !late->isShown());

    setChecked(group, true);
    QVERIFY(isNodeShown(group->node()));
    for (Item* item : {kept, late}) QVERIFY(isNodeShown(item->node()) && item->isShown());
    QVERIFY(!isNodeShown(unchecked->node()));
    QCOMPARE(unchecked->checkState(0), Qt::Unchecked);
  }

  void clearingRemovesPolygonsFromTheDigitization() {
    MeshTree::Tree tree({});
    Group* polygons = polygonGroup(2);
    osg::ref_ptr<osg::Node> first = polygons->items().at(0)->node();
    Group* meshes = meshGroup("mesh", 2);
    osg::ref_ptr<osg::Node> meshNode = meshes->node();
    tree.addGroups({meshes, polygons});
    QSignalSpy removed(&tree, &MeshTree::Tree::signal_removePolygon);
    QSignalSpy update(&tree, &MeshTree::Tree::signal_update);
    tree.slot_clearPolygons();
    QCOMPARE(removed.count(), 2);
    QCOMPARE(removedNode(removed, 0), first.get());
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 1);

    QPointer<Group> meshesGuard(meshes);
    tree.addGroups({polygonGroup(1)});
    const int updates = update.count();
    tree.on_clear();
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 0);
    QVERIFY(!meshesGuard);
    QCOMPARE(removed.count(), 3);
    QCOMPARE(meshNode->referenceCount(), 1);  // the tree no longer holds the nodes
    QCOMPARE(update.count(), updates + 1);
    QCOMPARE(update.last(), QVariantList({false}));
  }

  void removingSelectedItemsDropsEmptiedGroups() {
    MeshTree::Tree tree({});
    Group* group = meshGroup("g", 2);
    osg::ref_ptr<osg::Group> groupNode = group->node();
    tree.addGroups({group});
    QPointer<Group> guard(group);
    QSignalSpy update(&tree, &MeshTree::Tree::signal_update);
    group->items().at(0)->setSelected(true);
    tree.removeSelectedItems();
    QVERIFY(guard);
    QCOMPARE(groupNode->getNumChildren(), 1u);
    QCOMPARE(update.count(), 1);
    group->items().at(0)->setSelected(true);
    tree.removeSelectedItems();
    QVERIFY(!guard);
    QCOMPARE(groupNode->getNumChildren(), 0u);

    // A group selected together with its own items, and a polygon.
    Group* other = meshGroup("h", 2);
    Group* polygons = polygonGroup(1);
    osg::ref_ptr<osg::Node> polygon = polygons->items().at(0)->node();
    tree.addGroups({other, polygons});
    other->setSelected(true);
    other->items().at(1)->setSelected(true);
    polygons->items().at(0)->setSelected(true);
    QSignalSpy removed(&tree, &MeshTree::Tree::signal_removePolygon);
    tree.removeSelectedItems();
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 0);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removedNode(removed, 0), polygon.get());
  }

  void entriesAddedByIdReportStateAndRemoval() {
    MeshTree::Tree tree({});
    tree.on_add(7, "external");
    QTreeWidgetItem* entry = tree.treeWidget()->topLevelItem(0);
    QSignalSpy state(&tree, &MeshTree::Tree::signal_state);
    QSignalSpy show(&tree, &MeshTree::Tree::signal_show);
    QSignalSpy deleted(&tree, &MeshTree::Tree::signal_delete);
    setChecked(entry, false);
    QCOMPARE(state.count(), 1);
    QCOMPARE(state.at(0), QVariantList({7, int(Qt::Unchecked)}));
    QCOMPARE(show.count(), 1);
    QCOMPARE(show.at(0).at(1).toBool(), false);
    entry->setText(0, "renamed");
    QCOMPARE(state.count(), 1);
    entry->setSelected(true);
    QSignalSpy request(&tree, &MeshTree::Tree::signal_deleteSelectedItemsFromUI);
    QTest::keyClick(tree.treeWidget(), Qt::Key_Delete);
    QCOMPARE(request.count(), 1);
    QCOMPARE(deleted.count(), 0);  // the key only asks; the central widget decides
    tree.removeSelectedItems();
    QCOMPARE(deleted.count(), 1);
    QCOMPARE(deleted.at(0).at(0).toInt(), 7);
  }

  void tileQueriesReadTheTileRoot() {
    osg::ref_ptr<osg::MatrixTransform> root = new osg::MatrixTransform;
    root->setUserValue("EditState", 1);
    root->setUserValue("VEXALODVersion", 2);
    root->setUserValue("MinXYZ", osg::Vec3(0.0f, 0.0f, 10.0f));
    root->setUserValue("MaxXYZ", osg::Vec3(100.0f, 100.0f, 30.0f));
    root->setUserValue("OffsetXYZ", osg::Vec3d(500000.0, 5000000.0, 200.0));
    Item item("Tile_0_0.osgb", tileWith(root), MeshTree::VexaTiles);
    int state = -2, version = -2;
    QString error;
    QVERIFY(item.editState(state, error) && item.lodVersion(version, error));
    QCOMPARE(state, 1);
    QCOMPARE(version, 2);
    double low = 0.0, high = 0.0;
    QVERIFY(item.heightRange(low, high));
    QCOMPARE(low, 210.0);
    QCOMPARE(high, 230.0);
    QCOMPARE(item.tileRootPath(), QDir::toNativeSeparators("/nowhere/mesh/Tile_0_0"));

    Item bare("Tile_0_0.osgb", tileWith(new osg::MatrixTransform), MeshTree::VexaTiles);
    QVERIFY(bare.editState(state, error) && bare.lodVersion(version, error));
    QCOMPARE(state, -1);
    QCOMPARE(version, -1);
    osg::Vec3d minXYZ, maxXYZ, offset;
    QVERIFY(!bare.tileBounds(minXYZ, maxXYZ, offset));

    Item missing("Tile_0_0.osgb", tileWith(nullptr), MeshTree::VexaTiles);
    Item plain("mesh.obj", new osg::PagedLOD, MeshTree::PlainMesh);
    for (Item* without : {&missing, &plain}) {
      QVERIFY(!without->editState(state, error));
      QCOMPARE(error, QString("Can't check for edits since tile root couldn't be retrieved."));
      QVERIFY(!without->lodVersion(version, error));
      QCOMPARE(error, QString("Can't check LOD version since tile root couldn't be retrieved."));
    }
  }
};

QTEST_MAIN(TreeTest)
#include "TreeTest.moc"
