#include <QTemporaryDir>
#include <QtTest>
#include <osgDB/FileNameUtils>

#include "me/ForceLODPagedLOD.h"
#include "tests/platform/me/TileFixtures.h"

using vx::me::forceLOD::ForceLODPagedLOD;

class ForceLODPagedLODTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString mesh_;

 private slots:
  void initTestCase() {
    mesh_ = dir_.filePath("mesh");
    metest::writeTileSet(mesh_);
  }

  void repointingKeepsTheOriginalFiles() {
    osg::ref_ptr<osg::Node> index = metest::loadLikeLoader(mesh_ + "/Mesh.osgb");
    osg::ref_ptr<ForceLODPagedLOD> node =
        new ForceLODPagedLOD(*static_cast<osg::PagedLOD*>(index->asGroup()->getChild(0)));
    QCOMPARE(node->getOriginalFilename(0), std::string("Tile_0_0/Tile_0_0.osgb"));
    QCOMPARE(node->getOriginalFilename(7), std::string());
    // The reader fills in the folder of a file loaded by absolute path.
    QCOMPARE(QDir::cleanPath(QString::fromStdString(node->getFilePath())), metest::tileRootPath(mesh_, 0, 0));
    const std::string original = node->getOriginalFilePath();
    QCOMPARE(original, node->getFilePath());

    node->setDatabasePath("/elsewhere/version2");
    QCOMPARE(node->getFilePath(), std::string("/elsewhere/version2/Tile_0_0/Tile_0_0.osgb"));
    QCOMPARE(node->getOriginalFilePath(), original);
    osg::ref_ptr<osg::Object> copy = node->clone(osg::CopyOp::SHALLOW_COPY);
    auto* cloned = dynamic_cast<ForceLODPagedLOD*>(copy.get());
    QVERIFY(cloned && cloned->getOriginalFilePath() == original && cloned->getFilePath() == node->getFilePath());

    osg::ref_ptr<ForceLODPagedLOD> relative = new ForceLODPagedLOD(*metest::makeTileReference("Tile_2_3/Tile_2_3.osgb"));
    QCOMPARE(relative->getOriginalFilePath(), std::string("Tile_2_3/Tile_2_3.osgb"));
  }

  // References written by other producers: only normalised names can be read on this platform.
  void backslashesBecomeNativeSeparators() {
    osg::ref_ptr<osg::PagedLOD> source = metest::makeTileReference("Tile_1_1\\Tile_1_1.osgb");
    source->setFileName(1, "Tile_1_1\\Tile_1_1_L1_0.osgb");
    source->setDatabasePath(mesh_.toStdString());
    osg::ref_ptr<ForceLODPagedLOD> node = new ForceLODPagedLOD(*source);
    const std::string separator(1, osgDB::getNativePathSeparator());
    QCOMPARE(node->getFileName(1), "Tile_1_1" + separator + "Tile_1_1_L1_0.osgb");
    QCOMPARE(node->getOriginalFilename(0), "Tile_1_1" + separator + "Tile_1_1.osgb");
    QVERIFY(QFileInfo(QString::fromStdString(node->getOriginalFilePath())).isFile());
  }
};

QTEST_GUILESS_MAIN(ForceLODPagedLODTest)
#include "ForceLODPagedLODTest.moc"
