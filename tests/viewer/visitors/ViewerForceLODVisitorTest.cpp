#include <limits>

#include <QtTest>
#include <osg/Geode>
#include <osg/MatrixTransform>
#include <osg/PagedLOD>

#include "viewer/visitors/ViewerForceLODVisitor.h"

class ViewerForceLODVisitorTest : public QObject {
  Q_OBJECT

 private slots:
  void coarseLevelsReachAnyDistance() {
    const float largest = std::numeric_limits<float>::max();
    osg::ref_ptr<osg::PagedLOD> inner = new osg::PagedLOD;
    inner->addChild(new osg::Geode, 10.0f, 20.0f);
    osg::ref_ptr<osg::PagedLOD> outer = new osg::PagedLOD;
    outer->addChild(inner, 100.0f, 500.0f);
    outer->setFileName(1, "fine.osgb");
    outer->setRange(1, 0.0f, 100.0f);
    osg::ref_ptr<osg::PagedLOD> empty = new osg::PagedLOD, fileOnly = new osg::PagedLOD;
    fileOnly->setFileName(0, "Tile_0_0/Tile_0_0.osgb");
    osg::ref_ptr<osg::MatrixTransform> root = new osg::MatrixTransform;
    for (osg::Node* child : {outer.get(), empty.get(), fileOnly.get()}) root->addChild(child);

    qvx::viewer::ViewerForceLODVisitor visitor;
    root->accept(visitor);
    QCOMPARE(outer->getMinRange(0), 100.0f);
    QCOMPARE(outer->getMaxRange(0), largest);
    QCOMPARE(outer->getMaxRange(1), 100.0f);
    // Finer levels below keep their ranges.
    QCOMPARE(inner->getMaxRange(0), 20.0f);
    // Without any level there is nothing to force; a file alone becomes a level seen from anywhere.
    QCOMPARE(empty->getNumRanges(), 0u);
    QCOMPARE(fileOnly->getMinRange(0), 0.0f);
    QCOMPARE(fileOnly->getMaxRange(0), largest);
  }
};

QTEST_GUILESS_MAIN(ViewerForceLODVisitorTest)
#include "ViewerForceLODVisitorTest.moc"
