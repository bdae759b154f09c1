#include <QtTest>

#include <osg/PolygonMode>

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
  void rootCarriesMarkerAndFilledPolygons() {
    AugmentController controller;
    osg::Group* root = controller.root();
    QVERIFY(root->containsNode(controller.rotationCenter()));
    auto* mode = dynamic_cast<osg::PolygonMode*>(root->getStateSet()->getAttribute(osg::StateAttribute::POLYGONMODE));
    QVERIFY(mode);
    QCOMPARE(mode->getMode(osg::PolygonMode::FRONT_AND_BACK), osg::PolygonMode::FILL);
    // Drawn, but never in the way of picking.
    QCOMPARE(root->getNodeMask() & qvx::viewer::kPickTraversalMask, 0u);
    QVERIFY(root->getNodeMask() != 0u);
    // Nor in the way of the scene's bound (home view, model size).
    QVERIFY(!root->getBound().valid());
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    scene->addChild(root);
    QVERIFY(!scene->getBound().valid());
    QCOMPARE(controller.rotationCenter()->getCenter(), osg::Vec3d(0, 0, 0));
    QCOMPARE(controller.rotationCenter()->getScale(), 1.0);
  }

  void boundingBoxesByFile() {
    AugmentController controller;
    const QFileInfo file("/data/mesh/Tile_0_0/Tile_0_0.osgb");
    controller.slot_showBoundingBox(osg::Vec3(0, 0, 0), osg::Vec3(10, 10, 10), osg::Vec3d(100, 0, 0), file);
    osg::ref_ptr<vx::me::rendering::BoundingBoxAugment> box = controller.boundingBox(file);
    QVERIFY(box);
    QVERIFY(box->isShown());
    QVERIFY(isBelow(box.get(), controller.root()));
    // Eye at the origin, far from the box: the narrowest line.
    QCOMPARE(box->getWidth(), qvx::viewer::boundingBoxWidth(box->getCenter(), box->getRadius(), osg::Vec3d(), 1.0f));

    controller.slot_hideBoundingBox(file);
    QVERIFY(!box->isShown());
    controller.slot_showBoundingBox(osg::Vec3(0, 0, 0), osg::Vec3(10, 10, 10), osg::Vec3d(100, 0, 0), file);
    QVERIFY(controller.boundingBox(file) == box.get());
    QVERIFY(box->isShown());

    controller.slot_hideBoundingBox(QFileInfo("/elsewhere.osgb"));
    controller.clearBoundingBoxes();
    QVERIFY(!controller.boundingBox(file));
    QVERIFY(!isBelow(box.get(), controller.root()));
    QVERIFY(controller.root()->containsNode(controller.rotationCenter()));
  }

  void scalesFollowTheEye() {
    AugmentController controller;
    const QFileInfo file("/data/a.osgb");
    controller.slot_showBoundingBox(osg::Vec3(-10, -10, -10), osg::Vec3(10, 10, 10), osg::Vec3d(), file);
    vx::me::rendering::BoundingBoxAugment* box = controller.boundingBox(file);
    const double radius = box->getRadius();

    controller.slot_updateRotationCenter(osg::Vec3d(0, 0, 0));
    controller.slot_updateAugmentScales(osg::Vec3d(0, 0, 1000));
    QCOMPARE(controller.lastEye(), osg::Vec3d(0, 0, 1000));
    QCOMPARE(box->getWidth(), qvx::viewer::boundingBoxWidth(box->getCenter(), radius, osg::Vec3d(0, 0, 1000), 1.0f));
    QCOMPARE(controller.rotationCenter()->getScale(), 2.0);

    controller.setFovFactor(0.5f);
    controller.slot_updateAugmentScales(osg::Vec3d(0, 0, 1000));
    QCOMPARE(controller.rotationCenter()->getScale(), 1.0);

    // Close to the box the line is clamped to 4.
    controller.slot_updateAugmentScales(osg::Vec3d(0, 0, 1));
    QCOMPARE(box->getWidth(), 4.0f);

    // A box shown later takes its width from the last eye.
    const QFileInfo second("/data/b.osgb");
    controller.slot_showBoundingBox(osg::Vec3(-10, -10, -10), osg::Vec3(10, 10, 10), osg::Vec3d(), second);
    QCOMPARE(controller.boundingBox(second)->getWidth(), 4.0f);
  }

  void markerVisibilityAndPosition() {
    AugmentController controller;
    controller.slot_showRotationCenter(false);
    QVERIFY(!controller.rotationCenter()->isShown());
    controller.slot_showRotationCenter(true);
    QVERIFY(controller.rotationCenter()->isShown());
    controller.slot_updateRotationCenter(osg::Vec3d(1, 2, 3));
    QCOMPARE(controller.rotationCenter()->getCenter(), osg::Vec3d(1, 2, 3));
  }
};

QTEST_GUILESS_MAIN(AugmentControllerTest)
#include "AugmentControllerTest.moc"
