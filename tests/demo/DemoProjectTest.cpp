#include <algorithm>
#include <cfloat>
#include <fstream>
#include <map>
#include <set>

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <ogr_spatialref.h>
#include <osg/MatrixTransform>
#include <osg/PagedLOD>
#include <osg/Texture2D>
#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include "demo/DemoProject.h"
#include "demo/PhotoRenderer.h"
#include "demo/SizeEstimate.h"
#include "demo/TerrainModel.h"
#include "demo/TileLayout.h"
#include "vx/HeightGrid.h"
#include "vx/Las.h"
#include "vx/Vexa.h"
#include "tests/platform/vx/TestProjects.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vxdb/Database.h"

namespace {

demo::DemoOptions smallProject() {
  demo::DemoOptions options;
  options.tiles = 2;
  options.levels = 3;
  options.images = 8;
  options.finestGridCells = 16;
  options.textureSize = 64;
  options.seed = 3;
  return options;
}

using testprojects::readText;

QStringList filesBelow(const QString& folder) {
  QStringList files;
  QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
  files.sort();
  return files;
}

// Files that differ or exist on one side only; lists of absolute paths are compared relative to their folder.
QStringList differingFiles(const QString& a, const QString& b) {
  const auto normalized = [](const QString& root, const QString& file) {
    QByteArray bytes = readText(root + "/" + file);
    return file.endsWith(".txt") || file.endsWith(".vpr") ? bytes.replace(QDir(root).absolutePath().toUtf8(), "<ROOT>") : bytes;
  };
  QStringList differing;
  for (const QString& f : filesBelow(a)) {
    if (normalized(a, f) != normalized(b, f) || !QFileInfo::exists(b + "/" + f)) differing << f;
  }
  for (const QString& f : filesBelow(b)) {
    if (!QFileInfo::exists(a + "/" + f)) differing << f;
  }
  return differing;
}

QString tileRootPath(const QString& mesh, int x, int y) { return QString("%1/Tile_%2_%3/Tile_%2_%3.osgb").arg(mesh).arg(x).arg(y); }

osg::ref_ptr<osg::MatrixTransform> readTileRoot(const QString& path) {
  osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile(path.toStdString());
  return dynamic_cast<osg::MatrixTransform*>(node.get());
}

struct Collector : osg::NodeVisitor {
  explicit Collector(osg::Node& node) : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) { node.accept(*this); }
  void apply(osg::PagedLOD& node) override {
    lods.push_back(&node);
    traverse(node);
  }
  void apply(osg::Geometry& geometry) override { geometries.push_back(&geometry); }
  std::vector<osg::ref_ptr<osg::PagedLOD>> lods;
  std::vector<osg::ref_ptr<osg::Geometry>> geometries;
};

}  // namespace

class DemoProjectTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    root_ = dir_.filePath("Demo Project");
    mesh_ = root_ + "/Results/DSM_Mesh";
    QList<int> percents;
    demo::writeDemoProject(root_.toStdString(), smallProject(), [&](int percent, const std::string&) { percents << percent; });
    QVERIFY(percents.size() >= 5 && percents.first() == 0 && percents.last() == 100);
    QVERIFY(std::is_sorted(percents.begin(), percents.end()));
    project_.loadProjectFile((root_ + "/Project.vpr").toStdString());
  }

  void projectFileAndFoldersDescribeTheProject() {
    for (const char* folder : {"Internal/Editor", "Internal/Images/Color", "Internal/Lists", "Internal/Orientations",
                             "Internal/Topologies", "Results/DSM_Mesh_For_Editing", "Results/DSM_Metainformation/DSM_Roughness"})
      QVERIFY2(QFileInfo(root_ + "/" + folder).isDir(), folder);
    QCOMPARE(project_.tileSize(), 100.0);
    QCOMPARE(project_.groundSampleDistance(), 100.0 / 64);
    QCOMPARE(project_.areaMax()[0] - project_.areaMin()[0], 200.0);
    QVERIFY(project_.areaMax()[2] > project_.areaMin()[2]);
    QCOMPARE(project_.imageCount(), size_t{8});
    for (size_t i = 0; i < project_.imageCount(); ++i) {
      const vx::ProjectImage& image = project_.image(i);
      QCOMPARE(QString::fromStdString(image.photoPath), "Internal/Images/Color/" + QString::fromStdString(image.name));
      QCOMPARE(project_.imageOrientation(image).imageName(), image.name);
    }
    OGRSpatialReference srs;
    QCOMPARE(srs.importFromWkt(project_.coordinateSystemWkt().c_str()), OGRERR_NONE);
    QVERIFY(srs.IsProjected());
  }

  void databasesNameBothMeshesAsCurrentResults() {
    const auto resources = vxdb::DatabaseIO::readFile((root_ + "/Internal/resources.vxdb").toStdString());
    const auto chronicle = vxdb::DatabaseIO::readFile((root_ + "/Internal/chronicle.vxdb").toStdString());
    QVERIFY(resources && chronicle);
    const auto current = [&](vx::MSG::PRC from, vx::MSG::PRC to) {
      QStringList paths;
      for (const std::string& path : vxdb::getCurrentResources(resources, chronicle, from, to, true).paths)
        paths << QFileInfo(QString::fromStdString(path)).canonicalFilePath();
      return paths;
    };
    QCOMPARE(current(vx::MSG::PRC_MESH, vx::MSG::PRC_DSM_MESH_TEXTURING), QStringList{QFileInfo(mesh_ + "/Mesh.osgb").canonicalFilePath()});
    QCOMPARE(current(vx::MSG::PRC_DSM_MESH_FOR_EDITING, vx::MSG::PRC_DSM_MESH_FOR_EDITING),
             QStringList{QFileInfo(root_ + "/Results/DSM_Mesh_For_Editing/Mesh.osgb").canonicalFilePath()});
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
    const QByteArray raw = readText(root_ + "/Internal/Lists/" + list);
    QVERIFY(raw.endsWith('\n') && !raw.contains('\r'));
    const QStringList lines = QString::fromUtf8(raw).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    for (const QString& line : lines) {
      QVERIFY2(line.startsWith(QDir(root_ + "/" + mesh).absolutePath() + "/Tile_"), qPrintable(line));
      osg::ref_ptr<osg::MatrixTransform> root = readTileRoot(line);
      int value = 0;
      QVERIFY(root && root->getUserValue("VEXALODVersion", value));
      QCOMPARE(value, version);
    }
  }

  // One reference per tile, centred on it; each tile root carries its offset and bounds, and
  // child 0 is the coarsest level, already loaded.
  void indexAndTileRootsFollowTheLayout() {
    osg::ref_ptr<osg::Node> index = osgDB::readRefNodeFile((mesh_ + "/Mesh.osgb").toStdString());
    QVERIFY(index && index->asGroup());
    QCOMPARE(index->asGroup()->getNumChildren(), 4u);
    osg::Vec3d firstOffset;
    QVERIFY(readTileRoot(tileRootPath(mesh_, 0, 0))->getUserValue("OffsetXYZ", firstOffset));
    QStringList names;
    for (const auto& lod : Collector(*index).lods) {
      const QString name = QString::fromStdString(lod->getFileName(0));
      names << name;
      QCOMPARE(lod->getNumChildren(), 0u);
      QCOMPARE(lod->getMaxRange(0), FLT_MAX);
      // Read by path, the reader supplies the index's folder, so the mesh folder can move.
      QCOMPARE(QDir(QString::fromStdString(lod->getDatabasePath())).absolutePath(), QDir(mesh_).absolutePath());
      osg::ref_ptr<osg::MatrixTransform> root = readTileRoot(mesh_ + "/" + name);
      osg::Vec3 minXYZ, maxXYZ;
      osg::Vec3d offset;
      QVERIFY(root && root->getUserValue("MinXYZ", minXYZ) && root->getUserValue("MaxXYZ", maxXYZ) &&
              root->getUserValue("OffsetXYZ", offset));
      QCOMPARE(root->getMatrix().getTrans(), offset);
      const osg::Vec3d cell = (offset - firstOffset) / 100.0;
      QCOMPARE(name, QString("Tile_%1_%2/Tile_%1_%2.osgb").arg(cell.x()).arg(cell.y()));
      QCOMPARE(cell.z(), 0.0);
      QVERIFY(lod->getCenter().x() > offset.x() && lod->getCenter().x() < offset.x() + 100.0);
      QVERIFY(lod->getCenter().y() > offset.y() && lod->getCenter().y() < offset.y() + 100.0);
      QVERIFY(lod->getRadius() > 70.0f);
      QVERIFY(minXYZ.x() == 0.0f && maxXYZ.x() == 100.0f && maxXYZ.z() > minXYZ.z());
      auto* top = dynamic_cast<osg::PagedLOD*>(root->getChild(0));
      QVERIFY(top && top->getNumChildren() == 1);
      QCOMPARE(QString::fromStdString(top->getFileName(1)), name.section('/', 0, 0) + "_L1_0.osgb");
    }
    names.sort();
    QCOMPARE(names, QStringList({"Tile_0_0/Tile_0_0.osgb", "Tile_0_1/Tile_0_1.osgb", "Tile_1_0/Tile_1_0.osgb",
                                 "Tile_1_1/Tile_1_1.osgb"}));
    // As stored, no file names a database path.
    for (const QString& name : filesBelow(mesh_)) {
      std::ifstream in((mesh_ + "/" + name).toStdString(), std::ios::binary);
      osg::ref_ptr<osg::Node> node = osgDB::Registry::instance()->getReaderWriterForExtension("osgb")->readNode(in).getNode();
      QVERIFY2(node, qPrintable(name));
      for (const auto& lod : Collector(*node).lods) QVERIFY2(lod->getDatabasePath().empty(), qPrintable(name));
    }
  }

  // Every file named by a PagedLOD lies in the tile folder and loads; every file of the folder is
  // reached; each quad switches to its finer file where its own range ends; vertices stay within
  // the tile bounds; textures are embedded and their ground resolution doubles with every level.
  // One LAS file per tile on the visible surface, with a dense matching's noise and its shadows
  // beside walls.
  void pointCloudsSampleTheSurface() {
    const QStringList listed = QString::fromUtf8(readText(root_ + "/Internal/Lists/point_cloud_raw_list.txt"))
                                   .split('\n', Qt::SkipEmptyParts);
    QCOMPARE(listed.size(), 4);
    const demo::DemoOptions options = smallProject();
    const demo::MeshLayout layout = demo::MeshLayout::fromOptions(options);
    const demo::TerrainModel terrain(options.seed, layout.extent());
    const double cell = layout.tileSize / layout.textureSize;
    std::vector<double> errors;
    std::size_t nearWalls = 0, total = 0;
    for (const QString& file : listed) {
      QVERIFY2(file.startsWith(root_ + "/Internal/Point_Cloud_Raw/Tile_"), qPrintable(file));
      vx::las::Reader reader(file.toStdString());
      std::vector<vx::las::Point> points;
      while (reader.read(points)) {
        for (const vx::las::Point& p : points) {
          const double x = p.x - layout.origin.x(), y = p.y - layout.origin.y();
          errors.push_back(std::abs(p.z - terrain.surfaceHeight(x, y)));
          demo::BuildingHit roof;
          if (!terrain.buildingAt(x, y, roof) && terrain.distanceToBuilding(x, y, 2.0) < 2.0) ++nearWalls;
          ++total;
        }
      }
    }
    std::nth_element(errors.begin(), errors.begin() + std::ptrdiff_t(errors.size() / 2), errors.end());
    const double median = errors[errors.size() / 2];
    QVERIFY2(median > 0.05 * cell && median < 0.4 * cell, qPrintable(QString("median noise %1").arg(median)));
    QVERIFY(total > 4 * std::size_t(layout.textureSize * layout.textureSize));
    // Ground beside walls keeps about a quarter of its points.
    QVERIFY2(nearWalls < total / 20, qPrintable(QString("%1 of %2 beside walls").arg(nearWalls).arg(total)));
  }

  // The DSM made from the demo's clouds against the surface they were sampled from.
  void theDsmOfTheDemoMatchesItsSurface() {
    // A project of its own: processing changes the project that the other cases compare.
    QTemporaryDir dir;
    const QString root = dir.filePath("Processed");
    demo::writeDemoProject(root.toStdString(), smallProject());
    vx::VEXAProject project;
    project.loadProjectFile((root + "/Project.vpr").toStdString());
    vx::VEXA engine;
    QCOMPARE(engine.dsm(project), 0);
    const demo::DemoOptions options = smallProject();
    const demo::MeshLayout layout = demo::MeshLayout::fromOptions(options);
    const demo::TerrainModel terrain(options.seed, layout.extent());
    const double gsd = project.effectiveGsd();
    std::vector<double> all, awayFromWalls;
    for (int y = 0; y < options.tiles; ++y) {
      for (int x = 0; x < options.tiles; ++x) {
        const vx::HeightGrid tile = vx::readHeightGrid(
            QString("%1/Internal/DSM_Raw/DSM_Raw/Tile_%2_%3.tif").arg(root).arg(x).arg(y).toStdString());
        for (int row = 0; row < tile.rows; ++row) {
          for (int column = 0; column < tile.columns; ++column) {
            const double lx = tile.centreX(column) - layout.origin.x(), ly = tile.centreY(row) - layout.origin.y();
            const double error = std::abs(tile.at(column, row) - terrain.surfaceHeight(lx, ly));
            all.push_back(error);
            demo::BuildingHit roof;
            const bool onRoof = terrain.buildingAt(lx, ly, roof);
            if (!onRoof && terrain.distanceToBuilding(lx, ly, 3 * gsd) >= 3 * gsd) awayFromWalls.push_back(error);
          }
        }
      }
    }
    const auto percentile = [](std::vector<double> values, double fraction) {
      const auto at = values.begin() + std::ptrdiff_t(fraction * double(values.size() - 1));
      std::nth_element(values.begin(), at, values.end());
      return *at;
    };
    const double median = percentile(all, 0.5), p95 = percentile(awayFromWalls, 0.95);
    qInfo("demo DSM at %.2f m cells: median error %.3f m, 95th percentile away from walls %.3f m", gsd, median, p95);
    QVERIFY2(median <= 0.5 * gsd, qPrintable(QString::number(median)));
    QVERIFY2(p95 <= 3 * gsd, qPrintable(QString::number(p95)));
  }

  // The textured DSM mesh, drawn from a camera of the flight, shows what that camera's photo shows.
  void theTexturedDsmMeshLooksLikeThePhotos() {
    demo::PhotoRenderer renderer;
    for (const QString& file : filesBelow(mesh_)) {
      if (!file.startsWith("Tile_")) continue;
      const osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile((mesh_ + "/" + file).toStdString());
      QVERIFY2(node, qPrintable(file));
      osg::Vec3d offset;
      QVERIFY(readTileRoot(mesh_ + "/" + file.section('/', 0, 0) + "/" + file.section('/', 0, 0) + ".osgb")
                  ->getUserValue("OffsetXYZ", offset));
      std::vector<demo::TexturedMesh> meshes;
      auto* root = dynamic_cast<osg::MatrixTransform*>(node.get());
      if (root) {
        for (unsigned c = 0; c < root->getNumChildren(); ++c) demo::collectFinestMeshes(*root->getChild(c), offset, meshes);
      } else {
        demo::collectFinestMeshes(*node, offset, meshes);
      }
      renderer.add(meshes);
    }
    int compared = 0;
    for (size_t i = 0; i < project_.imageCount(); ++i) {
      const vx::ImageOrientation camera = project_.imageOrientation(project_.image(i));
      const demo::Photo drawn = renderer.render(camera);
      const QImage photo =
          QImage(root_ + "/" + QString::fromStdString(project_.image(i).photoPath)).convertToFormat(QImage::Format_RGB888);
      QCOMPARE(photo.width(), drawn.width);
      double difference = 0;
      long samples = 0;
      for (int row = 0; row < drawn.height; ++row) {
        const uchar* line = photo.constScanLine(row);
        for (int column = 0; column < drawn.width; ++column) {
          const unsigned char* pixel = drawn.pixel(column, row);
          if (pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 0) continue;  // no mesh there
          for (int k = 0; k < 3; ++k) difference += std::abs(int(pixel[k]) - int(line[3 * column + k]));
          samples += 3;
        }
      }
      if (samples < long(drawn.width) * drawn.height) continue;  // the camera sees little of the mesh
      const double mean = difference / double(samples);
      qInfo("camera %s: mean colour difference %.2f over %ld samples", camera.imageName().c_str(), mean, samples / 3);
      QVERIFY2(mean <= 10.0, qPrintable(QString::fromStdString(camera.imageName()) + ": " + QString::number(mean)));
      ++compared;
    }
    QVERIFY(compared >= 2);
  }

  void levelFilesFormOneCompleteTree() {
    const QString folder = mesh_ + "/Tile_0_1";
    osg::Vec3 low, high;
    const osg::ref_ptr<osg::MatrixTransform> root = readTileRoot(tileRootPath(mesh_, 0, 1));
    QVERIFY(root->getUserValue("MinXYZ", low) && root->getUserValue("MaxXYZ", high));
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
      const Collector found(*node);
      for (const auto& lod : found.lods) {
        QCOMPARE(lod->getRangeMode(), osg::LOD::PIXEL_SIZE_ON_SCREEN);
        if (lod->getNumFileNames() < 2 || lod->getFileName(1).empty()) continue;
        QCOMPARE(lod->getMinRange(1), lod->getMaxRange(0));
        QCOMPARE(lod->getMaxRange(1), FLT_MAX);
        QCOMPARE(levelOf.count(lod->getFileName(1)), size_t{0});
        levelOf[lod->getFileName(1)] = level + 1;
        pending.push_back(lod->getFileName(1));
      }
      std::set<osg::Image*> images;
      for (const auto& geometry : found.geometries) {
        const auto* vertices = dynamic_cast<const osg::Vec3Array*>(geometry->getVertexArray());
        const auto* texCoords = dynamic_cast<const osg::Vec2Array*>(geometry->getTexCoordArray(0));
        QVERIFY(vertices && texCoords && texCoords->size() == vertices->size());
        QCOMPARE(geometry->getNormalArray()->getNumElements(), vertices->size());
        for (const osg::Vec3& v : *vertices) {
          QVERIFY(v.x() >= low.x() && v.x() <= high.x() && v.y() >= low.y() && v.y() <= high.y());
          QVERIFY(v.z() >= low.z() - 1e-3f && v.z() <= high.z() + 1e-3f);
        }
        osg::StateSet* state = geometry->getStateSet();
        auto* texture = state ? dynamic_cast<osg::Texture2D*>(state->getTextureAttribute(0, osg::StateAttribute::TEXTURE)) : nullptr;
        osg::Image* image = texture ? texture->getImage() : nullptr;
        QVERIFY2(image && image->data() && image->s() > 0, name.c_str());
        images.insert(image);
        const auto [first, last] = std::minmax_element(texCoords->begin(), texCoords->end(),
                                                       [](const osg::Vec2& a, const osg::Vec2& b) { return a.x() < b.x(); });
        const osg::BoundingBox box = geometry->getBoundingBox();
        texelsPerMetre[level] = image->s() * (last->x() - first->x()) / (box.xMax() - box.xMin());
      }
      QCOMPARE(images.size(), size_t{1});  // one texture per file
    }
    // The DSM mesh chooses its levels from the DSM's cell size.
    const int levels = int(texelsPerMetre.size());
    QVERIFY(levels >= 2);
    for (int level = 1; level < levels; ++level) QVERIFY(texelsPerMetre[level] > texelsPerMetre[level - 1] * 1.9);
    QStringList reached;
    for (const auto& entry : levelOf) reached << QString::fromStdString(entry.first);
    reached.sort();
    QCOMPARE(reached, filesBelow(folder));
    int files = 1;
    for (int level = 1; level < levels; ++level) files += 1 << (2 * (level - 1));
    QCOMPARE(reached.size(), files);
  }

  void singleLevelTileIsShownAtEveryDistance() {
    QTemporaryDir dir;
    demo::DemoOptions options = smallProject();
    options.tiles = 1;
    options.levels = 1;
    demo::writeTiledMesh(dir.filePath("mesh").toStdString(), options, true);
    QCOMPARE(filesBelow(dir.filePath("mesh")), (QStringList{"Mesh.osgb", "Tile_0_0/Tile_0_0.osgb"}));
    osg::ref_ptr<osg::MatrixTransform> root = readTileRoot(tileRootPath(dir.filePath("mesh"), 0, 0));
    QVERIFY(root && dynamic_cast<osg::PagedLOD*>(root->getChild(0)));
    QCOMPARE(static_cast<osg::PagedLOD*>(root->getChild(0))->getMaxRange(0), FLT_MAX);
  }

  void sameSeedGivesTheSameProjectOtherSeedAnother() {
    QTemporaryDir other;
    demo::writeDemoProject(other.filePath("Demo Project").toStdString(), smallProject());
    QCOMPARE(differingFiles(root_, other.filePath("Demo Project")), QStringList());
    demo::DemoOptions options = smallProject();
    options.seed = 4;
    demo::writeDemoProject(other.filePath("seed 4").toStdString(), options);
    const QStringList differing = differingFiles(root_, other.filePath("seed 4"));
    QVERIFY(differing.contains("Results/DSM_Mesh/Tile_1_1/Tile_1_1.osgb"));
    QVERIFY(differing.contains("Results/DSM_Mesh/Tile_1_1/Tile_1_1_L1_0.osgb"));
    QVERIFY(differing.contains("Ground_Truth/True_Ortho/True_Ortho_1_0.tif"));
    QVERIFY(differing.contains("Internal/Orientations/IMG_0001.ori"));
    QVERIFY(differing.contains("Internal/Images/Color/IMG_0001.jpg"));
    QVERIFY(differing.contains("Results/True_Ortho/True_Ortho_1_0.tif"));
  }

  void refusesANonEmptyFolderAndImpossibleOptions() {
    QTemporaryDir other;
    testprojects::writeText(other.filePath("Project.vpr"), "someone else's project");
    QVERIFY(testprojects::errorOf([&] { demo::writeDemoProject(other.path().toStdString(), smallProject()); })
                .contains("not empty"));
    QCOMPARE(filesBelow(other.path()), QStringList{"Project.vpr"});
    QCOMPARE(readText(other.filePath("Project.vpr")), QByteArray("someone else's project"));

    demo::DemoOptions options = smallProject();
    options.images = 0;
    QVERIFY_EXCEPTION_THROWN(demo::writeDemoProject(other.filePath("p").toStdString(), options), std::runtime_error);
    options = smallProject();
    options.textureSize = 18;  // three levels cannot halve it twice
    QVERIFY_EXCEPTION_THROWN(demo::writeTiledMesh(other.filePath("p").toStdString(), options, false), std::runtime_error);
    QVERIFY(!QFileInfo::exists(other.filePath("p")));
  }

  void aFailedWriteLeavesNothingBehindAndTheRerunSucceeds() {
    QTemporaryDir other;
    const QString target = other.filePath("Demo Project");
    const auto failHalfway = [](int percent, const std::string&) {
      if (percent >= 50) throw std::runtime_error("disk unplugged");
    };
    QCOMPARE(testprojects::errorOf([&] { demo::writeDemoProject(target.toStdString(), smallProject(), failHalfway); }),
             QString("disk unplugged"));
    QCOMPARE(QDir(other.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    // The moved project names its own folder, not the one it was written in.
    demo::writeDemoProject(target.toStdString(), smallProject());
    QCOMPARE(differingFiles(root_, target), QStringList());
    QCOMPARE(QDir(other.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"Demo Project"});
  }

  void theSizeEstimateCoversTheProjectAndRefusesATooLargeOne() {
    qint64 written = 0;
    for (const QString& file : filesBelow(root_)) written += QFileInfo(root_ + "/" + file).size();
    const auto estimate = demo::estimateProjectBytes(smallProject());
    QVERIFY2(estimate >= std::uintmax_t(written) && estimate < 3 * std::uintmax_t(written),
             qPrintable(QString("estimate %1, written %2").arg(estimate).arg(written)));

    demo::DemoOptions huge = smallProject();
    huge.tiles = 256;
    huge.levels = 1;
    huge.textureSize = 8192;  // about 26 TB
    QTemporaryDir other;
    const QString error =
        testprojects::errorOf([&] { demo::writeDemoProject(other.filePath("a/b").toStdString(), huge); });
    QVERIFY2(error.startsWith("Not enough free space for the demo project in " + other.path() + ": it needs about "),
             qPrintable(error));
    QVERIFY(error.endsWith("nothing was written."));
    QVERIFY(!QFileInfo::exists(other.filePath("a")));
  }

 private:
  QTemporaryDir dir_;
  QString root_;
  QString mesh_;
  vx::VEXAProject project_;
};

QTEST_GUILESS_MAIN(DemoProjectTest)
#include "DemoProjectTest.moc"
