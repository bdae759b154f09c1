#include <limits>

#include <QTemporaryDir>
#include <QtTest>
#include <osg/Geode>

#include "tests/platform/me/TileFixtures.h"
#include "viewer/visitors/ViewerForceLODVisitor.h"

namespace {

constexpr float kLargestFloat = std::numeric_limits<float>::max();

void forceLOD(osg::Node& node) {
  qvx::viewer::ViewerForceLODVisitor visitor;
  node.accept(visitor);
}

}  // namespace

class ViewerForceLODVisitorTest : public QObject {
  Q_OBJECT

 private slots:
  void coarseLevelOfTheFirstPagedLODReachesAnyDistance() {
    osg::ref_ptr<osg::PagedLOD> inner = new osg::PagedLOD;
    inner->addChild(new osg::Geode, 10.0f, 20.0f);
    osg::ref_ptr<osg::PagedLOD> outer = new osg::PagedLOD;
    outer->addChild(inner, 100.0f, 500.0f);
    outer->setFileName(1, "fine.osgb");
    outer->setRange(1, 0.0f, 100.0f);
    osg::ref_ptr<osg::MatrixTransform> root = new osg::MatrixTransform;
    root->addChild(new osg::Group);
    root->getChild(0)->asGroup()->addChild(outer);

    forceLOD(*root);
    QCOMPARE(outer->getMinRange(0), 100.0f);
    QCOMPARE(outer->getMaxRange(0), kLargestFloat);
    QCOMPARE(outer->getMinRange(1), 0.0f);
    QCOMPARE(outer->getMaxRange(1), 100.0f);
    // Finer levels below keep their ranges.
    QCOMPARE(inner->getMinRange(0), 10.0f);
    QCOMPARE(inner->getMaxRange(0), 20.0f);
  }

  void loadedTileRootShowsItsCoarseLevel() {
    QTemporaryDir dir;
    QVERIFY(!metest::writeTileSet(dir.filePath("mesh")).isEmpty());
    osg::ref_ptr<osg::Node> tile = metest::loadLikeLoader(metest::tileRootPath(dir.filePath("mesh"), 0, 0));
    QVERIFY(tile);
    forceLOD(*tile);
    auto* levels = dynamic_cast<osg::PagedLOD*>(tile->asGroup()->getChild(0));
    QVERIFY(levels);
    QCOMPARE(levels->getMinRange(0), 0.0f);
    QCOMPARE(levels->getMaxRange(0), kLargestFloat);
    QCOMPARE(levels->getMinRange(1), 300.0f);
  }

  void degeneratePagedLODs() {
    osg::ref_ptr<osg::PagedLOD> empty = new osg::PagedLOD;
    forceLOD(*empty);
    QCOMPARE(empty->getNumRanges(), 0u);
    osg::ref_ptr<osg::PagedLOD> fileOnly = new osg::PagedLOD;
    fileOnly->setFileName(0, "Tile_0_0/Tile_0_0.osgb");
    forceLOD(*fileOnly);
    QCOMPARE(fileOnly->getNumRanges(), 1u);
    QCOMPARE(fileOnly->getMaxRange(0), kLargestFloat);
  }
};

QTEST_GUILESS_MAIN(ViewerForceLODVisitorTest)
#include "ViewerForceLODVisitorTest.moc"
