#include <QTemporaryDir>
#include <QtTest>
#include <osg/Geode>
#include <osg/Texture2D>

#include "tests/platform/me/TileFixtures.h"
#include "viewer/visitors/ViewerTextureVisitor.h"

using metest::Surface;
using qvx::viewer::ViewerTextureVisitor;

namespace {

QStringList debugMessages;

void collectDebugMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtDebugMsg) debugMessages << message;
}

osg::ref_ptr<osg::Geode> geodeWith(std::initializer_list<Surface> surfaces) {
  osg::ref_ptr<osg::Geode> geode = new osg::Geode;
  for (Surface surface : surfaces) geode->addDrawable(metest::makeQuad(osg::Vec3(), surface));
  return geode;
}

}  // namespace

class ViewerTextureVisitorTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    debugMessages.clear();
    previousHandler_ = qInstallMessageHandler(collectDebugMessages);
  }

  void cleanup() { qInstallMessageHandler(previousHandler_); }

  void texturedTilesAreReadFromDisk() {
    QTemporaryDir dir;
    metest::TileSetOptions options;
    options.surface = Surface::Textured;
    const QString index = metest::writeTileSet(dir.filePath("mesh"), options);
    osg::ref_ptr<osg::Node> scene = metest::loadLikeLoader(index);

    ViewerTextureVisitor visitor;
    scene->accept(visitor);
    QVERIFY(visitor.hasTexture());
    QVERIFY(!visitor.hasVertexColors());
    QCOMPARE(visitor.getNumInspectedGeometries(), 5);
    QVERIFY(debugMessages.isEmpty());
  }

  void vertexColoursAreFound() {
    QTemporaryDir dir;
    metest::TileSetOptions options;
    options.surface = Surface::VertexColors;
    osg::ref_ptr<osg::Node> tile =
        metest::loadLikeLoader(metest::writeTileSet(dir.filePath("mesh"), options));
    ViewerTextureVisitor visitor;
    tile->accept(visitor);
    QVERIFY(visitor.hasVertexColors());
    QVERIFY(!visitor.hasTexture());
  }

  void readsNoFurtherTileOnceDone() {
    // The first tile answers both questions; the other references point nowhere and must stay unread.
    QTemporaryDir dir;
    metest::TileSetOptions options;
    options.columns = 1;
    options.rows = 1;
    const QString mesh = dir.filePath("mesh");
    const QString index = metest::writeTileSet(mesh, options);
    osg::ref_ptr<osg::Geode> both = geodeWith({Surface::Textured});
    both->getDrawable(0)->asGeometry()->setColorArray(
        new osg::Vec4Array(4), osg::Array::BIND_PER_VERTEX);
    osg::ref_ptr<osg::MatrixTransform> root = new osg::MatrixTransform;
    root->addChild(both);
    QVERIFY(metest::writeNode(*root, metest::tileRootPath(mesh, 0, 0)));

    osg::ref_ptr<osg::Node> scene = metest::loadLikeLoader(index);
    scene->asGroup()->addChild(metest::makeTileReference("Tile_7_7/Tile_7_7.osgb"));
    ViewerTextureVisitor visitor;
    scene->accept(visitor);
    QVERIFY(visitor.hasTexture());
    QVERIFY(visitor.hasVertexColors());
    QVERIFY(visitor.isDone());
    QCOMPARE(visitor.getNumInspectedGeometries(), 1);
    QVERIFY(debugMessages.isEmpty());
  }

  void looksAtFiveGeometriesOnly() {
    osg::ref_ptr<osg::Geode> geode = geodeWith({Surface::Plain, Surface::Plain, Surface::Plain,
                                                Surface::Plain, Surface::Plain, Surface::Textured});
    ViewerTextureVisitor visitor;
    geode->accept(visitor);
    QVERIFY(!visitor.hasTexture());
    QVERIFY(!visitor.hasVertexColors());
    QCOMPARE(visitor.getNumInspectedGeometries(), 5);
  }

  void textureOnANodeAboveCounts() {
    osg::ref_ptr<osg::Geode> geode = geodeWith({Surface::Plain});
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(2, 2, 1, GL_RGB, GL_UNSIGNED_BYTE);
    geode->getOrCreateStateSet()->setTextureAttributeAndModes(0, new osg::Texture2D(image));
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    scene->addChild(geode);
    ViewerTextureVisitor visitor;
    scene->accept(visitor);
    QVERIFY(visitor.hasTexture());
  }

  void textureWithoutImageDoesNotCount() {
    osg::ref_ptr<osg::Geode> geode = geodeWith({Surface::Plain});
    geode->getDrawable(0)->getOrCreateStateSet()->setTextureAttributeAndModes(0, new osg::Texture2D);
    ViewerTextureVisitor visitor;
    geode->accept(visitor);
    QVERIFY(!visitor.hasTexture());
  }

  void mismatchedColourArrayIsNoVertexColour() {
    osg::ref_ptr<osg::Geode> geode = geodeWith({Surface::Plain});
    geode->getDrawable(0)->asGeometry()->setColorArray(new osg::Vec4Array(1), osg::Array::BIND_OVERALL);
    ViewerTextureVisitor visitor;
    geode->accept(visitor);
    QVERIFY(!visitor.hasVertexColors());
  }

  void unreadableTileIsTolerated() {
    QTemporaryDir dir;
    osg::ref_ptr<osg::PagedLOD> missing = metest::makeTileReference("Tile_0_0/Tile_0_0.osgb");
    missing->setDatabasePath(dir.path().toStdString());
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    scene->addChild(missing);
    scene->addChild(geodeWith({Surface::VertexColors}));

    ViewerTextureVisitor visitor;
    scene->accept(visitor);
    QVERIFY(visitor.hasVertexColors());
    QVERIFY(!visitor.hasTexture());
    QCOMPARE(debugMessages,
             QStringList() << "Couldn't check file for texture: " + dir.path() + "/Tile_0_0/Tile_0_0.osgb");
  }

  void selfReferencingFileEnds() {
    QTemporaryDir dir;
    osg::ref_ptr<osg::PagedLOD> self = new osg::PagedLOD;
    self->setFileName(0, "self.osgb");
    self->setRange(0, 0.0f, 1000.0f);
    const QString path = dir.filePath("self.osgb");
    QVERIFY(metest::writeNode(*self, path));

    osg::ref_ptr<osg::Node> scene = metest::loadLikeLoader(path);
    ViewerTextureVisitor visitor;
    scene->accept(visitor);
    QVERIFY(!visitor.hasTexture());
    QCOMPARE(visitor.getNumInspectedGeometries(), 0);
  }

 private:
  QtMessageHandler previousHandler_ = nullptr;
};

QTEST_GUILESS_MAIN(ViewerTextureVisitorTest)
#include "ViewerTextureVisitorTest.moc"
