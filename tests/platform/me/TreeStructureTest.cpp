#include <QTemporaryDir>
#include <QtTest>
#include <osg/Geode>

#include "me/TreeStructure.h"
#include "tests/platform/me/TileFixtures.h"

using vx::me::DetectTreeStructureVisitor;
using vx::me::TreeStructure;

namespace {

TreeStructure detect(osg::Node* node) {
  DetectTreeStructureVisitor visitor;
  if (node) node->accept(visitor);
  return visitor.getTreeStructure();
}

osg::ref_ptr<osg::Group> groupOf(osg::Node* child) {
  osg::ref_ptr<osg::Group> group = new osg::Group;
  group->addChild(child);
  return group;
}

}  // namespace

class TreeStructureTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    meshFolder_ = dir_.filePath("mesh");
    indexPath_ = metest::writeTileSet(meshFolder_);
    QVERIFY(!indexPath_.isEmpty());
  }

  void tileFileNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isTile");
    QTest::newRow("relative") << "Tile_0_0/Tile_0_0.osgb" << true;
    QTest::newRow("absolute") << "/data/mesh/Tile_3_12/Tile_3_12.osgb" << true;
    QTest::newRow("backslash") << "Tile_0_0\\Tile_0_0.osgb" << true;
    QTest::newRow("windows absolute") << "C:\\mesh\\Tile_1_2\\Tile_1_2.osgt" << true;
    QTest::newRow("signed indices") << "Tile_+001_-002/Tile_+001_-002.osgb" << true;
    QTest::newRow("folder and file disagree") << "Tile_0_1/Tile_0_0.osgb" << false;
    QTest::newRow("no folder") << "Tile_0_0.osgb" << false;
    QTest::newRow("finer level") << "Tile_0_0/Tile_0_0_L1.osgb" << false;
    QTest::newRow("lower case") << "tile_0_0/tile_0_0.osgb" << false;
    QTest::newRow("no extension") << "Tile_0_0/Tile_0_0" << false;
    QTest::newRow("prefixed folder") << "xTile_0_0/Tile_0_0.osgb" << false;
    QTest::newRow("letters") << "Tile_a_b/Tile_a_b.osgb" << false;
    QTest::newRow("empty") << "" << false;
  }

  void tileFileNames() {
    QFETCH(QString, name);
    QFETCH(bool, isTile);
    QCOMPARE(vx::me::isTileFileName(name.toStdString()), isTile);
  }

  void indexFileIsTileMain() { QCOMPARE(detect(metest::loadLikeLoader(indexPath_)), vx::me::TileMain); }

  void indexWithBackslashNamesIsTileMain() {
    metest::TileSetOptions options;
    options.backslashes = true;
    const QString index = metest::writeTileSet(dir_.filePath("backslash"), options);
    QVERIFY(!index.isEmpty());
    QCOMPARE(detect(metest::loadLikeLoader(index)), vx::me::TileMain);
  }

  void tileRefsWithLoadedTilesStayTileMain() {
    // Below a tile reference lies the tile's own level tree, which says nothing about the index.
    osg::ref_ptr<osg::Node> index = metest::loadLikeLoader(indexPath_);
    osg::ref_ptr<osg::Node> tile = metest::loadLikeLoader(metest::tileRootPath(meshFolder_, 0, 0));
    index->asGroup()->getChild(0)->asGroup()->addChild(tile);
    QCOMPARE(detect(index), vx::me::TileMain);
  }

  void tileRootByAbsolutePathIsModelMain() {
    osg::ref_ptr<osg::Node> tile = metest::loadLikeLoader(metest::tileRootPath(meshFolder_, 1, 0));
    QVERIFY(dynamic_cast<osg::MatrixTransform*>(tile.get()));
    QCOMPARE(detect(tile), vx::me::ModelMain);
  }

  void singleLevelTileIsModelMain() {
    osg::ref_ptr<osg::MatrixTransform> root = new osg::MatrixTransform;
    root->addChild(new osg::Geode);
    const QString path = dir_.filePath("single/Tile_5_5/Tile_5_5.osgb");
    QVERIFY(metest::writeNode(*root, path));
    QCOMPARE(detect(metest::loadLikeLoader(path)), vx::me::ModelMain);
  }

  void tileRootWithoutAbsoluteNameIsForeign() {
    osg::ref_ptr<osg::Node> tile = metest::loadLikeLoader(metest::tileRootPath(meshFolder_, 0, 0));
    tile->setName("Tile_0_0/Tile_0_0.osgb");
    QCOMPARE(detect(tile), vx::me::ForeignPaged);
  }

  void transformRootOfOtherFileIsForeign() {
    const QString copy = dir_.filePath("model.osgb");
    QVERIFY(QFile::copy(metest::tileRootPath(meshFolder_, 0, 0), copy));
    QCOMPARE(detect(metest::loadLikeLoader(copy)), vx::me::ForeignPaged);
  }

  void tileRootBelowGroupIsForeign() {
    osg::ref_ptr<osg::Node> tile = metest::loadLikeLoader(metest::tileRootPath(meshFolder_, 0, 0));
    QCOMPARE(detect(groupOf(tile)), vx::me::ForeignPaged);
  }

  void foreignPagedFileIsForeign() {
    osg::ref_ptr<osg::PagedLOD> block = new osg::PagedLOD;
    block->addChild(new osg::Geode, 0.0f, 100.0f);
    block->setFileName(1, "data/block_a_level1.osgb");
    block->setRange(1, 100.0f, 1000.0f);
    const QString path = dir_.filePath("foreign/scene.osgb");
    QVERIFY(metest::writeNode(*groupOf(block), path));
    QCOMPARE(detect(metest::loadLikeLoader(path)), vx::me::ForeignPaged);
  }

  void tileRefsMixedWithOthersAreForeign() {
    osg::ref_ptr<osg::Group> index = new osg::Group;
    index->addChild(metest::makeTileReference("Tile_0_0/Tile_0_0.osgb"));
    index->addChild(metest::makeTileReference("blocks/block_a.osgb"));
    QCOMPARE(detect(index), vx::me::ForeignPaged);
  }

  void degeneratePagedLODIsForeign() { QCOMPARE(detect(groupOf(new osg::PagedLOD)), vx::me::ForeignPaged); }

  void plainFileHasNoPagedLOD() {
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(metest::makeQuad(osg::Vec3(), metest::Surface::Plain));
    const QString path = dir_.filePath("plain/plain.osgb");
    QVERIFY(metest::writeNode(*groupOf(geode), path));
    QCOMPARE(detect(metest::loadLikeLoader(path)), vx::me::NoPagedLOD);
  }

  void emptyScenesHaveNoPagedLOD() {
    const QString path = dir_.filePath("empty/empty.osgb");
    osg::ref_ptr<osg::Group> empty = new osg::Group;
    QVERIFY(metest::writeNode(*empty, path));
    QCOMPARE(detect(metest::loadLikeLoader(path)), vx::me::NoPagedLOD);
    QCOMPARE(detect(nullptr), vx::me::NoPagedLOD);
    QCOMPARE(detect(groupOf(new osg::Group)), vx::me::NoPagedLOD);
  }

 private:
  QTemporaryDir dir_;
  QString meshFolder_;
  QString indexPath_;
};

int runTreeStructureTests(int argc, char** argv) {
  TreeStructureTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "TreeStructureTest.moc"
