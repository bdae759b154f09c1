#include <chrono>
#include <ctime>
#include <cmath>
#include <map>
#include <memory>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <osg/ComputeBoundsVisitor>
#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osg/NodeVisitor>
#include <osg/PagedLOD>
#include <osg/Texture2D>
#include <osgDB/ReadFile>
#include <osgDB/Registry>
#include <osgUtil/IntersectionVisitor>
#include <osgUtil/LineSegmentIntersector>

#include "demo/DemoProject.h"
#include "vx/MeshTiles.h"
#include "me/UpdateLODsController.h"
#include "scenefiles/SceneFileGuard.h"
#include "vx/Msg.h"
#include "vx/Status.h"
#include "vx/WriteFaults.h"

#include <unistd.h>

namespace {

// 2 x 2 tiles of 100 m, three levels: a level-0 node of 8 x 8 cells per tile, four level-1 nodes,
// sixteen finest quads of 8 x 8 cells.
demo::DemoOptions smallMesh() {
  demo::DemoOptions options;
  options.tiles = 2;
  options.levels = 3;
  options.finestGridCells = 32;
  options.textureSize = 64;
  return options;
}
constexpr double kLevel0Cell = 100.0 / 8;
constexpr double kLevel1Cell = 50.0 / 8;

QString tileFile(const QString& mesh, int x, int y, const QString& name) {
  return QDir(mesh).absoluteFilePath(QString("Tile_%1_%2/Tile_%1_%2%3.osgb").arg(x).arg(y).arg(name));
}
QString rootOf(const QString& mesh, int x, int y) { return tileFile(mesh, x, y, ""); }

using Snapshot = std::map<QString, QByteArray>;

Snapshot filesUnder(const QString& folder) {
  Snapshot files;
  QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) files[path] = file.readAll();
  }
  return files;
}

struct Message {
  int type;
  QString text;
};
std::vector<Message> g_messages;

void collect(int code, const char* format, const double* doubles, const int* ints, const char* string, void*) {
  QString text = QString::fromUtf8(format ? format : "");
  for (int i = 0; ints && i < 3; ++i) {
    const int at = text.indexOf("%d");
    if (at >= 0) text.replace(at, 2, QString::number(ints[i]));
  }
  if (string) text.replace("%s", QString::fromUtf8(string));
  g_messages.push_back({vx::MSG::typeOfCode(code), text});
}

QStringList errors() {
  QStringList texts;
  for (const Message& message : g_messages)
    if (message.type == vx::MSG::TYPE_ERROR) texts << message.text;
  return texts;
}

int runUpdate(const QStringList& tiles) {
  std::vector<std::string> paths;
  for (const QString& tile : tiles) paths.push_back(tile.toStdString());
  g_messages.clear();
  vx::utils::status::setStatusCallbackFunction(&collect);
  const int result = vx::me::controllers::UpdateLODsController().updateLODs(paths);
  vx::utils::status::setStatusCallbackFunction(nullptr);
  return result;
}

// The children a file's paged LODs show before their finer files are loaded; or, for the finest
// files, the whole file.
class CoarseChildren : public osg::NodeVisitor {
 public:
  CoarseChildren() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
  osg::ref_ptr<osg::Group> found = new osg::Group;
  void apply(osg::MatrixTransform& node) override { traverse(node); }  // into tile coordinates
  void apply(osg::PagedLOD& node) override {
    for (unsigned i = 0; i < node.getNumChildren(); ++i) found->addChild(node.getChild(i));
  }
};

osg::ref_ptr<osg::Node> read(const QString& path) { return osgDB::readRefNodeFile(path.toStdString()); }

osg::ref_ptr<osg::Group> coarseLevel(const QString& file) {
  CoarseChildren visitor;
  read(file)->accept(visitor);
  return visitor.found;
}

osg::ref_ptr<osg::Group> finestLevel(const QString& mesh, int x, int y) {
  osg::ref_ptr<osg::Group> group = new osg::Group;
  for (int i = 0; i < 4; ++i) group->addChild(read(tileFile(mesh, x, y, QString("_L2_%1").arg(i))).get());
  return group;
}

