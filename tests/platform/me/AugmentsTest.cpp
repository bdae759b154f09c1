#include <QtTest>
#include <osg/Geode>
#include <osg/LineWidth>

#include "me/Augments.h"

using vx::me::rendering::BoundingBoxAugment;
using vx::me::rendering::RotationCenterAugment;

class AugmentsTest : public QObject {
  Q_OBJECT

 private slots:
  void boundingBoxIsTwelveUnlitEdgesInWorldCoordinates() {
    const osg::Vec4 color(0.25f, 0.5f, 0.75f, 1.0f);
    osg::ref_ptr<BoundingBoxAugment> box =
        new BoundingBoxAugment(osg::Vec3(0, 0, 0), osg::Vec3(2, 4, 4), osg::Vec3d(100, 200, 300), color, 2.0f);
    QCOMPARE(box->getCenter(), osg::Vec3d(101, 202, 302));
    QCOMPARE(box->getRadius(), 3.0);
    const osg::Geode* geode = box->getNumChildren() == 1 ? box->getChild(0)->asGeode() : nullptr;
    const osg::Geometry* geometry = geode ? geode->getDrawable(0)->asGeometry() : nullptr;
    QVERIFY(geometry);
    const auto* corners = dynamic_cast<const osg::Vec3Array*>(geometry->getVertexArray());
    const auto* colors = dynamic_cast<const osg::Vec4Array*>(geometry->getColorArray());
    QVERIFY(corners && colors && colors->size() == corners->size());
    for (const osg::Vec4& c : *colors) QCOMPARE(c, color);
    const osg::PrimitiveSet* lines = geometry->getPrimitiveSet(0);
    QCOMPARE(lines->getMode(), static_cast<GLenum>(GL_LINES));
    QCOMPARE(lines->getNumIndices(), 24u);
    for (unsigned int i = 0; i < 24; i += 2) {
      const osg::Vec3 d = (*corners)[lines->index(i)] - (*corners)[lines->index(i + 1)];
      QCOMPARE((d.x() != 0) + (d.y() != 0) + (d.z() != 0), 1);  // an edge, not a diagonal
    }
    const osg::StateSet* state = geode->getStateSet();
    QVERIFY(state && state->getMode(GL_LIGHTING) == osg::StateAttribute::OFF);
    box->setWidth(3.5f);
    const auto* width = dynamic_cast<const osg::LineWidth*>(state->getAttribute(osg::StateAttribute::LINEWIDTH));
    QVERIFY(width && width->getWidth() == 3.5f);
    // Picking (traversal mask 2) must pass through augments to the mesh.
    QCOMPARE(box->getNodeMask() & 2u, 0u);
    QVERIFY(box->getNodeMask() != 0u);
  }

  void rotationCentreScalesAndMoves() {
    osg::ref_ptr<RotationCenterAugment> marker = new RotationCenterAugment(15.0f, osg::Vec3d(), 1.0);
    marker->setCenter(osg::Vec3d(10, 20, 30));
    marker->setScale(2.0);
    QCOMPARE(osg::Vec3d(1, 0, 0) * marker->getMatrix(), osg::Vec3d(12, 20, 30));
  }
};

QTEST_GUILESS_MAIN(AugmentsTest)
#include "AugmentsTest.moc"
