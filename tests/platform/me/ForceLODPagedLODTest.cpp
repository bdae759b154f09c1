#include <limits>

#include <QTemporaryDir>
#include <QtTest>
#include <osg/FrameStamp>
#include <osg/Geode>
#include <osgDB/DatabasePager>
#include <osgDB/FileNameUtils>

#include "me/ForceLODPagedLOD.h"
#include "tests/platform/me/TileFixtures.h"

using vx::me::forceLOD::ForceLODPagedLOD;

namespace {

osg::PagedLOD* firstReference(osg::Node* index) {
  return dynamic_cast<osg::PagedLOD*>(index->asGroup()->getChild(0));
}

QString cleaned(const std::string& path) { return QDir::cleanPath(QString::fromStdString(path)); }

}  // namespace

class ForceLODPagedLODTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    meshFolder_ = dir_.filePath("mesh");
    QVERIFY(!metest::writeTileSet(meshFolder_).isEmpty());
  }

  void recordsTheFilesOfALoadedReference() {
    osg::ref_ptr<osg::Node> index = metest::loadLikeLoader(meshFolder_ + "/Mesh.osgb");
    osg::PagedLOD* source = firstReference(index);
    QVERIFY(source);
    osg::ref_ptr<ForceLODPagedLOD> node = new ForceLODPagedLOD(*source);

    QCOMPARE(node->getOriginalFilename(0), std::string("Tile_0_0/Tile_0_0.osgb"));
    QCOMPARE(node->getOriginalFilename(7), std::string());
    // The reader fills in the folder of a file loaded by absolute path.
    QCOMPARE(cleaned(node->getOriginalDatabasePath()), meshFolder_);
    QCOMPARE(node->getOriginalFilePath(), node->getFilePath());
    QCOMPARE(cleaned(node->getFilePath()), metest::tileRootPath(meshFolder_, 0, 0));
    QVERIFY(QFileInfo(QString::fromStdString(node->getFilePath())).isFile());
  }

  void repointingKeepsTheOriginals() {
    osg::ref_ptr<osg::Node> index = metest::loadLikeLoader(meshFolder_ + "/Mesh.osgb");
    osg::ref_ptr<ForceLODPagedLOD> node = new ForceLODPagedLOD(*firstReference(index));
    const std::string original = node->getOriginalFilePath();
    node->setDatabasePath("/elsewhere/version2");
    node->setFileName(0, "Tile_0_0/Tile_0_0.osgb");
    QCOMPARE(node->getFilePath(), std::string("/elsewhere/version2/Tile_0_0/Tile_0_0.osgb"));
    QCOMPARE(node->getOriginalFilePath(), original);

    osg::ref_ptr<osg::Object> copy = node->clone(osg::CopyOp::SHALLOW_COPY);
    auto* cloned = dynamic_cast<ForceLODPagedLOD*>(copy.get());
    QVERIFY(cloned);
    QCOMPARE(cloned->getOriginalFilePath(), original);
    QCOMPARE(cloned->getFilePath(), node->getFilePath());
  }

  void emptyDatabasePathUsesTheNameAsIs() {
    osg::ref_ptr<osg::PagedLOD> source = metest::makeTileReference("Tile_2_3/Tile_2_3.osgb");
    osg::ref_ptr<ForceLODPagedLOD> node = new ForceLODPagedLOD(*source);
    QCOMPARE(node->getOriginalDatabasePath(), std::string());
    QCOMPARE(node->getFilePath(), std::string("Tile_2_3/Tile_2_3.osgb"));
    QCOMPARE(node->getOriginalFilePath(), std::string("Tile_2_3/Tile_2_3.osgb"));
  }

  void backslashesBecomeNativeSeparators() {
    osg::ref_ptr<osg::PagedLOD> source = metest::makeTileReference("Tile_0_0\\Tile_0_0.osgb");
    source->setFileName(1, "Tile_0_0\\Tile_0_0_L1.osgb");
    source->setDatabasePath(meshFolder_.toStdString());
    osg::ref_ptr<ForceLODPagedLOD> node = new ForceLODPagedLOD(*source);
    const std::string separator(1, osgDB::getNativePathSeparator());
    QCOMPARE(node->getFileName(0), "Tile_0_0" + separator + "Tile_0_0.osgb");
    QCOMPARE(node->getFileName(1), "Tile_0_0" + separator + "Tile_0_0_L1.osgb");
    QCOMPARE(node->getOriginalFilename(0), node->getFileName(0));
    QCOMPARE(node->getOriginalFilePath(), node->getFilePath());
    QVERIFY(QFileInfo(QString::fromStdString(node->getFilePath())).isFile());
  }

  void copiesTheWholeNode() {
    osg::ref_ptr<osg::PagedLOD> source = new osg::PagedLOD;
    osg::ref_ptr<osg::Geode> coarse = new osg::Geode;
    source->addChild(coarse, 300.0f, std::numeric_limits<float>::max());
    source->setFileName(1, "fine.osgb");
    source->setRange(1, 0.0f, 300.0f);
    source->setCenterMode(osg::LOD::USER_DEFINED_CENTER);
    source->setCenter(osg::Vec3(1, 2, 3));
    source->setRadius(4.5f);
    source->setRangeMode(osg::LOD::PIXEL_SIZE_ON_SCREEN);
    source->setDatabasePath("/data/mesh");

    osg::ref_ptr<ForceLODPagedLOD> node = new ForceLODPagedLOD(*source);
    QCOMPARE(node->getNumChildren(), 1u);
    QCOMPARE(node->getChild(0), static_cast<osg::Node*>(coarse.get()));
    QCOMPARE(node->getNumRanges(), 2u);
    QCOMPARE(node->getMinRange(0), 300.0f);
    QCOMPARE(node->getMaxRange(1), 300.0f);
    QCOMPARE(node->getFileName(1), std::string("fine.osgb"));
    QCOMPARE(node->getCenterMode(), osg::LOD::USER_DEFINED_CENTER);
    QCOMPARE(node->getCenter(), osg::Vec3(1, 2, 3));
    QCOMPARE(node->getRadius(), 4.5f);
    QCOMPARE(node->getRangeMode(), osg::LOD::PIXEL_SIZE_ON_SCREEN);
    QCOMPARE(node->getDatabasePath(), std::string("/data/mesh/"));
    QCOMPARE(node->getOriginalMinRangeIndex(), 1u);
    QCOMPARE(node->getOriginalFilePath(), std::string("/data/mesh/"));
  }

  void osgPagesTheTileIn() {
    // A reference written by another producer: only the normalised name can be paged on this platform.
    osg::ref_ptr<osg::PagedLOD> source = metest::makeTileReference("Tile_1_1\\Tile_1_1.osgb");
    source->setDatabasePath(meshFolder_.toStdString());
    osg::ref_ptr<ForceLODPagedLOD> node = new ForceLODPagedLOD(*source);
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    scene->addChild(node);

    osg::ref_ptr<osgDB::DatabasePager> pager = osgDB::DatabasePager::create();
    osg::ref_ptr<osg::FrameStamp> frame = new osg::FrameStamp;
    osg::NodeVisitor cull(osg::NodeVisitor::CULL_VISITOR, osg::NodeVisitor::TRAVERSE_ACTIVE_CHILDREN);
    cull.setDatabaseRequestHandler(pager);
    cull.setFrameStamp(frame);
    scene->accept(cull);

    auto merged = [&]() {
      pager->updateSceneGraph(*frame);
      return node->getNumChildren() == 1;
    };
    QTRY_VERIFY_WITH_TIMEOUT(merged(), 20000);
    pager->cancel();
    QVERIFY(dynamic_cast<osg::MatrixTransform*>(node->getChild(0)));
  }

 private:
  QTemporaryDir dir_;
  QString meshFolder_;
};

int runForceLODPagedLODTests(int argc, char** argv) {
  ForceLODPagedLODTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "ForceLODPagedLODTest.moc"