// Height of the surface at (x, y) in tile coordinates; NaN when there is none.
double heightAt(osg::Node& surface, double x, double y) {
  osg::ref_ptr<osgUtil::LineSegmentIntersector> line =
      new osgUtil::LineSegmentIntersector(osg::Vec3d(x, y, 1e4), osg::Vec3d(x, y, -1e4));
  osgUtil::IntersectionVisitor visitor(line.get());
  surface.accept(visitor);
  if (!line->containsIntersections()) return std::nan("");
  return line->getFirstIntersection().getWorldIntersectPoint().z();
}

size_t trianglesOf(osg::Node& node) {
  struct Counter : osg::NodeVisitor {
    Counter() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    size_t count = 0;
    void apply(osg::Geometry& geometry) override {
      for (unsigned i = 0; i < geometry.getNumPrimitiveSets(); ++i) count += geometry.getPrimitiveSet(i)->getNumIndices() / 3;
    }
  } counter;
  node.accept(counter);
  return counter.count;
}

osg::Image* firstImage(osg::Node& node) {
  struct Finder : osg::NodeVisitor {
    Finder() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    osg::Image* image = nullptr;
    void apply(osg::Node& node) override {
      if (!image && node.getStateSet()) {
        auto* texture = dynamic_cast<osg::Texture2D*>(node.getStateSet()->getTextureAttribute(0, osg::StateAttribute::TEXTURE));
        if (texture) image = texture->getImage();
      }
      traverse(node);
    }
  } finder;
  node.accept(finder);
  return finder.image;
}

double meanColourDifference(const osg::Image& a, const osg::Image& b) {
  double sum = 0.0;
  for (int t = 0; t < a.t(); ++t)
    for (int s = 0; s < a.s(); ++s) {
      const osg::Vec4 d = a.getColor(s, t) - b.getColor(s, t);
      sum += (std::fabs(d.r()) + std::fabs(d.g()) + std::fabs(d.b())) / 3;
    }
  return sum / (a.s() * a.t());
}

// Raises the finest vertices of tile (0, 0) inside [20, 45] x [20, 45] by `lift` metres.
void raiseBlock(const QString& mesh, float lift) {
  for (int i = 0; i < 4; ++i) {
    const QString path = tileFile(mesh, 0, 0, QString("_L2_%1").arg(i));
    osg::ref_ptr<osg::Node> file = read(path);
    struct Raise : osg::NodeVisitor {
      Raise() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
      float lift = 0.0f;
      void apply(osg::Geometry& geometry) override {
        auto* vertices = static_cast<osg::Vec3Array*>(geometry.getVertexArray());
        for (osg::Vec3& v : *vertices)
          if (v.x() >= 20 && v.x() <= 45 && v.y() >= 20 && v.y() <= 45) v.z() += lift;
        geometry.dirtyBound();
      }
    } raise;
    raise.lift = lift;
    file->accept(raise);
    vx::tiles::writeOsgb(*file, path.toStdString());
  }
}

}  // namespace

