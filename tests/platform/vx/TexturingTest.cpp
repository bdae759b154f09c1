// The DSM mesh texturing on a generated demo project: retexturing tiles that lie outside the
// project's results (edited ones) and refusing tiles it cannot texture.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <osg/Geometry>
#include <osg/NodeVisitor>
#include <osg/Texture2D>
#include <osgDB/ReadFile>
#include <osgDB/WriteFile>

#include "EngineRecorder.h"
#include "TestProjects.h"
#include "TileTextures.h"
#include "demo/DemoProject.h"
#include "scenefiles/SceneFileGuard.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

namespace {

demo::DemoOptions smallProject() {
  demo::DemoOptions options;
  options.tiles = 2;
  options.images = 8;
  options.finestGridCells = 16;
  options.textureSize = 64;
  options.seed = 5;
  return options;
}

void copyFolder(const QString& from, const QString& to) {
  QDir().mkpath(to);
  for (const QString& file : QDir(from).entryList(QDir::Files)) QVERIFY(QFile::copy(from + "/" + file, to + "/" + file));
}

}  // namespace

class TexturingTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString root_;
  vx::VEXAProject project_;
  vx::VEXA engine_;
  testprojects::Recorder recorder_;
  std::unique_ptr<scenefiles::SceneFileGuard> guard_;  // as in the editor and vexa-process

  int texture(const QString& list) {
    recorder_.messages.clear();
    return engine_.texturing(list.toStdString(), true, (root_ + "/Internal/Orientations").toStdString(),
                             (root_ + "/Internal/Images/Color").toStdString(), root_.toStdString(), project_, "");
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    root_ = dir_.filePath("Demo");
    demo::writeDemoProject(root_.toStdString(), smallProject());
    project_.loadProjectFile((root_ + "/Project.vpr").toStdString());
    engine_.registerStatusCallback(&testprojects::Recorder::callback, &recorder_);
    guard_ = std::make_unique<scenefiles::SceneFileGuard>(scenefiles::SceneFileGuard::Settings{});
    scenefiles::SceneFileGuard::install(guard_.get());
  }

  void cleanupTestCase() { scenefiles::SceneFileGuard::install(nullptr); }

  // An edited tile (a copy outside the results) gets its colours back from the photos, in its own
  // folder; the project's results, lists and databases stay as they were.
  void editedTilesAreRetexturedWhereTheyLie() {
    const QString edited = root_ + "/Internal/Editor/tmp/Tile_1_0";
    copyFolder(root_ + "/Results/DSM_Mesh/Tile_1_0", edited);
    const double before = testprojects::meanTexel(edited);
    QVERIFY(testprojects::blacken(edited));
    QCOMPARE(testprojects::meanTexel(edited), 0.0);
    const auto results = testprojects::folderSnapshot(root_ + "/Results");
    const auto lists = testprojects::folderSnapshot(root_ + "/Internal/Lists");
    const QByteArray resources = testprojects::readText(root_ + "/Internal/resources.vxdb");
    const QString list = root_ + "/Internal/Editor/tmp/mesheditor_texturingList.txt";
    testprojects::writeText(list, (edited + "/Tile_1_0.osgb\n").toUtf8());

    QCOMPARE(texture(list), 0);
    const double after = testprojects::meanTexel(edited);
    QVERIFY2(std::abs(after - before) < 0.05 * before, qPrintable(QString("%1 against %2").arg(after).arg(before)));
    // Told it is no DSM mesh, the same tile is retextured the same way, under the 3D mesh's step.
    QVERIFY(testprojects::blacken(edited));
    recorder_.messages.clear();
    QCOMPARE(engine_.texturing(list.toStdString(), false, (root_ + "/Internal/Orientations").toStdString(),
                               (root_ + "/Internal/Images/Color").toStdString(), root_.toStdString(), project_, ""),
             0);
    QCOMPARE(testprojects::meanTexel(edited), after);
    QVERIFY(!recorder_.of(vx::MSG::TYPE_MODULE_FINISHED, 1840).empty());
    QCOMPARE(testprojects::folderSnapshot(root_ + "/Results"), results);
    QCOMPARE(testprojects::folderSnapshot(root_ + "/Internal/Lists"), lists);
    QCOMPARE(testprojects::readText(root_ + "/Internal/resources.vxdb"), resources);
    // Still a tile that pages: its level files are named relative to it.
    const osg::ref_ptr<osg::Node> root = osgDB::readRefNodeFile((edited + "/Tile_1_0.osgb").toStdString());
    QVERIFY(root && root->asGroup() && root->asGroup()->getNumChildren() == 1);
  }

  // Tiles that are not the project's or not there are refused before any tile is touched.
  void unusableTilesAreRefusedByName() {
    const QString list = dir_.filePath("list.txt");
    const QString stranger = dir_.filePath("Elsewhere/Tile_7_7/Tile_7_7.osgb");
    copyFolder(root_ + "/Results/DSM_Mesh/Tile_0_0", dir_.filePath("Elsewhere/Tile_7_7"));
    QVERIFY(QFile::rename(dir_.filePath("Elsewhere/Tile_7_7/Tile_0_0.osgb"), stranger));
    const auto results = testprojects::folderSnapshot(root_ + "/Results");
    testprojects::writeText(list, (root_ + "/Results/DSM_Mesh/Tile_0_0/Tile_0_0.osgb\n" + stranger + "\n").toUtf8());
    QCOMPARE(texture(list), int(vx::VEXA::kInvalidInput));
    QVERIFY2(recorder_.messages.back().text.find("Tile_7_7.osgb is not one of the project's 2 x 2 tiles") !=
                 std::string::npos,
             recorder_.messages.back().text.c_str());

    const QString missing = dir_.filePath("Gone/Tile_0_0/Tile_0_0.osgb");
    testprojects::writeText(list, (missing + "\n").toUtf8());
    QCOMPARE(texture(list), int(vx::VEXA::kInvalidInput));
    QVERIFY(QString::fromStdString(recorder_.messages.back().text).contains(missing));
    QCOMPARE(testprojects::folderSnapshot(root_ + "/Results"), results);

    // A damaged tile is named, as unusable input, and nothing is recorded.
    const QString damaged = dir_.filePath("Damaged/Tile_1_1");
    copyFolder(root_ + "/Results/DSM_Mesh/Tile_1_1", damaged);
    QFile cut(damaged + "/Tile_1_1.osgb");
    QVERIFY(cut.open(QIODevice::ReadWrite) && cut.resize(cut.size() / 3));
    cut.close();
    testprojects::writeText(list, (damaged + "/Tile_1_1.osgb\n").toUtf8());
    QCOMPARE(texture(list), int(vx::VEXA::kInvalidInput));
    QVERIFY2(QString::fromStdString(recorder_.messages.back().text).contains(damaged + "/Tile_1_1.osgb"),
             recorder_.messages.back().text.c_str());

    // A photo of the image list that is not there.
    const QString images = dir_.filePath("Images");
    testprojects::writeText(images + "/image_color_iter0_list.txt", "IMG_0001.jpg\n");
    testprojects::writeText(list, (root_ + "/Results/DSM_Mesh/Tile_0_0/Tile_0_0.osgb\n").toUtf8());
    recorder_.messages.clear();
    QCOMPARE(engine_.texturing(list.toStdString(), true, (root_ + "/Internal/Orientations").toStdString(),
                               images.toStdString(), root_.toStdString(), project_, ""),
             int(vx::VEXA::kInvalidInput));
    QVERIFY2(QString::fromStdString(recorder_.messages.back().text).contains(images + "/IMG_0001.jpg"),
             recorder_.messages.back().text.c_str());
    QCOMPARE(testprojects::folderSnapshot(root_ + "/Results"), results);
  }
};

QTEST_GUILESS_MAIN(TexturingTest)
#include "TexturingTest.moc"
