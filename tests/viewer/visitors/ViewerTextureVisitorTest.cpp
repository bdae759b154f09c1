#include <QTemporaryDir>
#include <QtTest>
#include <osg/Texture2D>

#include "tests/platform/me/TileFixtures.h"
#include "tests/viewer/TestScenes.h"
#include "viewer/visitors/ViewerTextureVisitor.h"

using qvx::viewer::ViewerTextureVisitor;
using viewertest::makeQuadScene;

namespace {

QStringList debugMessages;

void collectDebugMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtDebugMsg) debugMessages << message;
}

struct Found {
  bool texture;
  bool vertexColors;
  int geometries;
};

Found inspect(osg::Node* scene) {
  ViewerTextureVisitor visitor;
  scene->accept(visitor);
  return {visitor.hasTexture(), visitor.hasVertexColors(), visitor.getNumInspectedGeometries()};
}

osg::Geometry* geometryOf(osg::Group* quadScene) {
  return quadScene->getChild(0)->asGeode()->getDrawable(0)->asGeometry();
}

}  // namespace

class ViewerTextureVisitorTest : public QObject {
  Q_OBJECT

 private:
  QtMessageHandler previousHandler_ = nullptr;

 private slots:
  void init() {
    debugMessages.clear();
    previousHandler_ = qInstallMessageHandler(collectDebugMessages);
  }

  void cleanup() { qInstallMessageHandler(previousHandler_); }

  void tilesAreReadFromDisk() {
    QTemporaryDir dir;
    const Found found = inspect(metest::loadLikeLoader(metest::writeTileSet(dir.filePath("mesh"))));
    QVERIFY(found.texture && !found.vertexColors);
    // Stops after five geometries when only one of the two is found.
    QCOMPARE(found.geometries, 5);
    QVERIFY(debugMessages.isEmpty());
  }

  void readsNoFurtherTileOnceDone() {
    osg::ref_ptr<osg::Group> scene = makeQuadScene(1, 0, true, true);
    scene->addChild(metest::makeTileReference("Tile_7_7/Tile_7_7.osgb"));  // points nowhere
    ViewerTextureVisitor visitor;
    scene->accept(visitor);
    QVERIFY(visitor.hasTexture() && visitor.hasVertexColors() && visitor.isDone());
    QCOMPARE(visitor.getNumInspectedGeometries(), 1);
    QVERIFY(debugMessages.isEmpty());
  }

  void whatCountsAsTextureOrVertexColours() {
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(2, 2, 1, GL_RGB, GL_UNSIGNED_BYTE);
    osg::ref_ptr<osg::Group> textureAbove = makeQuadScene(1, 0);
    textureAbove->getOrCreateStateSet()->setTextureAttributeAndModes(0, new osg::Texture2D(image));
    QVERIFY(inspect(textureAbove).texture);

    osg::ref_ptr<osg::Group> imageless = makeQuadScene(1, 0);
    geometryOf(imageless)->getOrCreateStateSet()->setTextureAttributeAndModes(0, new osg::Texture2D);
    QVERIFY(!inspect(imageless).texture);
    osg::ref_ptr<osg::Group> oneColour = makeQuadScene(1, 0);
    geometryOf(oneColour)->setColorArray(new osg::Vec4Array(1), osg::Array::BIND_OVERALL);
    QVERIFY(!inspect(oneColour).vertexColors);
  }

  void unreadableTileIsTolerated() {
    QTemporaryDir dir;
    osg::ref_ptr<osg::PagedLOD> missing = metest::makeTileReference("Tile_0_0/Tile_0_0.osgb");
    missing->setDatabasePath(dir.path().toStdString());
    osg::ref_ptr<osg::Group> scene = metest::groupOf(missing);
    scene->addChild(makeQuadScene(1, 0, false, true));
    const Found found = inspect(scene);
    QVERIFY(found.vertexColors && !found.texture);
    QCOMPARE(debugMessages,
             QStringList() << "Couldn't check file for texture: " + dir.path() + "/Tile_0_0/Tile_0_0.osgb");
  }

  void selfReferencingFileEnds() {
    QTemporaryDir dir;
    osg::ref_ptr<osg::PagedLOD> self = new osg::PagedLOD;
    self->setFileName(0, "self.osgb");
    self->setRange(0, 0.0f, 1000.0f);
    QVERIFY(metest::writeNode(*self, dir.filePath("self.osgb")));
    const Found found = inspect(metest::loadLikeLoader(dir.filePath("self.osgb")));
    QVERIFY(!found.texture);
    QCOMPARE(found.geometries, 0);
  }
};

QTEST_GUILESS_MAIN(ViewerTextureVisitorTest)
#include "ViewerTextureVisitorTest.moc"
