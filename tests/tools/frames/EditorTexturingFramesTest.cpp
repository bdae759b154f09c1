#include <QCheckBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "demo/DemoProject.h"
#include "img/images/Images.h"
#include "me/Application.h"
#include "tests/tools/FakeModifiedTiles.h"
#include "tests/platform/vx/TestProjects.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tools/frames/ModifiedTilesListFile.h"
#include "tools/frames/ProcessingFrameEditorTexturing.h"
#include "tools/frames/ProcessingFrameLodUpdate.h"
#include "vx/Msg.h"
#include "vx/Status.h"
#include "vx/Steps.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

using namespace qvx::tool;
using testprojects::errorOf;
using testprojects::readText;
using testprojects::writeText;

namespace {

const QString kDsmQuestion =
    "VEXA is able to improve texture quality at the borders of DSM meshes. This feature should not be used for 3D "
    "meshes though.\n\nIs the mesh you are currently editing a DSM Mesh?";
const QColor kRed(255, 0, 0, 40);

// A session whose temporary folder is `root`/tmp, and orientation and image folders.
struct Session {
  QString root;
  std::shared_ptr<vx::me::Application> application = std::make_shared<vx::me::Application>();
  std::shared_ptr<FakeTiles> tiles = std::make_shared<FakeTiles>();
  explicit Session(const QString& folder) : root(folder) {
    application->getTemporaryFilesController().setTemporaryFolderName((root + "/tmp").toStdString());
    QDir().mkpath(root + "/ori");
    QDir().mkpath(root + "/img");
  }
  QString tmp() const { return root + "/tmp"; }
  // A tile folder on disk with its root file; `nodeFileName` as the scene names the node.
  void addTile(const QString& name, const QString& nodeFileName) {
    const QString folder = root + "/mesh/" + name;
    writeText(folder + "/" + name + ".osgb", "tile " + name.toUtf8());
    tiles->tiles.push_back({name, nodeFileName, folder});
  }
  void inputsOf(ProcessingFrame& row) const {
    row.setInputs(root + "/list.txt", root + "/ori", root + "/img", tmp(), QString());
  }
};

demo::DemoOptions smallMesh() {
  demo::DemoOptions options;
  options.tiles = 2;
  options.levels = 2;
  options.finestGridCells = 16;
  options.textureSize = 32;
  return options;
}

QStringList g_errors;
void collectErrors(int code, const char* format, const double*, const int*, const char* string, void*) {
  if (vx::MSG::typeOfCode(code) != vx::MSG::TYPE_ERROR) return;
  g_errors << QString::fromUtf8(format ? format : "") + " " + QString::fromUtf8(string ? string : "");
}

}  // namespace

class EditorTexturingFramesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    vexaInitImages();
    vx::VEXA::setSimulatedTileWork(std::chrono::milliseconds(0));
  }

  void rowsNameThemselvesAndShowNoParameterPage() {
    QTemporaryDir dir;
    Session session(dir.path());
    ProcessingFrameEditorTexturing texturing(session.application, session.tiles);
    ProcessingFrameLodUpdate lodUpdate(session.application);
    QCOMPARE(texturing.title(), QString("Texturing"));
    QCOMPARE(texturing.processingStep(), int(vx::steps::MeshTexturing));
    QCOMPARE(lodUpdate.title(), QString("LOD Update"));
    QVERIFY(lodUpdate.processingStep() < 0);
    for (ProcessingFrame* row :
         {static_cast<ProcessingFrame*>(&texturing), static_cast<ProcessingFrame*>(&lodUpdate)}) {
      QSignalSpy page(row, &ProcessingFrame::signal_showParameters);
      row->slot_configButtonClicked();
      QCOMPARE(page.count(), 0);
    }
  }

  void texturingNeedsBothPathsThenAsksWhichMeshItIs() {
    QTemporaryDir dir;
    Session session(dir.path());
    ProcessingFrameEditorTexturing row(session.application, session.tiles);
    auto project = std::make_shared<vx::VEXAProject>();
    row.setProject(project);
    {
      MessageBoxWatcher boxes(QMessageBox::Yes);
      for (auto [orientation, images] :
           {std::pair{QString(), dir.path() + "/img"}, std::pair{dir.path() + "/ori", QString()}}) {
        row.setInputs(QString(), orientation, images, QString(), QString());
        QCOMPARE(errorOf([&] { row.checkInputs(); }), QString("Ori and img paths are required for texturing."));
      }
      QVERIFY(boxes.texts().isEmpty());  // nothing is asked before the paths are there
    }
    session.inputsOf(row);
    {
      MessageBoxWatcher yes(QMessageBox::Yes);
      row.checkInputs();
      QCOMPARE(yes.texts(), QStringList{kDsmQuestion});
    }
    QVERIFY(row.isDsmMesh());
    QCOMPARE(row.processingStep(), int(vx::steps::DSMMeshTexturing));
    QVERIFY(project->isStepActive(vx::steps::DSMMeshTexturing));
    QVERIFY(!project->isStepActive(vx::steps::MeshTexturing));
    {
      MessageBoxWatcher no(QMessageBox::No);
      row.checkInputs();
    }
    QVERIFY(!row.isDsmMesh());
    QCOMPARE(row.processingStep(), int(vx::steps::MeshTexturing));
    QVERIFY(project->isStepActive(vx::steps::MeshTexturing));
    QVERIFY(!project->isStepActive(vx::steps::DSMMeshTexturing));
  }

  // Without a project area the tiles are still prepared (and kept in a version for the undo), but
  // nothing is textured.
  void tilesWithFolderNamesAreLeftOutAndAMissingAreaEndsWithOne() {
    QTemporaryDir dir;
    Session session(dir.path());
    session.addTile("Tile_0_0", "Tile_0_0.osgb");
    session.addTile("Tile_1_0", "sub/Tile_1_0.osgb");
    session.addTile("Tile_0_1", "Tile_0_1.osgb");
    session.addTile("Tile_1_1", QString());  // no usable node: left out without its own warning
    ProcessingFrameEditorTexturing row(session.application, session.tiles);
    row.setProject(std::make_shared<vx::VEXAProject>());
    session.inputsOf(row);
    QSignalSpy finished(&row, &ProcessingFrame::signal_finished);
    MessageBoxWatcher boxes;
    QTest::ignoreMessage(QtDebugMsg, "RUN 3D MESH TEXTURING");
    row.start();
    QVERIFY(!row.isRunning());
    QVERIFY(finished.wait());
    QCOMPARE(finished.first().first().toInt(), 1);
    QCOMPARE(boxes.texts(),
             (QStringList{"Tile \"Tile_1_0\" has incompatible name for texturing: \"sub/Tile_1_0.osgb\".",
                          "Not all tiles that require retexturing could be prepared for retexturing. Continuing with "
                          "all other tiles.",
                          "Error: Please specify a project area."}));
    QCOMPARE(row.palette().color(QPalette::Window), kRed);
    const QString list = session.tmp() + "/mesheditor_texturingList.txt";
    QCOMPARE(row.texturingListFile(), list);
    QCOMPARE(QString(readText(list)),
             QString(dir.path() + "/mesh/Tile_0_0/Tile_0_0.osgb\n" + dir.path() + "/mesh/Tile_0_1/Tile_0_1.osgb\n"));
    QCOMPARE(session.application->getTemporaryFilesController().currentVersion(), 1);
    QCOMPARE(readText(session.tmp() + "/v1/tiles.txt").count('\n'), 4);  // every modified tile is kept
    QVERIFY(!QFileInfo::exists(session.tmp() + "/Internal/log.txt"));    // the engine was not called
  }

  void tilesThatCannotBeKeptStopTheRow() {
    QTemporaryDir dir;
    Session session(dir.path());
    session.tiles->tiles.push_back({"Tile_9_9", "Tile_9_9.osgb", dir.path() + "/mesh/Tile_9_9"});
    ProcessingFrameEditorTexturing row(session.application, session.tiles);
    auto project = std::make_shared<vx::VEXAProject>();
    project->setAxisRange(0, 0, 100);
    project->setAxisRange(1, 0, 100);
    row.setProject(project);
    session.inputsOf(row);
    QSignalSpy finished(&row, &ProcessingFrame::signal_finished);
    MessageBoxWatcher boxes;
    QTest::ignoreMessage(QtDebugMsg, "RUN 3D MESH TEXTURING");
    row.start();
    QVERIFY(finished.wait());
    QCOMPARE(finished.first().first().toInt(), 1);
    QCOMPARE(boxes.texts().size(), 1);
    QVERIFY2(boxes.texts()[0].contains(dir.path() + "/mesh/Tile_9_9"), qPrintable(boxes.texts()[0]));
    QCOMPARE(row.palette().color(QPalette::Window), kRed);
    QVERIFY(!QFileInfo::exists(session.tmp() + "/mesheditor_texturingList.txt"));
  }

  void withAnAreaTheTexturingRunsInTheTemporaryFolder() {
    QTemporaryDir dir;
    Session session(dir.path());
    session.addTile("Tile_0_0", "Tile_0_0.osgb");
    ProcessingFrameEditorTexturing row(session.application, session.tiles);
    auto project = std::make_shared<vx::VEXAProject>();
    project->setAxisRange(0, 0, 100);
    project->setAxisRange(1, 0, 100);
    project->setStepStatus(vx::steps::DSMMeshTexturing, vx::steps::Done);
    row.setProject(project);
    session.inputsOf(row);
    {
      MessageBoxWatcher yes(QMessageBox::Yes);
      row.checkInputs();
    }
    QSignalSpy finished(&row, &ProcessingFrame::signal_finished);
    MessageBoxWatcher boxes;
    QTest::ignoreMessage(QtDebugMsg, "RUN DSM MESH TEXTURING");
    row.start();
    QVERIFY(row.isRunning());
    QCOMPARE(QDir::cleanPath(QString::fromStdString(project->projectFolderUtf8())), session.tmp());
    QVERIFY(finished.wait(60000));
    QVERIFY(QFileInfo::exists(session.tmp() + "/Internal/log.txt"));
  }

  void anUncheckedTexturingRowPreparesNothing() {
    QTemporaryDir dir;
    Session session(dir.path());
    session.addTile("Tile_0_0", "Tile_0_0.osgb");
    ProcessingFrameEditorTexturing row(session.application, session.tiles);
    row.setChecked(false);
    session.inputsOf(row);
    QSignalSpy finished(&row, &ProcessingFrame::signal_finished);
    row.start();
    QVERIFY(finished.wait());
    QCOMPARE(finished.first().first().toInt(), 0);
    QCOMPARE(session.application->getTemporaryFilesController().currentVersion(), 0);
    QVERIFY(!QFileInfo::exists(session.tmp()));
  }

  void aTileListNamesFoldersOrRootFiles() {
    QTemporaryDir dir;
    const QString mesh = dir.path() + "/mesh";
    writeText(mesh + "/Tile_0_0/Tile_0_0.osgb", "a");
    QDir().mkpath(mesh + "/Tile_2_0");  // a folder without its root file
    const QString list = dir.path() + "/list.txt";
    writeText(list, (mesh + "/Tile_0_0\r\n\n" + mesh + "/Tile_1_0/Tile_1_0.osgb\n" + mesh + "/Tile_2_0/").toUtf8());
    const std::vector<ModifiedTile> tiles = readTileList(list);
    QCOMPARE(int(tiles.size()), 3);
    QCOMPARE(tiles[0].name, QString("Tile_0_0"));
    QCOMPARE(tiles[0].nodeFileName, QString("Tile_0_0.osgb"));
    QCOMPARE(tiles[0].rootPath, mesh + "/Tile_0_0");
    QCOMPARE(tiles[1].name, QString("Tile_1_0"));
    QCOMPARE(tiles[1].nodeFileName, QString("Tile_1_0.osgb"));
    QCOMPARE(tiles[1].rootPath, mesh + "/Tile_1_0");
    QCOMPARE(tiles[2].nodeFileName, QString());
    QCOMPARE(tileRootFile(tiles[2]), mesh + "/Tile_2_0/Tile_2_0.osgb");
    writeText(list, (mesh + "/Tile_3_0\n").toUtf8());  // gone, and no file suffix: a folder
    QCOMPARE(tileRootFile(readTileList(list).at(0)), mesh + "/Tile_3_0/Tile_3_0.osgb");

    writeText(list, (mesh + "/Tile_0_0\nmesh/Tile_1_0\n").toUtf8());
    const QString relative = errorOf([&] { readTileList(list); });
    QVERIFY2(relative.contains(list) && relative.contains("line 2"), qPrintable(relative));
    const QString missing = errorOf([&] { readTileList(dir.path() + "/none.txt"); });
    QVERIFY2(missing.contains(dir.path() + "/none.txt"), qPrintable(missing));

    ModifiedTilesListFile source([list] { return list; });
    writeText(list, (mesh + "/Tile_0_0\n").toUtf8());
    QCOMPARE(int(source.modifiedTiles().size()), 1);
  }

  void anUnreadableListEndsTheLodUpdateWithOne() {
    QTemporaryDir dir;
    auto application = std::make_shared<vx::me::Application>();
    ProcessingFrameLodUpdate row(application);
    row.setInputs(dir.path() + "/none.txt", QString(), QString(), dir.path(), QString());
    QSignalSpy started(&row, &ProcessingFrameLodUpdate::signal_lodUpdateStarted);
    QSignalSpy finished(&row, &ProcessingFrame::signal_finished);
    QSignalSpy error(&row, &ProcessingFrame::signal_error);
    QTest::ignoreMessage(QtDebugMsg, "RUN LOD Update");
    row.start();
    QVERIFY(finished.wait());
    QCOMPARE(finished.first().first().toInt(), 1);
    QCOMPARE(started.count(), 0);
    QVERIFY(error.value(0).value(0).toString().contains(dir.path() + "/none.txt"));
    QCOMPARE(row.palette().color(QPalette::Window), kRed);
  }

  void theLodUpdateUpdatesTheListedTiles() {
    QTemporaryDir dir;
    const QString mesh = dir.path() + "/mesh";
    demo::writeTiledMesh(mesh.toStdString(), smallMesh(), true);
    const QString bogus = mesh + "/Tile_7_7/Tile_7_7.osgb";
    auto application = std::make_shared<vx::me::Application>();
    ProcessingFrameLodUpdate row(application);
    const QString list = dir.path() + "/list.txt";
    row.setInputs(list, QString(), QString(), dir.path(), QString());
    const auto run = [&row](const QByteArray& listed) {
      writeText(row.input3d().filePath(), listed);
      QSignalSpy started(&row, &ProcessingFrameLodUpdate::signal_lodUpdateStarted);
      QSignalSpy finished(&row, &ProcessingFrame::signal_finished);
      g_errors.clear();
      vx::utils::status::setStatusCallbackFunction(&collectErrors);
      QTest::ignoreMessage(QtDebugMsg, "RUN LOD Update");
      row.start();
      const bool ended = finished.wait(120000);
      vx::utils::status::setStatusCallbackFunction(nullptr);
      return ended && started.count() == 1 ? finished.first().first().toInt() : -1;
    };
    QCOMPARE(run((mesh + "/Tile_0_0/Tile_0_0.osgb\n" + mesh + "/Tile_1_1\n").toUtf8()), 0);
    QVERIFY2(g_errors.isEmpty(), qPrintable(g_errors.join('\n')));
    // The controller is told the listed tile, and says what is wrong with it.
    QCOMPARE(run((mesh + "/Tile_1_0\n" + bogus + "\n").toUtf8()), 1);
    QCOMPARE(g_errors.size(), 1);
    QVERIFY2(g_errors[0].contains("Tile_7_7.osgb"), qPrintable(g_errors[0]));
  }
};

QTEST_MAIN(EditorTexturingFramesTest)
#include "EditorTexturingFramesTest.moc"
