#include <QTemporaryDir>
#include <QtTest>
#include <osg/Geode>

#include "me/TreeStructure.h"
#include "tests/platform/me/TileFixtures.h"

using metest::groupOf;
using metest::loadLikeLoader;

namespace {

vx::me::TreeStructure detect(osg::Node* node) {
  vx::me::DetectTreeStructureVisitor visitor;
  if (node) node->accept(visitor);
  return visitor.getTreeStructure();
}

}  // namespace

class TreeStructureTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString mesh_;

 private slots:
  void initTestCase() {
    mesh_ = dir_.filePath("mesh");
    metest::writeTileSet(mesh_);
  }

  void tileFileNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isTile");
    QTest::newRow("absolute") << "/data/mesh/Tile_3_12/Tile_3_12.osgb" << true;
    QTest::newRow("windows absolute") << "C:\\mesh\\Tile_1_2\\Tile_1_2.osgt" << true;
    QTest::newRow("signed indices") << "Tile_+001_-002/Tile_+001_-002.osgb" << true;
    QTest::newRow("folder and file disagree") << "Tile_0_1/Tile_0_0.osgb" << false;
    QTest::newRow("no folder") << "Tile_0_0.osgb" << false;
    QTest::newRow("finer level") << "Tile_0_0/Tile_0_0_L1.osgb" << false;
    QTest::newRow("lower case") << "tile_0_0/tile_0_0.osgb" << false;
    QTest::newRow("prefixed folder") << "xTile_0_0/Tile_0_0.osgb" << false;
    QTest::newRow("empty") << "" << false;
  }
  void tileFileNames() {
    QFETCH(QString, name);
    QFETCH(bool, isTile);
    QCOMPARE(vx::me::isTileFileName(name.toStdString()), isTile);
  }

  void tileMain() {
    osg::ref_ptr<osg::Node> index = loadLikeLoader(mesh_ + "/Mesh.osgb");
    QCOMPARE(detect(index), vx::me::TileMain);
    QCOMPARE(detect(groupOf(metest::makeTileReference("Tile_0_0\\Tile_0_0.osgb"))), vx::me::TileMain);
    // A paged-in tile below its reference says nothing about the index.
    index->asGroup()->getChild(0)->asGroup()->addChild(loadLikeLoader(metest::tileRootPath(mesh_, 0, 0)));
    QCOMPARE(detect(index), vx::me::TileMain);
  }

  void modelMain() {
    QCOMPARE(detect(loadLikeLoader(metest::tileRootPath(mesh_, 1, 0))), vx::me::ModelMain);
    osg::ref_ptr<osg::MatrixTransform> singleLevel = new osg::MatrixTransform;
    singleLevel->addChild(new osg::Geode);
    const QString path = dir_.filePath("single/Tile_5_5/Tile_5_5.osgb");
    QVERIFY(metest::writeNode(*singleLevel, path));
    QCOMPARE(detect(loadLikeLoader(path)), vx::me::ModelMain);
  }

  void foreignPaged() {
    osg::ref_ptr<osg::Node> unnamed = loadLikeLoader(metest::tileRootPath(mesh_, 0, 0));
    unnamed->setName("Tile_0_0/Tile_0_0.osgb");
    QCOMPARE(detect(unnamed), vx::me::ForeignPaged);
    const QString copy = dir_.filePath("model.osgb");
    QVERIFY(QFile::copy(metest::tileRootPath(mesh_, 0, 0), copy));
    QCOMPARE(detect(loadLikeLoader(copy)), vx::me::ForeignPaged);
    QCOMPARE(detect(groupOf(loadLikeLoader(metest::tileRootPath(mesh_, 0, 0)))), vx::me::ForeignPaged);
    osg::ref_ptr<osg::Group> mixed = groupOf(metest::makeTileReference("Tile_0_0/Tile_0_0.osgb"));
    mixed->addChild(metest::makeTileReference("blocks/block_a.osgb"));
    QCOMPARE(detect(mixed), vx::me::ForeignPaged);
    QCOMPARE(detect(groupOf(new osg::PagedLOD)), vx::me::ForeignPaged);
  }

  void noPagedLOD() {
    QVERIFY(metest::writeNode(*groupOf(new osg::Geode), dir_.filePath("plain/plain.osgb")));
    QCOMPARE(detect(loadLikeLoader(dir_.filePath("plain/plain.osgb"))), vx::me::NoPagedLOD);
    QCOMPARE(detect(nullptr), vx::me::NoPagedLOD);
  }
};

QTEST_GUILESS_MAIN(TreeStructureTest)
#include "TreeStructureTest.moc"
