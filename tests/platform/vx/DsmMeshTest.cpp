#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <osg/Geometry>
#include <osg/Group>
#include <osg/MatrixTransform>
#include <osg/NodeVisitor>
#include <osgDB/ReadFile>

#include <cmath>
#include <map>

#include "EngineRecorder.h"
#include "TestProjects.h"
#include "TestShapefiles.h"
#include "vx/HeightGrid.h"
#include "vx/Las.h"
#include "vx/MeshTiles.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"
#include "vx/WriteFaults.h"
#include "vxdb/Database.h"

namespace {

constexpr double kWest = 500000, kSouth = 5000000;

double plane(double x, double y) { return 20.0 + 0.1 * (x - kWest) + 0.05 * (y - kSouth); }

// Every vertex of the geometries below a node, in the node's coordinates.
struct VertexCollector : osg::NodeVisitor {
  std::vector<osg::Vec3> vertices;
  VertexCollector() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
  void apply(osg::Geometry& geometry) override {
    if (auto* array = dynamic_cast<const osg::Vec3Array*>(geometry.getVertexArray()))
      vertices.insert(vertices.end(), array->begin(), array->end());
  }
};

// The finest level of a written tile, in world coordinates.
std::vector<osg::Vec3d> finestVertices(const QString& tileFolder, int x, int y) {
  const std::string name = vx::tiles::tileName(x, y);
  const osg::ref_ptr<osg::Node> root = osgDB::readRefNodeFile((tileFolder + "/" + QString::fromStdString(name) + ".osgb").toStdString());
  osg::Vec3d offset;
  if (!root || !root->getUserValue("OffsetXYZ", offset)) return {};
  int finest = 0;
  for (const QString& file : QDir(tileFolder).entryList({QString::fromStdString(name) + "_L*.osgb"}))
    finest = std::max(finest, file.section("_L", 1).section('_', 0, 0).toInt());
  std::vector<osg::Vec3d> world;
  for (const QString& file : QDir(tileFolder).entryList({QString::fromStdString(name) + "_L" + QString::number(finest) + "_*.osgb"})) {
    VertexCollector collector;
    osgDB::readRefNodeFile((tileFolder + "/" + file).toStdString())->accept(collector);
    for (const osg::Vec3& v : collector.vertices) world.push_back(offset + osg::Vec3d(v));
  }
  return world;
}

}  // namespace

class DsmMeshTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::unique_ptr<vx::VEXAProject> project_;
  vx::VEXA engine_;
  testprojects::Recorder recorder_;

  QString folder() const { return dir_.path(); }
  QString meshFolder() const { return folder() + "/Internal/DSM_Mesh_Untextured"; }

 private slots:
  // Two tiles of 100 m over a tilted plane, sampled by a point every 0.5 m, GSD 1 m.
  void init() {
    QVERIFY(dir_.isValid());
    QDir(folder()).removeRecursively();
    QDir().mkpath(folder());
    recorder_ = {};
    engine_.registerStatusCallback(&testprojects::Recorder::callback, &recorder_);
    project_ = std::make_unique<vx::VEXAProject>();
    QCOMPARE(project_->setOutputFolder(folder().toStdString(), 0, 0), 0);
    project_->setTileSize(100);
    project_->setGroundSampleDistance(1.0);
    project_->setArea({{kWest, kSouth, 0}}, {{kWest + 200, kSouth + 100, 80}});
    testprojects::writeRawPointCloud(folder(), {{kWest, kSouth, 0}}, {{kWest + 200, kSouth + 100, 80}}, 0.0, 0.5);
    std::vector<vx::las::Point> points;
    vx::las::Reader reader((folder() + "/Internal/Point_Cloud_Raw/cloud.las").toStdString());
    std::vector<vx::las::Point> chunk;
    while (reader.read(chunk)) points.insert(points.end(), chunk.begin(), chunk.end());
    for (vx::las::Point& p : points) p.z = plane(p.x, p.y);
    vx::las::write((folder() + "/Internal/Point_Cloud_Raw/cloud.las").toStdString(), points);
  }

  void theMeshFollowsTheDsmWithoutGapsBetweenTiles() {
    QCOMPARE(engine_.dsm(*project_), 0);
    QCOMPARE(engine_.dsmMesh(*project_), 0);

    std::map<std::pair<double, double>, double> border;  // the vertices on x = 100 m of both tiles
    for (int x = 0; x < 2; ++x) {
      const QString tile = meshFolder() + "/Tile_" + QString::number(x) + "_0";
      const std::vector<osg::Vec3d> vertices = finestVertices(tile, x, 0);
      QVERIFY2(vertices.size() > 1000, qPrintable(tile));
      double worst = 0;
      for (const osg::Vec3d& v : vertices) {
        worst = std::max(worst, std::abs(v.z() - plane(v.x(), v.y())));
        if (std::abs(v.x() - (kWest + 100)) < 1e-3) {
          const auto key = std::make_pair(std::round(v.y() * 1000), 0.0);
          if (x == 0) border[key] = v.z();
          else if (border.count(key)) QCOMPARE(v.z(), border[key]);
        }
      }
      // The plane is linear, so the interpolation is exact but at the area's rim.
      QVERIFY2(worst < 0.1, qPrintable(QString::number(worst)));
    }
    QVERIFY(!border.empty());

    // The root carries the tile's place and bounds; the list names every root.
    const osg::ref_ptr<osg::Node> root = osgDB::readRefNodeFile((meshFolder() + "/Tile_1_0/Tile_1_0.osgb").toStdString());
    QVERIFY(root && dynamic_cast<osg::MatrixTransform*>(root.get()));
    osg::Vec3d offset;
    osg::Vec3 low, high;
    int version = 0;
    QVERIFY(root->getUserValue("OffsetXYZ", offset) && root->getUserValue("MinXYZ", low) &&
            root->getUserValue("MaxXYZ", high) && root->getUserValue("VEXALODVersion", version));
    QCOMPARE(offset, osg::Vec3d(kWest + 100, kSouth, 0));
    QVERIFY(std::abs(low.z() - plane(kWest + 100, kSouth)) < 0.2 && std::abs(high.z() - plane(kWest + 200, kSouth + 100)) < 0.2);
    const QByteArray list = testprojects::readText(folder() + "/Internal/Lists/dsm_mesh_untextured_list.txt");
    QCOMPARE(list.count('\n'), 2);
    for (const QByteArray& line : list.trimmed().split('\n')) QVERIFY2(QFileInfo::exists(QString::fromUtf8(line)), line);
  }

  void correctionPolygonsLayTheMeshOnTheirPlane() {
    QDir().mkpath(folder() + "/Internal/Editor");
    testprojects::writeShapefile(folder() + "/Internal/Editor/CorrectionShape.shp",
                                 {{kWest + 110, kSouth + 10, 40}, {kWest + 150, kSouth + 10, 40},
                                  {kWest + 150, kSouth + 40, 40}, {kWest + 110, kSouth + 40, 40}},
                                 true);
    project_->setCorrectionShapefile("Internal/Editor/CorrectionShape.shp");
    QCOMPARE(engine_.dsm(*project_), 0);
    QCOMPARE(engine_.dsmMesh(*project_), 0);
    int inside = 0;
    for (const osg::Vec3d& v : finestVertices(meshFolder() + "/Tile_1_0", 1, 0)) {
      if (v.x() > kWest + 110.01 && v.x() < kWest + 149.99 && v.y() > kSouth + 10.01 && v.y() < kSouth + 39.99) {
        QCOMPARE(v.z(), 40.0);
        ++inside;
      } else if (v.x() > kWest + 160) {
        QVERIFY(std::abs(v.z() - plane(v.x(), v.y())) < 0.1);
      }
    }
    QVERIFY(inside > 1000);
  }

  // A tile the given list names but that cannot be read stops the module before the first tile.
  void anUnreadableDsmIsRefusedByName() {
    QCOMPARE(engine_.dsm(*project_), 0);
    const QString list = folder() + "/given_dsm_list.txt";
    const QString missing = folder() + "/Internal/DSM_Raw/DSM_Raw/Tile_9_9.tif";
    testprojects::writeText(list, (folder() + "/Internal/DSM_Raw/DSM_Raw/Tile_0_0.tif\n" + missing + "\n").toUtf8());
    QCOMPARE(engine_.dsmMesh(list.toStdString(), folder().toStdString(), *project_, ""), int(vx::VEXA::kInvalidInput));
    const auto errors = recorder_.of(vx::MSG::TYPE_ERROR, 1740);
    QCOMPARE(int(errors.size()), 1);
    QVERIFY2(QString::fromStdString(errors[0].text).contains(missing), errors[0].text.c_str());
    QVERIFY(!QFileInfo::exists(folder() + "/Internal/Lists/dsm_mesh_untextured_list.txt"));
    QVERIFY(!QFileInfo::exists(meshFolder() + "/Tile_0_0"));

    // A cut tile is named too.
    QFile cut(folder() + "/Internal/DSM_Raw/DSM_Raw/Tile_1_0.tif");
    QVERIFY(cut.open(QIODevice::ReadWrite) && cut.resize(300));
    cut.close();
    recorder_ = {};
    QCOMPARE(engine_.dsmMesh(*project_), int(vx::VEXA::kInvalidInput));
    QVERIFY(QString::fromStdString(recorder_.of(vx::MSG::TYPE_ERROR, 1740).at(0).text).contains("Tile_1_0.tif"));
  }

  // A whole run records its results; a run of some tiles and a failed run record nothing.
  void wholeRunsRegisterTheirResults() {
    engine_.setResultRegistrar(&vxdb::registerModuleResults);
    const auto current = [&] {
      const std::string internal = folder().toStdString() + "/Internal/";
      return vxdb::getCurrentResources(vxdb::DatabaseIO::readFile(internal + "resources.vxdb"),
                                       vxdb::DatabaseIO::readFile(internal + "chronicle.vxdb"), vx::MSG::PRC_DSM,
                                       vx::MSG::PRC_DSM_MESH_TEXTURING, false)
          .paths;
    };
    QCOMPARE(engine_.dsm(*project_), 0);
    engine_.setTileSelection({{1, 0}});
    QCOMPARE(engine_.dsmMesh(*project_), 0);
    engine_.setTileSelection({});
    QCOMPARE(current().size(), size_t(1));
    QVERIFY(QString::fromStdString(current()[0]).endsWith("Internal/Lists/dsm_raw_list.txt"));

    QCOMPARE(engine_.dsmMesh(*project_), 0);
    const std::vector<std::string> paths = current();
    QCOMPARE(paths.size(), size_t(2));
    QVERIFY(QString::fromStdString(paths[1]).endsWith("Internal/DSM_Mesh_Untextured/Mesh.osgb"));
    // The index names both tiles.
    const osg::ref_ptr<osg::Group> index =
        dynamic_cast<osg::Group*>(osgDB::readRefNodeFile(paths[1]).get());
    QVERIFY(index && index->getNumChildren() == 2);

    // A database that cannot be written fails the run, naming it.
    QVERIFY(QFile::remove(folder() + "/Internal/resources.vxdb"));
    QVERIFY(QDir().mkpath(folder() + "/Internal/resources.vxdb"));
    recorder_ = {};
    QCOMPARE(engine_.dsmMesh(*project_), int(vx::VEXA::kWriteFailed));
    QVERIFY(QString::fromStdString(recorder_.of(vx::MSG::TYPE_ERROR, 1740).at(0).text).contains("resources.vxdb"));
    engine_.setResultRegistrar(nullptr);
  }

  // A disk that fills up while the mesh is written ends the run naming the file; nothing is listed
  // or recorded, and the whole run afterwards succeeds.
  void aFullDiskIsNamedAndRecordsNothing() {
    engine_.setResultRegistrar(&vxdb::registerModuleResults);
    QCOMPARE(engine_.dsm(*project_), 0);
    const QByteArray resources = testprojects::readText(folder() + "/Internal/resources.vxdb");
    vx::writefaults::inject(5, vx::writefaults::Fault::NoSpace);  // within the first tile's files
    QCOMPARE(engine_.dsmMesh(*project_), int(vx::VEXA::kWriteFailed));
    vx::writefaults::clear();
    const std::string error = recorder_.of(vx::MSG::TYPE_ERROR, 1740).at(0).text;
    QVERIFY2(QString::fromStdString(error).contains(meshFolder() + "/Tile_0_0/Tile_0_0"), error.c_str());
    QVERIFY(!QFileInfo::exists(folder() + "/Internal/Lists/dsm_mesh_untextured_list.txt"));
    QCOMPARE(testprojects::readText(folder() + "/Internal/resources.vxdb"), resources);
    QCOMPARE(QDir(meshFolder() + "/Tile_0_0").entryList(QDir::Files).filter(".tmp-"), QStringList());
    QCOMPARE(engine_.dsmMesh(*project_), 0);
    engine_.setResultRegistrar(nullptr);
  }

  // A mesh is a 3D input of the DSM too: its finest surface seen from above.
  void aMeshGivesTheDsmItsSurface() {
    QCOMPARE(engine_.dsm(*project_), 0);
    QCOMPARE(engine_.dsmMesh(*project_), 0);
    const QString list = folder() + "/Internal/Lists/dsm_mesh_untextured_list.txt";
    QCOMPARE(engine_.dsm(list.toStdString(), folder().toStdString(), *project_, "", ""), 0);
    const vx::HeightGrid tile = vx::readHeightGrid((folder() + "/Internal/DSM_Raw/DSM_Raw/Tile_1_0.tif").toStdString());
    int known = 0;
    for (int row = 0; row < tile.rows; ++row)
      for (int column = 0; column < tile.columns; ++column) {
        const float z = tile.at(column, row);
        if (std::isnan(z)) continue;
        ++known;
        QVERIFY(std::abs(z - plane(tile.centreX(column), tile.centreY(row))) < 0.1);
      }
    QVERIFY(known > tile.rows * tile.columns * 9 / 10);

    // A list naming no mesh tile that can be read is refused by name.
    const QString bad = folder() + "/bad_list.txt";
    testprojects::writeText(bad, (folder() + "/Nowhere/Tile_0_0.osgb\n").toUtf8());
    recorder_ = {};
    QCOMPARE(engine_.dsm(bad.toStdString(), folder().toStdString(), *project_, "", ""), int(vx::VEXA::kInvalidInput));
    QVERIFY(QString::fromStdString(recorder_.of(vx::MSG::TYPE_ERROR, 1710).at(0).text).contains("Nowhere/Tile_0_0.osgb"));
  }

  // The call with a log file appends the run's messages to it.
  void theLogFileReceivesTheRunsMessages() {
    QCOMPARE(engine_.dsm(*project_), 0);
    const QString log = folder() + "/Internal/log.txt";
    testprojects::writeText(log, "earlier line\n");
    QCOMPARE(engine_.dsmMesh("", folder().toStdString(), *project_, log.toStdString()), 0);
    const QByteArray text = testprojects::readText(log);
    QVERIFY(text.startsWith("earlier line\n"));
    QVERIFY2(text.contains("Processing Tile 2 of 2"), text.constData());
  }
};

QTEST_GUILESS_MAIN(DsmMeshTest)
#include "DsmMeshTest.moc"
