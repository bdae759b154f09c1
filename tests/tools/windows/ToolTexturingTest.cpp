#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
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
#include "tools/forms/ControlForm.h"
#include "tools/forms/ControlFormViewer.h"
#include "tools/frames/ModifiedTilesListFile.h"
#include "tools/frames/ProcessingFrameEditorTexturing.h"
#include "tools/frames/ProcessingFrameLodUpdate.h"
#include "tools/inputs/DataInputField.h"
#include "tools/inputs/DataInputFolder.h"
#include "tools/run/ProgressMonitor.h"
#include "tools/run/TextTerminal.h"
#include "tools/windows/ToolTexturing.h"
#include "tools/windows/ToolTexturingLauncher.h"
#include "vx/Msg.h"
#include "vx/Status.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

using namespace qvx::tool;
using testprojects::writeText;

namespace {

const QString kStartLine = "Starting LOD update for edited tiles, this might take a bit and can't be cancelled.";
const QString kEndLine = "Finished LOD update for edited tiles.";

// A tool on a session in `folder`/tmp, with orientation and image folders and a tile list.
struct Setup {
  QString folder;
  std::shared_ptr<vx::me::Application> application = std::make_shared<vx::me::Application>();
  std::shared_ptr<FakeTiles> tiles = std::make_shared<FakeTiles>();
  std::unique_ptr<ToolTexturing> tool;
  explicit Setup(const QString& root) : folder(root) {
    application->getTemporaryFilesController().setTemporaryFolderName((root + "/tmp").toStdString());
    QDir().mkpath(root + "/ori");
    QDir().mkpath(root + "/img");
    writeText(root + "/list.txt", "");
    tool = std::make_unique<ToolTexturing>(application, tiles);
    tool->orientationField()->setData(root + "/ori");
    tool->imagesField()->setData(root + "/img");
    tool->input3dField()->setData(root + "/list.txt");
  }
  QString terminalText() const {
    tool->terminal()->flush();
    return tool->terminal()->findChild<QPlainTextEdit*>()->toPlainText();
  }
};

void click(ProcessingFrame* row) { row->findChild<QCheckBox*>()->click(); }

demo::DemoOptions smallMesh() {
  demo::DemoOptions options;
  options.tiles = 2;
  options.levels = 2;
  options.finestGridCells = 16;
  options.textureSize = 32;
  return options;
}

}  // namespace

class ToolTexturingTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    vexaInitImages();
    vx::VEXA::setSimulatedTileWork(std::chrono::milliseconds(0));
  }

  void theToolShowsItsRowsAndFields() {
    QTemporaryDir dir;
    Setup setup(dir.path());
    ToolTexturing& tool = *setup.tool;
    QCOMPARE(tool.windowTitle(), QString("VEXA Texturing Tool"));
    QCOMPARE(tool.prefix(), QString("VEXA_Retexturing-"));
    QStringList titles;
    for (const auto& row : tool.modules()) titles << row->title();
    QCOMPARE(titles, (QStringList{"Texturing", "LOD Update"}));
    QCOMPARE(tool.modules().front().get(), static_cast<ProcessingFrame*>(tool.texturingRow()));
    QVERIFY(!tool.lidarField());
    QCOMPARE(tool.input3dField()->findChild<QLabel*>("labelName")->text(), QString("Modified Tiles List"));
    QVERIFY(tool.outputField()->isHidden());
    QCOMPARE(tool.parameterDialog()->form()->setting(), FormSetting::TexturingTool);
    // The session's folder, not a folder in the project, takes the run's own files.
    QCOMPARE(QDir::cleanPath(tool.outputField()->value()), dir.path() + "/tmp");
  }

  void theLodUpdateFollowsTexturingAndIsFreeWithoutIt() {
    QTemporaryDir dir;
    Setup setup(dir.path());
    ProcessingFrame* texturing = setup.tool->texturingRow();
    ProcessingFrame* lodUpdate = setup.tool->lodUpdateRow();
    QVERIFY(texturing->isChecked() && lodUpdate->isChecked());
    QVERIFY(!lodUpdate->isEnabled());
    click(texturing);
    QVERIFY(!texturing->isChecked());
    QVERIFY(lodUpdate->isEnabled());
    click(lodUpdate);
    QVERIFY(!lodUpdate->isChecked());
    click(texturing);
    QVERIFY(lodUpdate->isChecked() && !lodUpdate->isEnabled());
  }

  void inputsSwitchWithoutTheRows() {
    QTemporaryDir dir;
    Setup setup(dir.path());
    ToolTexturing& tool = *setup.tool;
    click(tool.texturingRow());
    tool.slot_disableInputFields();
    for (QWidget* field : {static_cast<QWidget*>(tool.orientationField()), static_cast<QWidget*>(tool.imagesField()),
                           static_cast<QWidget*>(tool.input3dField()), static_cast<QWidget*>(tool.outputField())})
      QVERIFY(!field->isEnabled());
    QVERIFY(!tool.parameterDialog()->form()->isEnabled());
    QVERIFY(tool.texturingRow()->isEnabled() && tool.lodUpdateRow()->isEnabled());
    tool.slot_enableInputFields();
    QVERIFY(tool.input3dField()->isEnabled() && tool.orientationField()->isEnabled());
    QVERIFY(tool.lodUpdateRow()->isEnabled());  // still free: texturing is off
  }

  void aMissingTilesListStopsTheStart() {
    QTemporaryDir dir;
    Setup setup(dir.path());
    QVERIFY(QFile::remove(dir.path() + "/list.txt"));
    MessageBoxWatcher boxes;
    QSignalSpy started(setup.tool.get(), &ToolBase::signal_processingStart);
    setup.tool->slot_start();
    QCOMPARE(boxes.texts(), QStringList{"Input in datafield not valid"});
    QCOMPARE(started.count(), 0);
    QCOMPARE(setup.application->getTemporaryFilesController().currentVersion(), 0);
  }

  void theTexturingEndIsForwardedAndAFailureStopsTheWorkflow() {
    QTemporaryDir dir;
    Setup setup(dir.path());
    QSignalSpy texturingFinished(setup.tool.get(), &ToolTexturing::signal_texturingFinished);
    QSignalSpy lodStarted(setup.tool->lodUpdateRow(), &ProcessingFrameLodUpdate::signal_lodUpdateStarted);
    QSignalSpy ended(setup.tool.get(), &ToolBase::signal_processingEnd);
    MessageBoxWatcher boxes(QMessageBox::No);
    setup.tool->slot_start();  // the tool's project has no area
    QVERIFY(ended.wait());
    QCOMPARE(texturingFinished.count(), 1);
    QCOMPARE(texturingFinished.first().first().toInt(), 1);
    QCOMPARE(lodStarted.count(), 0);
    QCOMPARE(boxes.texts().last(), QString("Error: Please specify a project area."));
    QVERIFY(setup.tool->project()->isStepActive(vx::steps::MeshTexturing));
  }

  // The LOD update alone, on real tiles: the operator cannot pause it, and the terminal says when
  // it starts and ends; the update's own messages reach the terminal too.
  void theLodUpdateCannotBePausedAndIsAnnounced() {
    QTemporaryDir dir;
    Setup setup(dir.path());
    const QString mesh = dir.path() + "/mesh";
    demo::writeTiledMesh(mesh.toStdString(), smallMesh(), true);
    writeText(dir.path() + "/list.txt", (mesh + "/Tile_0_0\n" + mesh + "/Tile_8_8\n").toUtf8());
    ToolTexturing& tool = *setup.tool;
    click(tool.texturingRow());
    QPushButton* button = tool.progressMonitor()->startPauseButton();
    bool enabledWhileUpdating = true;
    QString terminalAtStart;
    connect(tool.lodUpdateRow(), &ProcessingFrameLodUpdate::signal_lodUpdateStarted, this, [&] {
      enabledWhileUpdating = button->isEnabled();
      terminalAtStart = setup.terminalText();
    });
    QSignalSpy ended(&tool, &ToolBase::signal_processingEnd);
    MessageBoxWatcher boxes;
    tool.slot_start();
    QVERIFY(ended.wait(120000));
    QVERIFY(!enabledWhileUpdating);
    QVERIFY2(terminalAtStart.contains(kStartLine), qPrintable(terminalAtStart));
    QTRY_VERIFY(button->isEnabled());
    const QString text = setup.terminalText();
    QVERIFY2(text.indexOf(kStartLine) < text.indexOf(kEndLine), qPrintable(text));
    QVERIFY2(text.contains("Tile_8_8.osgb"), qPrintable(text));  // the update's error, through the status channel
    QCOMPARE(text.count(kEndLine), 1);
  }

  void utilityMessagesReachTheTerminalWhileTheToolLives() {
    QTemporaryDir dir;
    {
      Setup setup(dir.path());
      vx::utils::status::report(vx::MSG::makeCode(vx::MSG::TYPE_INFO, vx::MSG::STEP_PROCESS, 0),
                                "hello from the utilities");
      QTRY_VERIFY(setup.terminalText().contains("hello from the utilities"));
    }
    vx::utils::status::report(vx::MSG::makeCode(vx::MSG::TYPE_INFO, vx::MSG::STEP_PROCESS, 0), "nobody listens");
    // A tool going away leaves the channel of a newer tool alone.
    QTemporaryDir other;
    auto older = std::make_unique<Setup>(dir.path());
    Setup newer(other.path());
    older.reset();
    vx::utils::status::report(vx::MSG::makeCode(vx::MSG::TYPE_INFO, vx::MSG::STEP_PROCESS, 0), "still heard");
    QTRY_VERIFY(newer.terminalText().contains("still heard"));
  }

  void theLauncherOpensTheToolOnTheProjectsSession() {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/project";
    QDir().mkpath(folder + "/Internal/Orientations");
    QDir().mkpath(folder + "/Internal/Images/Color");
    writeText(folder + "/Internal/Editor/tmp/mesheditor_modifiedTilesList.txt", "");
    auto project = std::make_shared<vx::VEXAProject>();
    QCOMPARE(project->setOutputFolder(folder.toStdString(), 0, 0), 0);
    project->setTileSize(42);
    QWidget window;
    ToolTexturingLauncher launcher(&window);
    QVERIFY(!launcher.open(nullptr));
    ToolTexturing* tool = launcher.open(project);
    QVERIFY(tool && tool->isVisible());
    QCOMPARE(tool->project()->tileSize(), 42.0);
    QVERIFY(tool->project() != project);
    QCOMPARE(QDir::cleanPath(tool->input3dField()->value()),
             folder + "/Internal/Editor/tmp/mesheditor_modifiedTilesList.txt");
    QCOMPARE(QDir::cleanPath(tool->outputField()->value()), folder + "/Internal/Editor/tmp");
    QCOMPARE(QDir::cleanPath(tool->orientationField()->value()), folder + "/Internal/Orientations");
    QVERIFY(tool->close());
    QTRY_VERIFY(!launcher.tool());
  }

  // The launcher's session undoes a texturing that failed after its tiles were kept.
  void aFailedTexturingIsUndone() {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/project";
    QDir().mkpath(folder + "/Internal/Orientations");
    QDir().mkpath(folder + "/Internal/Images/Color");
    const QString tileRoot = dir.path() + "/mesh/Tile_0_0/Tile_0_0.osgb";
    writeText(tileRoot, "before");
    writeText(folder + "/Internal/Editor/tmp/mesheditor_modifiedTilesList.txt", (tileRoot + "\n").toUtf8());
    auto project = std::make_shared<vx::VEXAProject>();
    QCOMPARE(project->setOutputFolder(folder.toStdString(), 0, 0), 0);  // no area: the texturing fails
    QWidget window;
    ToolTexturingLauncher launcher(&window);
    ToolTexturing* tool = launcher.open(project);
    QSignalSpy finished(tool, &ToolTexturing::signal_texturingFinished);
    MessageBoxWatcher boxes(QMessageBox::No);
    tool->slot_start();
    QVERIFY(finished.wait());
    QCOMPARE(finished.first().first().toInt(), 1);
    QVERIFY(!QFileInfo::exists(folder + "/Internal/Editor/tmp/v1"));  // the version is undone and dropped
    QCOMPARE(QString(testprojects::readText(tileRoot)), QString("before"));
    QVERIFY(tool->close());
  }
};

QTEST_MAIN(ToolTexturingTest)
#include "ToolTexturingTest.moc"
