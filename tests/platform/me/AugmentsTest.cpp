#include <QtTest>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/LineWidth>

#include "me/Augments.h"

using vx::me::rendering::BoundingBoxAugment;
using vx::me::rendering::RotationCenterAugment;

namespace {

const osg::Geometry* lineGeometry(const osg::Group& augment) {
  const osg::Geode* geode = augment.getNumChildren() == 1 ? augment.getChild(0)->asGeode() : nullptr;
  return geode && geode->getNumDrawables() == 1 ? geode->getDrawable(0)->asGeometry() : nullptr;
}

float lineWidthOf(const osg::Group& augment) {
  const osg::StateSet* state = augment.getChild(0)->getStateSet();
  const auto* width = state ? dynamic_cast<const osg::LineWidth*>(
                                  state->getAttribute(osg::StateAttribute::LINEWIDTH))
                            : nullptr;
  return width ? width->getWidth() : -1.0f;
}

bool isUnlit(const osg::Group& augment) {
  const osg::StateSet* state = augment.getChild(0)->getStateSet();
  return state && state->getMode(GL_LIGHTING) == osg::StateAttribute::OFF;
}

}  // namespace

class AugmentsTest : public QObject {
  Q_OBJECT

 private slots:
  void boundingBoxCentreAndRadiusAreInWorldCoordinates() {
    osg::ref_ptr<BoundingBoxAugment> box = new BoundingBoxAugment(
        osg::Vec3(0, 0, 0), osg::Vec3(2, 4, 4), osg::Vec3d(100, 200, 300), osg::Vec4(1, 1, 1, 1), 1.0f);
    QCOMPARE(box->getCenter(), osg::Vec3d(101, 202, 302));
    QCOMPARE(box->getRadius(), 3.0);
    QCOMPARE(box->getMatrix().getTrans(), osg::Vec3d(100, 200, 300));
  }

  void boundingBoxIsTwelveColouredEdges() {
    const osg::Vec4 color(0.25f, 0.5f, 0.75f, 1.0f);
    osg::ref_ptr<BoundingBoxAugment> box =
        new BoundingBoxAugment(osg::Vec3(-1, -2, -3), osg::Vec3(1, 2, 3), osg::Vec3d(), color, 2.0f);
    const osg::Geometry* geometry = lineGeometry(*box);
    QVERIFY(geometry);
    const auto* corners = dynamic_cast<const osg::Vec3Array*>(geometry->getVertexArray());
    const auto* colors = dynamic_cast<const osg::Vec4Array*>(geometry->getColorArray());
    QVERIFY(corners && colors);
    QCOMPARE(colors->size(), corners->size());
    for (const osg::Vec4& c : *colors) QCOMPARE(c, color);
    QCOMPARE(geometry->getColorArray()->getBinding(), osg::Array::BIND_PER_VERTEX);

    QCOMPARE(geometry->getNumPrimitiveSets(), 1u);
    const osg::PrimitiveSet* lines = geometry->getPrimitiveSet(0);
    QCOMPARE(lines->getMode(), static_cast<GLenum>(GL_LINES));
    QCOMPARE(lines->getNumIndices(), 24u);
    // Every edge joins two corners that differ in exactly one coordinate.
    for (unsigned int i = 0; i < 24; i += 2) {
      const osg::Vec3 d = (*corners)[lines->index(i)] - (*corners)[lines->index(i + 1)];
      const int differing = (d.x() != 0) + (d.y() != 0) + (d.z() != 0);
      QCOMPARE(differing, 1);
    }
    QVERIFY(isUnlit(*box));
    QCOMPARE(lineWidthOf(*box), 2.0f);
  }

  void boundingBoxWidthAndVisibility() {
    osg::ref_ptr<BoundingBoxAugment> box = new BoundingBoxAugment(
        osg::Vec3(), osg::Vec3(1, 1, 1), osg::Vec3d(), osg::Vec4(1, 1, 1, 1), 1.0f);
    QCOMPARE(box->getWidth(), 1.0f);
    box->setWidth(3.5f);
    QCOMPARE(box->getWidth(), 3.5f);
    QCOMPARE(lineWidthOf(*box), 3.5f);

    QVERIFY(box->isShown());
    box->hide();
    QVERIFY(!box->isShown());
    QCOMPARE(box->getNodeMask(), 0u);
    box->show();
    QVERIFY(box->isShown());
    // Picking (traversal mask 2) must pass through augments to the mesh.
    QCOMPARE(box->getNodeMask() & 2u, 0u);
  }

  void rotationCentreScalesAndMoves() {
    osg::ref_ptr<RotationCenterAugment> marker = new RotationCenterAugment(15.0f, osg::Vec3d(), 1.0);
    const osg::Geometry* geometry = lineGeometry(*marker);
    QVERIFY(geometry);
    QCOMPARE(geometry->getPrimitiveSet(0)->getMode(), static_cast<GLenum>(GL_LINES));
    QCOMPARE(geometry->getPrimitiveSet(0)->getNumIndices(), 6u);
    QVERIFY(isUnlit(*marker));
    const osg::BoundingBox extent = geometry->getBoundingBox();
    QCOMPARE(extent.xMax() - extent.xMin(), 15.0f);
    QCOMPARE(extent.zMax() - extent.zMin(), 15.0f);

    marker->setCenter(osg::Vec3d(10, 20, 30));
    marker->setScale(2.0);
    QCOMPARE(marker->getCenter(), osg::Vec3d(10, 20, 30));
    QCOMPARE(marker->getScale(), 2.0);
    QCOMPARE(osg::Vec3d(1, 0, 0) * marker->getMatrix(), osg::Vec3d(12, 20, 30));

    marker->hide();
    QVERIFY(!marker->isShown());
    marker->show();
    QVERIFY(marker->isShown());
  }
};

int runAugmentsTests(int argc, char** argv) {
  AugmentsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "AugmentsTest.moc"
