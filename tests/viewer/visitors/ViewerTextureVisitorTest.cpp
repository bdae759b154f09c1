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

  // The pager lets an uploaded texture drop its image; it is still a texture.
  void uploadedTextureWithoutImageCounts() {
    osg::ref_ptr<osg::Group> uploaded = makeQuadScene(1, 0);
    osg::ref_ptr<osg::Texture2D> texture = new osg::Texture2D;
    texture->setTextureSize(64, 64);
    geometryOf(uploaded)->getOrCreateStateSet()->setTextureAttributeAndModes(0, texture);
    QVERIFY(inspect(uploaded).texture);
  }

  // A damaged tile can hold any number of file names: each is read once, and only a few.
  void manyFileNamesReadOnlyAFew() {
    QTemporaryDir dir;
    osg::ref_ptr<osg::PagedLOD> many = new osg::PagedLOD;
    many->setDatabasePath(dir.path().toStdString());
    for (unsigned int i = 0; i < 5000; ++i) many->setFileName(i, "missing_" + std::to_string(i % 2500) + ".osgb");
    inspect(many);
    QVERIFY(debugMessages.size() <= 8);
    QVERIFY(!debugMessages.isEmpty());
  }

  void cutTileEnds() {
    QTemporaryDir dir;
    const QString index = metest::writeTileSet(dir.filePath("mesh"));
    for (double fraction : {0.2, 0.5}) {
      for (int x = 0; x < 2; ++x) {
        for (int y = 0; y < 2; ++y) {
          const QString tile = metest::tileRootPath(dir.filePath("mesh"), x, y);
          QFile file(tile);
          QVERIFY(file.open(QIODevice::ReadWrite));
          file.resize(static_cast<qint64>(file.size() * fraction));
        }
      }
      debugMessages.clear();
      inspect(metest::loadLikeLoader(index));
      QVERIFY(debugMessages.size() <= 8 * 4);
    }
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
