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
  void coarseLevelReachesAnyDistance() {
    osg::ref_ptr<osg::PagedLOD> paged = new osg::PagedLOD;
    paged->addChild(new osg::Geode, 100.0f, 500.0f);
    paged->setFileName(1, "fine.osgb");
    paged->setRange(1, 0.0f, 100.0f);
    osg::ref_ptr<osg::MatrixTransform> root = new osg::MatrixTransform;
    osg::ref_ptr<osg::Group> group = new osg::Group;
    root->addChild(group);
    group->addChild(paged);

    forceLOD(*root);
    QCOMPARE(paged->getMinRange(0), 100.0f);
    QCOMPARE(paged->getMaxRange(0), kLargestFloat);
    QCOMPARE(paged->getMinRange(1), 0.0f);
    QCOMPARE(paged->getMaxRange(1), 100.0f);
  }

  void finerLevelsBelowAPagedLODKeepTheirRanges() {
    osg::ref_ptr<osg::PagedLOD> inner = new osg::PagedLOD;
    inner->addChild(new osg::Geode, 10.0f, 20.0f);
    osg::ref_ptr<osg::PagedLOD> outer = new osg::PagedLOD;
    outer->addChild(inner, 0.0f, 50.0f);

    forceLOD(*outer);
    QCOMPARE(outer->getMaxRange(0), kLargestFloat);
    QCOMPARE(inner->getMinRange(0), 10.0f);
    QCOMPARE(inner->getMaxRange(0), 20.0f);
  }

  void loadedTileRootShowsItsCoarseLevel() {
    QTemporaryDir dir;
    const QString mesh = dir.filePath("mesh");
    QVERIFY(!metest::writeTileSet(mesh).isEmpty());
    osg::ref_ptr<osg::Node> tile = metest::loadLikeLoader(metest::tileRootPath(mesh, 0, 0));
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
    QCOMPARE(fileOnly->getMinRange(0), 0.0f);
    QCOMPARE(fileOnly->getMaxRange(0), kLargestFloat);
  }
};

QTEST_GUILESS_MAIN(ViewerForceLODVisitorTest)
#include "ViewerForceLODVisitorTest.moc"
