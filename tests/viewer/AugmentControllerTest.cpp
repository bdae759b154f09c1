#include <QtTest>

#include "viewer/AugmentController.h"
#include "viewer/ViewerMath.h"

namespace {

bool isBelow(osg::Node* node, osg::Node* ancestor) {
  for (const osg::NodePath& path : node->getParentalNodePaths())
    if (std::find(path.begin(), path.end(), ancestor) != path.end()) return true;
  return false;
}

}  // namespace

class AugmentControllerTest : public QObject {
  Q_OBJECT

 private slots:
  void boundingBoxesByFileStayOutOfPickingAndBounds() {
    AugmentController controller;
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    scene->addChild(controller.root());
    const QFileInfo file("/data/mesh/Tile_0_0/Tile_0_0.osgb");
    controller.slot_showBoundingBox(osg::Vec3(0, 0, 0), osg::Vec3(10, 10, 10), osg::Vec3d(100, 0, 0), file);
    osg::ref_ptr<vx::me::rendering::BoundingBoxAugment> box = controller.boundingBox(file);
    QVERIFY(box && box->isShown() && isBelow(box.get(), controller.root()));
    // Drawn, but neither picked nor part of the bound that home view and model size use.
    QCOMPARE(controller.root()->getNodeMask() & qvx::viewer::kPickTraversalMask, 0u);
    QVERIFY(controller.root()->getNodeMask() != 0u);
    QVERIFY(!scene->getBound().valid());

    controller.slot_hideBoundingBox(file);
    QVERIFY(!box->isShown());
    controller.slot_showBoundingBox(osg::Vec3(0, 0, 0), osg::Vec3(10, 10, 10), osg::Vec3d(100, 0, 0), file);
    QVERIFY(controller.boundingBox(file) == box.get() && box->isShown());
    controller.slot_hideBoundingBox(QFileInfo("/elsewhere.osgb"));
    controller.clearBoundingBoxes();
    QVERIFY(!controller.boundingBox(file) && !isBelow(box.get(), controller.root()));
    QVERIFY(controller.root()->containsNode(controller.rotationCenter()));
  }

  void scalesFollowTheEye() {
    AugmentController controller;
    const QFileInfo file("/data/a.osgb"), point("/data/point.osgb"), later("/data/b.osgb");
    controller.slot_showBoundingBox(osg::Vec3(-10, -10, -10), osg::Vec3(10, 10, 10), osg::Vec3d(), file);
    controller.slot_showBoundingBox(osg::Vec3(5, 5, 5), osg::Vec3(5, 5, 5), osg::Vec3d(), point);
    vx::me::rendering::BoundingBoxAugment* box = controller.boundingBox(file);
    controller.slot_updateRotationCenter(osg::Vec3d(0, 0, 0));
    controller.slot_updateAugmentScales(osg::Vec3d(0, 0, 250));
    const double expected = 50.0 * box->getRadius() / 250.0;
    QVERIFY(expected > 2.0 && expected < 4.0);
    QVERIFY(std::fabs(box->getWidth() - expected) < 1e-5);
    QCOMPARE(controller.rotationCenter()->getScale(), 0.5);
    // An empty box gets the narrowest line.
    QCOMPARE(controller.boundingBox(point)->getWidth(), 1.0f);
    controller.setFovFactor(0.5f);
    controller.slot_updateAugmentScales(osg::Vec3d(0, 0, 250));
    QVERIFY(std::fabs(box->getWidth() - expected / 2) < 1e-5);
    QCOMPARE(controller.rotationCenter()->getScale(), 0.25);
    // Close up, even at the box centre, the line is clamped to 4; a later box takes the last eye.
    controller.slot_updateAugmentScales(box->getCenter());
    QCOMPARE(box->getWidth(), 4.0f);
    controller.slot_showBoundingBox(osg::Vec3(-10, -10, -10), osg::Vec3(10, 10, 10), osg::Vec3d(), later);
    QCOMPARE(controller.boundingBox(later)->getWidth(), 4.0f);
  }
};

QTEST_GUILESS_MAIN(AugmentControllerTest)
#include "AugmentControllerTest.moc"
