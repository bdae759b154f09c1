#include <cfloat>
#include <fstream>
#include <map>
#include <set>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <osg/MatrixTransform>
#include <osg/PagedLOD>
#include <osg/Texture2D>
#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include "FolderCompare.h"
#include "MeshInspection.h"
#include "demo/DemoProject.h"

namespace {

demo::DemoOptions smallMesh() {
  demo::DemoOptions options;
  options.tiles = 2;
  options.levels = 3;
  options.finestGridCells = 16;
  options.textureSize = 64;
  options.seed = 7;
  return options;
}

QString tileFolder(const QString& mesh, int x, int y) {
  return QString("%1/Tile_%2_%3").arg(mesh).arg(x).arg(y);
}

QString tileRootPath(const QString& mesh, int x, int y) {
  return QString("%1/Tile_%2_%3.osgb").arg(tileFolder(mesh, x, y)).arg(x).arg(y);
}

osg::ref_ptr<osg::MatrixTransform> readTileRoot(const QString& path) {
  osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile(path.toStdString());
  return dynamic_cast<osg::MatrixTransform*>(node.get());
}

// The file as stored, without the reader's database-path defaults.
osg::ref_ptr<osg::Node> readRaw(const QString& path) {
  osgDB::ReaderWriter* rw = osgDB::Registry::instance()->getReaderWriterForExtension("osgb");
  std::ifstream in(path.toStdString(), std::ios::binary);
  return rw ? rw->readNode(in).getNode() : nullptr;
}

osg::Image* textureImage(osg::Geometry& geometry) {
  osg::StateSet* state = geometry.getStateSet();
  if (!state) return nullptr;
  auto* texture = dynamic_cast<osg::Texture2D*>(state->getTextureAttribute(0, osg::StateAttribute::TEXTURE));
  return texture ? texture->getImage() : nullptr;
}

}  // namespace

class TiledMeshTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    mesh_ = dir_.filePath("DSM_Mesh");
    demo::writeTiledMesh(mesh_.toStdString(), smallMesh(), false);
  }

  void indexHoldsOnePagedLodPerTile() {
    osg::ref_ptr<osg::Node> index = osgDB::readRefNodeFile((mesh_ + "/Mesh.osgb").toStdString());
    QVERIFY(index);
    osg::Group* group = index->asGroup();
    QVERIFY(group);
    QCOMPARE(group->getNumChildren(), 4u);
    std::set<std::string> names;
    for (unsigned i = 0; i < group->getNumChildren(); ++i) {
      auto* lod = dynamic_cast<osg::PagedLOD*>(group->getChild(i));
      QVERIFY(lod);
      QCOMPARE(lod->getNumFileNames(), 1u);
      QCOMPARE(lod->getNumChildren(), 0u);
      QCOMPARE(lod->getMinRange(0), 0.0f);
      QCOMPARE(lod->getMaxRange(0), FLT_MAX);
      QCOMPARE(lod->getCenterMode(), osg::LOD::USER_DEFINED_CENTER);
      QVERIFY(lod->getRadius() > 70.0f);
      names.insert(lod->getFileName(0));
      QVERIFY(QFile::exists(mesh_ + "/" + QString::fromStdString(lod->getFileName(0))));
    }
    QCOMPARE(names, (std::set<std::string>{"Tile_0_0/Tile_0_0.osgb", "Tile_0_1/Tile_0_1.osgb", "Tile_1_0/Tile_1_0.osgb",
                                           "Tile_1_1/Tile_1_1.osgb"}));
  }

  void indexCentresLieOnTheirTiles() {
    osg::ref_ptr<osg::Node> index = osgDB::readRefNodeFile((mesh_ + "/Mesh.osgb").toStdString());
    QVERIFY(index);
    for (const auto& lod : pagedLodsIn(*index)) {
      osg::ref_ptr<osg::MatrixTransform> root = readTileRoot(mesh_ + "/" + QString::fromStdString(lod->getFileName(0)));
      QVERIFY(root);
      osg::Vec3d offset;
      QVERIFY(root->getUserValue("OffsetXYZ", offset));
      const osg::Vec3d centre(lod->getCenter());
      QVERIFY(centre.x() > offset.x() && centre.x() < offset.x() + 100.0);
      QVERIFY(centre.y() > offset.y() && centre.y() < offset.y() + 100.0);
    }
  }

  void databasePathsAreLeftEmpty() {
    osg::ref_ptr<osg::Node> index = readRaw(mesh_ + "/Mesh.osgb");
    QVERIFY(index);
    for (const auto& lod : pagedLodsIn(*index)) QVERIFY(lod->getDatabasePath().empty());
    // Read by path, the reader supplies the file's folder, so the mesh folder can move.
    osg::ref_ptr<osg::Node> byPath = osgDB::readRefNodeFile((mesh_ + "/Mesh.osgb").toStdString());
    QVERIFY(byPath);
    for (const auto& lod : pagedLodsIn(*byPath))
      QCOMPARE(QDir(QString::fromStdString(lod->getDatabasePath())).absolutePath(), QDir(mesh_).absolutePath());
    for (const QString& name : filesBelow(mesh_)) {
      osg::ref_ptr<osg::Node> node = readRaw(mesh_ + "/" + name);
      QVERIFY2(node, qPrintable(name));
      for (const auto& lod : pagedLodsIn(*node)) QVERIFY2(lod->getDatabasePath().empty(), qPrintable(name));
    }
  }

  void tileRootsCarryOffsetAndUserValues() {
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 2; ++x) {
        osg::ref_ptr<osg::MatrixTransform> root = readTileRoot(tileRootPath(mesh_, x, y));
        QVERIFY(root);
        osg::Vec3 minXYZ;
        osg::Vec3 maxXYZ;
        osg::Vec3d offset;
        int version = 0;
        QVERIFY(root->getUserValue("MinXYZ", minXYZ));
        QVERIFY(root->getUserValue("MaxXYZ", maxXYZ));
        QVERIFY(root->getUserValue("OffsetXYZ", offset));
        QVERIFY(root->getUserValue("VEXALODVersion", version));
        QCOMPARE(version, 1);
        QCOMPARE(root->getMatrix().getTrans(), offset);
        // Neighbouring tiles sit one tile size apart.
        osg::ref_ptr<osg::MatrixTransform> first = readTileRoot(tileRootPath(mesh_, 0, 0));
        osg::Vec3d firstOffset;
        QVERIFY(first->getUserValue("OffsetXYZ", firstOffset));
        QCOMPARE(offset - firstOffset, osg::Vec3d(100.0 * x, 100.0 * y, 0.0));
        QCOMPARE(minXYZ.x(), 0.0f);
        QCOMPARE(maxXYZ.x(), 100.0f);
        QVERIFY(maxXYZ.z() > minXYZ.z());
        QCOMPARE(root->getNumChildren(), 1u);
        QVERIFY(dynamic_cast<osg::PagedLOD*>(root->getChild(0)));
        // The loaded child 0 of the tree is the coarsest level.
        auto* top = static_cast<osg::PagedLOD*>(root->getChild(0));
        QCOMPARE(top->getNumChildren(), 1u);
        QCOMPARE(top->getFileName(1), QString("Tile_%1_%2_L1_0.osgb").arg(x).arg(y).toStdString());
      }
    }
  }

  void verticesAreTileLocalWithinTheTileBounds() {
    for (const QString& name : filesBelow(tileFolder(mesh_, 1, 0))) {
      osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile((tileFolder(mesh_, 1, 0) + "/" + name).toStdString());
      QVERIFY(node);
      osg::ref_ptr<osg::MatrixTransform> root = readTileRoot(tileRootPath(mesh_, 1, 0));
      osg::Vec3 low;
      osg::Vec3 high;
      root->getUserValue("MinXYZ", low);
      root->getUserValue("MaxXYZ", high);
      for (const auto& geometry : geometriesIn(*node)) {
        auto* vertices = dynamic_cast<osg::Vec3Array*>(geometry->getVertexArray());
        QVERIFY(vertices && !vertices->empty());
        QCOMPARE(geometry->getNormalArray()->getNumElements(), vertices->size());
        QCOMPARE(geometry->getTexCoordArray(0)->getNumElements(), vertices->size());
        for (const osg::Vec3& v : *vertices) {
          QVERIFY(v.x() >= low.x() && v.x() <= high.x() && v.y() >= low.y() && v.y() <= high.y());
          QVERIFY(v.z() >= low.z() - 1e-3f && v.z() <= high.z() + 1e-3f);
        }
      }
    }
  }

  // Every file named by a PagedLOD lies in the tile folder and loads; every file of the folder is
  // reached; the tree has exactly the configured number of levels; textures are embedded and
  // their ground resolution grows with the level.
  void levelFilesFormOneCompleteTree() {
    const QString folder = tileFolder(mesh_, 0, 1);
    std::map<std::string, int> levelOf{{"Tile_0_1.osgb", 0}};
    std::vector<std::string> pending{"Tile_0_1.osgb"};
    std::map<int, double> texelsPerMetre;
    while (!pending.empty()) {
      const std::string name = pending.back();
      pending.pop_back();
      QVERIFY2(name.find('/') == std::string::npos, name.c_str());
      osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile((folder + "/").toStdString() + name);
      QVERIFY2(node, name.c_str());
      const int level = levelOf[name];
      for (const auto& lod : pagedLodsIn(*node)) {
        QCOMPARE(lod->getRangeMode(), osg::LOD::PIXEL_SIZE_ON_SCREEN);
        for (unsigned i = 0; i < lod->getNumFileNames(); ++i) {
          if (lod->getFileName(i).empty()) continue;
          QVERIFY(levelOf.count(lod->getFileName(i)) == 0);
          levelOf[lod->getFileName(i)] = level + 1;
          pending.push_back(lod->getFileName(i));
        }
      }
      std::set<osg::Image*> images;
      for (const auto& geometry : geometriesIn(*node)) {
        osg::Image* image = textureImage(*geometry);
        QVERIFY2(image && image->data() && image->s() > 0, name.c_str());
        images.insert(image);
        const osg::BoundingBox box = geometry->getBoundingBox();
        const auto* texCoords = static_cast<const osg::Vec2Array*>(geometry->getTexCoordArray(0));
        const double metres = box.xMax() - box.xMin();
        double span = 0.0;
        for (const osg::Vec2& t : *texCoords) span = std::max(span, static_cast<double>(t.x()));
        double low = 1.0;
        for (const osg::Vec2& t : *texCoords) low = std::min(low, static_cast<double>(t.x()));
        texelsPerMetre[level] = image->s() * (span - low) / metres;
      }
      QCOMPARE(images.size(), size_t{1});  // one texture per file
    }
    QCOMPARE(static_cast<int>(texelsPerMetre.size()), smallMesh().levels);
    for (int level = 1; level < smallMesh().levels; ++level) QVERIFY(texelsPerMetre[level] > texelsPerMetre[level - 1] * 1.9);
    QStringList reached;
    for (const auto& entry : levelOf) reached << QString::fromStdString(entry.first);
    reached.sort();
    QCOMPARE(reached, filesBelow(folder));
    QCOMPARE(reached.size(), 1 + 1 + 4);
  }

  void closeCameraReachesTheFinestLevelAndFarCameraTheCoarsest() {
    osg::ref_ptr<osg::MatrixTransform> root = readTileRoot(tileRootPath(mesh_, 1, 1));
    QVERIFY(root);
    osg::Vec3d offset;
    osg::Vec3 high;
    root->getUserValue("OffsetXYZ", offset);
    root->getUserValue("MaxXYZ", high);
    const osg::Vec3d ground = offset + osg::Vec3d(50.0, 50.0, high.z());
    const QString folder = tileFolder(mesh_, 1, 1);
    QCOMPARE(deepestSelectedLevel(*root, folder, lookAt(ground + osg::Vec3d(0, 0, 30), ground)), 2);
    QCOMPARE(deepestSelectedLevel(*root, folder, lookAt(ground + osg::Vec3d(0, 0, 20000), ground)), 0);
    const int middle = deepestSelectedLevel(*root, folder, lookAt(ground + osg::Vec3d(0, 0, 300), ground));
    QVERIFY(middle >= 0 && middle <= 2);
  }

  void editingMeshCarriesLodVersion2() {
    QTemporaryDir dir;
    const QString mesh = dir.filePath("DSM_Mesh_For_Editing");
    demo::DemoOptions options = smallMesh();
    options.tiles = 1;
    demo::writeTiledMesh(mesh.toStdString(), options, true);
    osg::ref_ptr<osg::MatrixTransform> root = readTileRoot(tileRootPath(mesh, 0, 0));
    QVERIFY(root);
    int version = 0;
    QVERIFY(root->getUserValue("VEXALODVersion", version));
    QCOMPARE(version, 2);
  }

  void sameSeedGivesSameBytesOtherSeedOtherTerrain() {
    QTemporaryDir dir;
    demo::writeTiledMesh(dir.filePath("again").toStdString(), smallMesh(), false);
    QCOMPARE(differingFiles(mesh_, dir.filePath("again")), QStringList());
    demo::DemoOptions other = smallMesh();
    other.seed = 8;
    demo::writeTiledMesh(dir.filePath("other").toStdString(), other, false);
    const QStringList differing = differingFiles(mesh_, dir.filePath("other"));
    QVERIFY(differing.contains("Tile_0_0/Tile_0_0.osgb"));
    QVERIFY(differing.contains("Tile_1_1/Tile_1_1_L2_3.osgb"));
  }

  void refusesANonEmptyFolder() {
    QTemporaryDir dir;
    QFile keep(dir.filePath("notes.txt"));
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.write("mine");
    keep.close();
    try {
      demo::writeTiledMesh(dir.path().toStdString(), smallMesh(), false);
      QFAIL("a non-empty folder was accepted");
    } catch (const std::runtime_error& error) {
      QVERIFY(QString(error.what()).contains("not empty"));
    }
    QCOMPARE(filesBelow(dir.path()), QStringList{"notes.txt"});
  }

  void rejectsUnusableOptions_data() {
    QTest::addColumn<int>("tiles");
    QTest::addColumn<int>("levels");
    QTest::addColumn<int>("cells");
    QTest::addColumn<int>("texels");
    QTest::addColumn<QString>("message");
    QTest::newRow("no tiles") << 0 << 3 << 16 << 64 << "tiles";
    QTest::newRow("no levels") << 2 << 0 << 16 << 64 << "levels";
    QTest::newRow("grid cannot halve") << 2 << 3 << 18 << 64 << "multiple of 4";
    QTest::newRow("texture cannot halve") << 2 << 4 << 16 << 20 << "multiple of 8";
  }
  void rejectsUnusableOptions() {
    QFETCH(int, tiles);
    QFETCH(int, levels);
    QFETCH(int, cells);
    QFETCH(int, texels);
    QFETCH(QString, message);
    demo::DemoOptions options = smallMesh();
    options.tiles = tiles;
    options.levels = levels;
    options.finestGridCells = cells;
    options.textureSize = texels;
    QTemporaryDir dir;
    try {
      demo::writeTiledMesh(dir.filePath("mesh").toStdString(), options, false);
      QFAIL("unusable options were accepted");
    } catch (const std::runtime_error& error) {
      QVERIFY2(QString(error.what()).contains(message), error.what());
    }
    QVERIFY(!QDir(dir.filePath("mesh")).exists());
  }

  void singleLevelTileHasOnlyItsRoot() {
    QTemporaryDir dir;
    demo::DemoOptions options = smallMesh();
    options.tiles = 1;
    options.levels = 1;
    const QString mesh = dir.filePath("mesh");
    demo::writeTiledMesh(mesh.toStdString(), options, false);
    QCOMPARE(filesBelow(mesh), (QStringList{"Mesh.osgb", "Tile_0_0/Tile_0_0.osgb"}));
    osg::ref_ptr<osg::MatrixTransform> root = readTileRoot(tileRootPath(mesh, 0, 0));
    QVERIFY(root);
    auto* top = dynamic_cast<osg::PagedLOD*>(root->getChild(0));
    QVERIFY(top);
    QCOMPARE(top->getMaxRange(0), FLT_MAX);
  }

 private:
  QTemporaryDir dir_;
  QString mesh_;
};

QTEST_GUILESS_MAIN(TiledMeshTest)
#include "TiledMeshTest.moc"
