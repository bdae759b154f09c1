#include <cmath>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <ogr_spatialref.h>
#include <osg/MatrixTransform>
#include <osgDB/ReadFile>

#include "FolderCompare.h"
#include "demo/DemoProject.h"
#include "vx/ImageOrientation.h"
#include "vx/Msg.h"
#include "vx/StereoModels.h"
#include "vx/VEXAProject.h"
#include "vxdb/Database.h"

namespace {

demo::DemoOptions smallProject() {
  demo::DemoOptions options;
  options.tiles = 2;
  options.levels = 2;
  options.images = 8;
  options.finestGridCells = 16;
  options.textureSize = 64;
  options.seed = 3;
  return options;
}

QStringList readLines(const QString& path, QByteArray* raw = nullptr) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  if (raw) *raw = bytes;
  QStringList lines = QString::fromUtf8(bytes).split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

bool isNadir(const vx::ImageOrientation& o) { return o.rotation()[8] < -0.999; }

// Where the ray through the principal point meets the horizontal plane at height z.
bool principalRayHit(const vx::ImageOrientation& o, double z, double& x, double& y) {
  const auto& r = o.rotation();
  const auto& c = o.projectionCenter();
  const double dz = r[8];
  if (dz >= 0.0) return false;
  const double t = (z - c[2]) / dz;
  x = c[0] + t * r[6];
  y = c[1] + t * r[7];
  return true;
}

bool insideImage(const vx::ImageOrientation& o, const vx::ImageOrientation::Vec3& point) {
  double u = 0.0;
  double v = 0.0;
  return o.project(point, u, v) && u >= 0 && v >= 0 && u < o.width() && v < o.height();
}

}  // namespace

class DemoProjectTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    root_ = dir_.filePath("Demo Project");
    demo::writeDemoProject(root_.toStdString(), smallProject(), [this](int percent, const std::string& step) {
      percents_ << percent;
      steps_ << QString::fromStdString(step);
    });
    project_.loadProjectFile((root_ + "/Project.vpr").toStdString());
  }

  void createsEveryFolderOfTheLayout() {
    const QStringList folders{
        "Internal/Control_Files", "Internal/DSM_Mesh_Merged/Iter_0", "Internal/DSM_Mesh_Merged/Iter_1",
        "Internal/DSM_Mesh_Untextured", "Internal/DSM_Raw/DSM_Extended", "Internal/DSM_Raw/DSM_Raw", "Internal/Editor",
        "Internal/Images/Color", "Internal/Images/Match", "Internal/Init", "Internal/LiDAR/Trajectories", "Internal/Lists",
        "Internal/Mesh_Merged/Iter_0", "Internal/Mesh_Merged/Iter_1", "Internal/Mesh_Untextured", "Internal/Orientations",
        "Internal/Point_Cloud_Raw", "Internal/Rect", "Internal/SGM", "Internal/Shapefiles", "Internal/Subprojects",
        "Internal/Topologies", "Results/DSM", "Results/DSM_Mesh", "Results/DSM_Mesh_For_Editing", "Results/Mesh",
        "Results/Point_Cloud", "Results/True_Ortho", "Results/DSM_Metainformation/DSM_Binary_Mask",
        "Results/DSM_Metainformation/DSM_Cell_Point_Count", "Results/DSM_Metainformation/DSM_Cell_Standard_Deviation",
        "Results/DSM_Metainformation/DSM_Distance_Map", "Results/DSM_Metainformation/DSM_Height_Colored",
        "Results/DSM_Metainformation/DSM_Point_Color", "Results/DSM_Metainformation/DSM_Point_Color_Interpolated",
        "Results/DSM_Metainformation/DSM_Point_Model_Count", "Results/DSM_Metainformation/DSM_Roughness"};
    for (const QString& folder : folders) QVERIFY2(QFileInfo(root_ + "/" + folder).isDir(), qPrintable(folder));
  }

  void projectFileDescribesTheProject() {
    QVERIFY(!project_.name().empty());
    QCOMPARE(project_.tileSize(), 100.0);
    QCOMPARE(project_.groundSampleDistance(), 100.0 / 64);
    QCOMPARE(project_.areaMax()[0] - project_.areaMin()[0], 200.0);
    QCOMPARE(project_.areaMax()[1] - project_.areaMin()[1], 200.0);
    QVERIFY(project_.areaMax()[2] > project_.areaMin()[2]);
    QCOMPARE(project_.imageCount(), size_t{8});
    for (size_t i = 0; i < project_.imageCount(); ++i) {
      const vx::ProjectImage& image = project_.image(i);
      QVERIFY(project_.isImageSelected(image));
      QCOMPARE(QString::fromStdString(image.photoPath), "Internal/Images/Color/" + QString::fromStdString(image.name));
      QCOMPARE(project_.imageOrientation(image).imageName(), image.name);
    }
    QCOMPARE(project_.stereoModels().imageCount(), 8);
  }

  void coordinateSystemIsAValidProjectedWkt() {
    OGRSpatialReference srs;
    QCOMPARE(srs.importFromWkt(project_.coordinateSystemWkt().c_str()), OGRERR_NONE);
    QVERIFY(srs.IsProjected());
    QCOMPARE(readLines(root_ + "/Internal/coordinate_system.wkt"), QStringList{QString::fromStdString(project_.coordinateSystemWkt())});
  }

  void databasesNameTheTexturedMeshAsCurrentResult() {
    const auto resources = vxdb::DatabaseIO::readFile((root_ + "/Internal/resources.vxdb").toStdString());
    const auto chronicle = vxdb::DatabaseIO::readFile((root_ + "/Internal/chronicle.vxdb").toStdString());
    QVERIFY(resources && chronicle);
    const vxdb::PathsAndIds loaded =
        vxdb::getCurrentResources(resources, chronicle, vx::MSG::PRC_MESH, vx::MSG::PRC_DSM_MESH_TEXTURING, true);
    QCOMPARE(loaded.paths.size(), size_t{1});
    QCOMPARE(QFileInfo(QString::fromStdString(loaded.paths[0])).canonicalFilePath(),
             QFileInfo(root_ + "/Results/DSM_Mesh/Mesh.osgb").canonicalFilePath());
    const vxdb::PathsAndIds editing = vxdb::getCurrentResources(
        resources, chronicle, vx::MSG::PRC_DSM_MESH_FOR_EDITING, vx::MSG::PRC_DSM_MESH_FOR_EDITING, true);
    QCOMPARE(editing.paths.size(), size_t{1});
    QCOMPARE(QFileInfo(QString::fromStdString(editing.paths[0])).canonicalFilePath(),
             QFileInfo(root_ + "/Results/DSM_Mesh_For_Editing/Mesh.osgb").canonicalFilePath());
  }

  void tileListsNameEveryTileRoot_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("mesh");
    QTest::addColumn<int>("version");
    QTest::newRow("textured") << "dsm_mesh_list.txt" << "Results/DSM_Mesh" << 1;
    QTest::newRow("for editing") << "dsm_mesh_for_editing_list.txt" << "Results/DSM_Mesh_For_Editing" << 2;
  }
  void tileListsNameEveryTileRoot() {
    QFETCH(QString, list);
    QFETCH(QString, mesh);
    QFETCH(int, version);
    QByteArray raw;
    const QStringList lines = readLines(root_ + "/Internal/Lists/" + list, &raw);
    QCOMPARE(lines.size(), 4);
    QVERIFY(raw.endsWith('\n') && !raw.contains('\r'));
    const QString meshFolder = QDir(root_ + "/" + mesh).absolutePath();
    for (const QString& line : lines) {
      QVERIFY2(QFileInfo(line).isAbsolute() && QFileInfo(line).isFile(), qPrintable(line));
      QVERIFY(line.startsWith(meshFolder + "/Tile_"));
      osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile(line.toStdString());
      auto* root = dynamic_cast<osg::MatrixTransform*>(node.get());
      QVERIFY(root);
      int value = 0;
      QVERIFY(root->getUserValue("VEXALODVersion", value));
      QCOMPARE(value, version);
    }
  }

  void orientationListReadsBackEveryCamera() {
    const std::vector<vx::ImageOrientation> cameras =
        vx::readOrientationList((root_ + "/Internal/Orientations/orientation_list.txt").toStdString());
    QCOMPARE(cameras.size(), size_t{8});
    const QStringList images = readLines(root_ + "/Internal/Images/Color/image_color_list.txt");
    QCOMPARE(images.size(), 8);
    int nadir = 0;
    for (size_t i = 0; i < cameras.size(); ++i) {
      QCOMPARE(QString::fromStdString(cameras[i].imageName()), images[static_cast<int>(i)]);
      QCOMPARE(cameras[i].width(), 1600);
      QCOMPARE(cameras[i].height(), 1200);
      QVERIFY(cameras[i].focalLength() > 1000.0);
      nadir += isNadir(cameras[i]) ? 1 : 0;
    }
    QVERIFY(nadir > 0 && nadir < 8);
  }

  void camerasSeeTheTerrain() {
    const std::vector<vx::ImageOrientation> cameras =
        vx::readOrientationList((root_ + "/Internal/Orientations/orientation_list.txt").toStdString());
    const auto low = project_.areaMin();
    const auto high = project_.areaMax();
    const double z = (low[2] + high[2]) / 2;
    const vx::ImageOrientation::Vec3 centre{{(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, z}};
    bool centreSeen = false;
    for (const vx::ImageOrientation& camera : cameras) {
      double x = 0.0;
      double y = 0.0;
      QVERIFY(principalRayHit(camera, z, x, y));
      QVERIFY2(x > low[0] && x < high[0] && y > low[1] && y < high[1], camera.imageName().c_str());
      QVERIFY(camera.projectionCenter()[2] > high[2] + 30.0);
      if (isNadir(camera) && insideImage(camera, centre)) centreSeen = true;
    }
    QVERIFY(centreSeen);
    // Every part of the area lies in some photo.
    for (int j = 0; j <= 4; ++j) {
      for (int i = 0; i <= 4; ++i) {
        const vx::ImageOrientation::Vec3 p{{low[0] + (high[0] - low[0]) * i / 4, low[1] + (high[1] - low[1]) * j / 4, z}};
        QVERIFY(std::any_of(cameras.begin(), cameras.end(), [&](const vx::ImageOrientation& c) { return insideImage(c, p); }));
      }
    }
  }

  void topologyPairsNeighbouringCameras() {
    vx::StereoModels topology;
    QVERIFY(topology.loadTopology((root_ + "/Internal/Topologies/Topology.tif").toStdString()));
    QCOMPARE(topology.imageCount(), 8);
    const std::vector<vx::ImageOrientation> cameras =
        vx::readOrientationList((root_ + "/Internal/Orientations/orientation_list.txt").toStdString());
    for (int i = 0; i < 8; ++i) {
      QVERIFY(!topology.isPair(i, i));
      QVERIFY(!topology.partners(i).empty());
      for (int j = 0; j < 8; ++j) QCOMPARE(topology.isPair(i, j), topology.isPair(j, i));
      // Consecutive exposures of one strip (same flight line) form a pair.
      if (i + 1 < 8 && std::abs(cameras[i].projectionCenter()[1] - cameras[i + 1].projectionCenter()[1]) < 1e-6)
        QVERIFY(topology.isPair(i, i + 1));
    }
  }

  void logAndProgressReportEachStep() {
    QVERIFY(readLines(root_ + "/Internal/log.txt").size() >= 3);
    QVERIFY(percents_.size() >= 5);
    QCOMPARE(percents_.first(), 0);
    QCOMPARE(percents_.last(), 100);
    for (int i = 1; i < percents_.size(); ++i) QVERIFY(percents_[i] >= percents_[i - 1]);
    QVERIFY(steps_.filter("tiles").size() >= 4);
  }

  void sameSeedGivesTheSameProject() {
    QTemporaryDir other;
    demo::writeDemoProject(other.filePath("Demo Project").toStdString(), smallProject());
    QCOMPARE(differingFiles(root_, other.filePath("Demo Project")), QStringList());
  }

  void otherSeedGivesAnotherProject() {
    QTemporaryDir other;
    demo::DemoOptions options = smallProject();
    options.seed = 4;
    demo::writeDemoProject(other.path().toStdString(), options);
    const QStringList differing = differingFiles(root_, other.path());
    QVERIFY(differing.contains("Results/DSM_Mesh/Tile_1_1/Tile_1_1.osgb"));
    QVERIFY(differing.contains("Internal/Orientations/IMG_0001.ori"));
  }

  void refusesANonEmptyFolderAndKeepsItsContents() {
    QTemporaryDir other;
    QFile keep(other.filePath("Project.vpr"));
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.write("someone else's project");
    keep.close();
    try {
      demo::writeDemoProject(other.path().toStdString(), smallProject());
      QFAIL("a non-empty folder was accepted");
    } catch (const std::runtime_error& error) {
      QVERIFY(QString(error.what()).contains("not empty"));
    }
    QCOMPARE(filesBelow(other.path()), QStringList{"Project.vpr"});
    QCOMPARE(readLines(other.filePath("Project.vpr")), QStringList{"someone else's project"});
  }

  void rejectsAnImpossibleImageCount() {
    QTemporaryDir other;
    demo::DemoOptions options = smallProject();
    options.images = 0;
    QVERIFY_EXCEPTION_THROWN(demo::writeDemoProject(other.filePath("p").toStdString(), options), std::runtime_error);
    QVERIFY(!QFileInfo::exists(other.filePath("p")));
  }

 private:
  QTemporaryDir dir_;
  QString root_;
  QList<int> percents_;
  QStringList steps_;
  vx::VEXAProject project_;
};

QTEST_GUILESS_MAIN(DemoProjectTest)
#include "DemoProjectTest.moc"