// Tiles are read as in the editor: through the registry, behind the guard against damaged files.
class UpdateLODsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<scenefiles::SceneFileGuard> guard_;

 private slots:
  void initTestCase() {
    scenefiles::SceneFileGuard::Settings settings;
    settings.helpers = 2;
    guard_ = std::make_unique<scenefiles::SceneFileGuard>(settings);
    scenefiles::SceneFileGuard::install(guard_.get());
  }
  void cleanupTestCase() { scenefiles::SceneFileGuard::install(nullptr); }

  void coarseLevelsFollowTheEditedFinestLevel() {
    QTemporaryDir dir;
    const QString mesh = dir.filePath("mesh");
    demo::writeTiledMesh(mesh.toStdString(), smallMesh(), true);
    const QString level0 = rootOf(mesh, 0, 0);
    const QString level1 = tileFile(mesh, 0, 0, "_L1_0");
    const osg::ref_ptr<osg::Group> oldLevel0 = coarseLevel(level0);
    const osg::ref_ptr<osg::Group> oldLevel1 = coarseLevel(level1);
    const osg::ref_ptr<osg::Group> oldFinest = finestLevel(mesh, 0, 0);
    const float lift = 8.0f;
    raiseBlock(mesh, lift);
    const Snapshot before = filesUnder(mesh);

    QVERIFY2(runUpdate({level0}) == 0, qPrintable(errors().join("\n")));
    QCOMPARE(g_messages.front().text, QString("Processing Tile 1 of 1"));
    QVERIFY(std::any_of(g_messages.begin(), g_messages.end(),
                        [](const Message& m) { return m.type == vx::MSG::TYPE_PROGRESS; }));

    // Only the coarse files of the edited tile changed; no staged file is left behind.
    const Snapshot after = filesUnder(mesh);
    QCOMPARE(after.size(), before.size());
    for (const auto& [path, bytes] : before) {
      const bool coarse = path == level0 || path == level1;
      QVERIFY2((after.at(path) != bytes) == coarse, qPrintable(path));
    }

    const osg::ref_ptr<osg::Group> finest = finestLevel(mesh, 0, 0);
    const osg::ref_ptr<osg::Group> newLevel0 = coarseLevel(level0);
    const osg::ref_ptr<osg::Group> newLevel1 = coarseLevel(level1);
    for (const auto& [level, oldLevel, cell] : {std::make_tuple(newLevel0, oldLevel0, kLevel0Cell),
                                                std::make_tuple(newLevel1, oldLevel1, kLevel1Cell)}) {
      const size_t formerTriangles = trianglesOf(*oldLevel);
      const size_t triangles = trianglesOf(*level);
      qInfo("coarse level with %zu triangles before, %zu after (finest %zu)", formerTriangles, triangles,
            trianglesOf(*finest));
      QVERIFY(triangles < trianglesOf(*finest) / 2 && triangles <= 2 * formerTriangles);
      double worst = 0.0;
      double formerWorst = 0.0;
      for (double y = 0.5; y < 100; y += 3)
        for (double x = 0.5; x < 100; x += 3) {
          const double coarseHeight = heightAt(*level, x, y);
          QVERIFY2(!std::isnan(coarseHeight), qPrintable(QString("hole at %1 %2").arg(x).arg(y)));
          worst = std::max(worst, std::fabs(coarseHeight - heightAt(*finest, x, y)));
          formerWorst = std::max(formerWorst, std::fabs(heightAt(*oldLevel, x, y) - heightAt(*oldFinest, x, y)));
        }
      // The demo's buildings have walls one finest cell wide, so both stay close to a coarse cell.
      qInfo("largest height difference to the finest level: %.2f m (before the edit %.2f m, cell %.2f m)", worst,
            formerWorst, cell);
      QVERIFY(worst <= cell);
      // The raised block reached the coarse level.
      QVERIFY(heightAt(*level, 32.5, 32.5) - heightAt(*oldLevel, 32.5, 32.5) > lift / 2);
    }

    // The rebuilt textures keep their size and show the same ground as the former ones.
    for (const auto& [level, oldLevel] : {std::make_pair(newLevel0, oldLevel0), std::make_pair(newLevel1, oldLevel1)}) {
      osg::Image* image = firstImage(*level);
      osg::Image* former = firstImage(*oldLevel);
      QVERIFY(image && former);
      QCOMPARE(image->s(), former->s());
      QCOMPARE(image->t(), former->t());
      const double difference = meanColourDifference(*image, *former);
      qInfo("mean colour difference to the former texture: %.3f", difference);
      QVERIFY(difference < 0.05);
    }

    // The root keeps its frame and gets the new bounds; the tile still pages through osgDB.
    osg::ref_ptr<osg::Node> root = read(level0);
    auto* transform = dynamic_cast<osg::MatrixTransform*>(root.get());
    QVERIFY(transform);
    int editState = 0;
    QVERIFY(root->getUserValue("EditState", editState));
    QCOMPARE(editState, 1);
    osg::Vec3 minXYZ, maxXYZ;
    QVERIFY(root->getUserValue("MinXYZ", minXYZ) && root->getUserValue("MaxXYZ", maxXYZ));
    osg::ComputeBoundsVisitor bounds;
    finest->accept(bounds);
    QCOMPARE(minXYZ, bounds.getBoundingBox()._min);
    QCOMPARE(maxXYZ, bounds.getBoundingBox()._max);
    // The folder the reader fills in is not written into the files.
    QVERIFY(!after.at(level0).contains(mesh.toUtf8()) && !after.at(level1).contains(mesh.toUtf8()));
    auto* top = dynamic_cast<osg::PagedLOD*>(transform->getChild(0));
    QVERIFY(top && top->getDatabasePath() == QDir(mesh).absoluteFilePath("Tile_0_0/").toStdString());
    QCOMPARE(top->getFileName(1), std::string("Tile_0_0_L1_0.osgb"));
    QCOMPARE(top->getCenterMode(), osg::LOD::USER_DEFINED_CENTER);
    QVERIFY(top->getRadius() >= 70.0f);
    osg::ref_ptr<osg::Node> paged = osgDB::readRefNodeFile(top->getDatabasePath() + top->getFileName(1));
    QVERIFY(paged && paged->asGroup() && paged->asGroup()->getNumChildren() == 4);
    auto* quad = dynamic_cast<osg::PagedLOD*>(paged->asGroup()->getChild(3));
    QVERIFY(quad && osgDB::readRefNodeFile(quad->getDatabasePath() + quad->getFileName(1)));
  }

  void damagedTilesAreReportedAndKeptAsTheyWere() {
    QTemporaryDir dir;
    const QString mesh = dir.filePath("mesh");
    demo::writeTiledMesh(mesh.toStdString(), smallMesh(), true);

    // Tile (1, 0): a truncated root; tile (0, 1): a missing level file.
    const QString truncated = rootOf(mesh, 1, 0);
    QVERIFY(QFile::resize(truncated, QFileInfo(truncated).size() / 2));
    const QString missing = tileFile(mesh, 0, 1, "_L2_3");
    QVERIFY(QFile::remove(missing));
    const Snapshot before = filesUnder(mesh);

    // And a tile of one level, with nothing coarser to rebuild.
    demo::DemoOptions single = smallMesh();
    single.tiles = 1;
    single.levels = 1;
    const QString flat = dir.filePath("flat");
    demo::writeTiledMesh(flat.toStdString(), single, true);
    const Snapshot flatBefore = filesUnder(flat);

    QCOMPARE(runUpdate({truncated, rootOf(mesh, 0, 1), rootOf(mesh, 1, 1), dir.filePath("nowhere/Tile_5_5/Tile_5_5.osgb"),
                        rootOf(flat, 0, 0)}),
             1);
    const QStringList texts = errors();
    QCOMPARE(texts.size(), 4);
    QVERIFY2(texts[3].contains(rootOf(flat, 0, 0)) && texts[3].contains("no coarser levels"), qPrintable(texts[3]));
    QVERIFY(filesUnder(flat) == flatBefore);
    QVERIFY2(texts[0].contains(truncated), qPrintable(texts[0]));
    QVERIFY2(texts[1].contains(missing) && texts[1].contains("does not exist"), qPrintable(texts[1]));
    QVERIFY2(texts[2].contains("Tile_5_5.osgb") && texts[2].contains("does not exist"), qPrintable(texts[2]));
    // The good tile among them was updated, the damaged ones were not touched.
    const Snapshot after = filesUnder(mesh);
    QCOMPARE(after.size(), before.size());
    for (const auto& [path, bytes] : before)
      QVERIFY2((after.at(path) != bytes) == (path == rootOf(mesh, 1, 1) || path == tileFile(mesh, 1, 1, "_L1_0")),
               qPrintable(path));
  }

  // A write that fails at any of its steps leaves the tile as it was, even when other files of the
  // tile were already staged.
  void aFailedWriteLeavesTheTileAsItWas() {
    QTemporaryDir dir;
    const QString mesh = dir.filePath("mesh");
    demo::writeTiledMesh(mesh.toStdString(), smallMesh(), true);
    const QString tile = rootOf(mesh, 0, 0);
    const Snapshot before = filesUnder(mesh);
    // Two staged files of about 100 kB: create, write, flush, close, rename, flush folder each.
    for (int step : {1, 2, 5, 7, 8, 11}) {
      vx::writefaults::inject(step, vx::writefaults::Fault::NoSpace);
      QCOMPARE(runUpdate({tile}), 1);
      vx::writefaults::clear();
      QCOMPARE(errors().size(), 1);
      QVERIFY2(errors()[0].startsWith("Cannot save " + tileFile(mesh, 0, 0, "_L1_0") + ":") ||
                   errors()[0].startsWith("Cannot save " + tile + ":"),
               qPrintable(errors()[0]));
      QVERIFY2(filesUnder(mesh) == before, qPrintable(QString("step %1").arg(step)));
    }

    if (::geteuid() != 0) {
      const QString folder = QFileInfo(tile).absolutePath();
      QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
      QCOMPARE(runUpdate({tile}), 1);
      QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
      QVERIFY2(errors().size() == 1 && errors()[0].contains(tileFile(mesh, 0, 0, "_L1_0")), qPrintable(errors().join("\n")));
      QVERIFY(filesUnder(mesh) == before);
    }
  }

  // Untextured meshes (the DSM mesh before texturing) get untextured coarse levels.
  void untexturedTilesStayUntextured() {
    QTemporaryDir dir;
    const QString mesh = dir.filePath("mesh");
    demo::writeTiledMesh(mesh.toStdString(), smallMesh(), true);
    const QStringList files = {rootOf(mesh, 0, 0), tileFile(mesh, 0, 0, "_L1_0"), tileFile(mesh, 0, 0, "_L2_0"),
                               tileFile(mesh, 0, 0, "_L2_1"), tileFile(mesh, 0, 0, "_L2_2"), tileFile(mesh, 0, 0, "_L2_3")};
    for (const QString& path : files) {
      osg::ref_ptr<osg::Node> file = read(path);
      struct StripTextures : osg::NodeVisitor {
        StripTextures() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
        void apply(osg::Node& node) override {
          node.setStateSet(nullptr);
          if (auto* geometry = node.asGeometry()) geometry->setTexCoordArrayList({});
          traverse(node);
        }
      } strip;
      file->accept(strip);
      vx::tiles::writeOsgb(*file, path.toStdString());
    }
    QVERIFY2(runUpdate({rootOf(mesh, 0, 0)}) == 0, qPrintable(errors().join("\n")));
    osg::ref_ptr<osg::Group> level0 = coarseLevel(rootOf(mesh, 0, 0));
    QVERIFY(!firstImage(*level0));
    osg::Geometry* geometry = level0->getChild(0)->asGroup()->getChild(0)->asGeometry();
    QVERIFY(geometry && !geometry->getTexCoordArray(0) && geometry->getNormalArray());
    QVERIFY(trianglesOf(*level0) < trianglesOf(*finestLevel(mesh, 0, 0)) / 4);
  }

  // Not a timed assertion: prints the time a tile of the demo's default size takes, read behind
  // the guard as in the editor and without it.
  void reportsTheTimeOfADefaultTile() {
    QTemporaryDir dir;
    demo::DemoOptions options;
    options.tiles = 1;
    for (const bool guarded : {true, false}) {
      const QString mesh = dir.filePath(guarded ? "guarded" : "unguarded");
      demo::writeTiledMesh(mesh.toStdString(), options, true);
      scenefiles::SceneFileGuard::install(guarded ? guard_.get() : nullptr);
      const auto start = std::chrono::steady_clock::now();
      const std::clock_t startCpu = std::clock();
      QCOMPARE(runUpdate({rootOf(mesh, 0, 0)}), 0);
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      const double cpuSeconds = static_cast<double>(std::clock() - startCpu) / CLOCKS_PER_SEC;
      qInfo("LOD update of one default demo tile (%d cells, %d texels, %d levels)%s: %.3f s (%.3f s processor time)",
            options.finestGridCells, options.textureSize, options.levels, guarded ? " behind the guard" : "", seconds,
            cpuSeconds);
    }
    scenefiles::SceneFileGuard::install(guard_.get());
  }
};

QTEST_GUILESS_MAIN(UpdateLODsTest)
#include "UpdateLODsTest.moc"
