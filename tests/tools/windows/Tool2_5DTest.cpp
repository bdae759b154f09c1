#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "img/images/Images.h"
#include "tests/platform/vx/TestProjects.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tools/frames/ProcessingFrameDsm.h"
#include "tools/frames/ProcessingFrameDsmMesh.h"
#include "tools/frames/ProcessingFrameDsmMeshTexturing.h"
#include "tools/frames/ProcessingFrameTrueOrtho.h"
#include "tools/inputs/DataInputField.h"
#include "tools/inputs/DataInputFolder.h"
#include "tools/run/TextTerminal.h"
#include "tools/windows/Tool2_5D.h"
#include "tools/windows/Tool2_5DLauncher.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

using namespace qvx::tool;
using testprojects::writeText;

namespace {

class ExposedTool : public Tool2_5D {
 public:
  void setupAllModules() {
    for (auto it = m_modules.begin(); it != m_modules.end(); ++it) setupModule(it);
  }
};

QString clean(const QFileInfo& info) { return QDir::cleanPath(info.filePath()); }

// A project as the processing leaves it before the DSM: raw point cloud, oriented images with the
// lists of all iterations, two tiles of 100 m, area taken from the images' footprints.
std::shared_ptr<vx::VEXAProject> makeProject(const QString& folder) {
  testprojects::writeRawPointCloud(folder, {{500000, 5000000, 0}}, {{500200, 5000100, 50}}, 20.0);
  // One nadir photo that sees the whole area.
  vx::ImageOrientation camera = testprojects::nadirOrientation("a.jpg", 0);
  camera.setProjectionCenter({{500100, 5000050, 300}});
  QDir().mkpath(folder + "/Internal/Orientations");
  camera.writeFile((folder + "/Internal/Orientations/a.ori").toStdString());
  QImage photo(400, 300, QImage::Format_RGB32);
  photo.fill(QColor(120, 160, 90));
  QDir().mkpath(folder + "/Internal/Images/Color");
  if (!photo.save(folder + "/Internal/Images/Color/a.jpg", "JPG")) qFatal("cannot write the photo");
  for (int i = 0; i < 3; ++i) {
    writeText(folder + QString("/Internal/Orientations/orientation_iter%1_list.txt").arg(i), "a.ori\n");
    writeText(folder + QString("/Internal/Images/Color/image_color_iter%1_list.txt").arg(i), "a.jpg\n");
  }
  auto project = std::make_shared<vx::VEXAProject>();
  if (project->setOutputFolder(folder.toStdString(), 0, 0) != 0) qFatal("no project folder");
  project->setTileSize(100);
  project->setGroundSampleDistance(1.0);
  project->setArea({{500000, 5000000, 0}}, {{500200, 5000100, 50}});
  project->addImage({"a.jpg", "Internal/Images/Color/a.jpg", "Internal/Orientations/a.ori", true});
  project->saveProjectFile((folder + "/Project.vpr").toStdString());
  return project;
}

}  // namespace

class Tool2_5DTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    vexaInitImages();
    vx::VEXA::setSimulatedTileWork(std::chrono::milliseconds(0));
  }

  void theToolRunsTheFourRowsInOrder() {
    Tool2_5D tool;
    QCOMPARE(tool.windowTitle(), QString("VEXA 2.5D Tool"));
    QCOMPARE(tool.prefix(), QString("VEXA_2_5_D-"));
    QVERIFY(tool.lidarField());
    QStringList titles;
    for (const auto& row : tool.modules()) {
      titles << row->title();
      QVERIFY(row->isChecked());
      QCOMPARE(row->engine(), tool.engine());
    }
    QCOMPARE(titles, (QStringList{"DSM", "True Ortho", "Dsm Mesh", "Dsm Mesh Texturing"}));
    QCOMPARE(tool.modules().front().get(), static_cast<ProcessingFrame*>(tool.dsmRow()));
    QCOMPARE(tool.modules().back().get(), static_cast<ProcessingFrame*>(tool.dsmMeshTexturingRow()));
    // Settings adopted at construction: the project's steps follow the rows.
    for (auto step : {vx::steps::DSM, vx::steps::TrueOrtho, vx::steps::DSMMesh, vx::steps::DSMMeshTexturing})
      QVERIFY(tool.project()->isStepActive(step));
    QCOMPARE(tool.project()->modeValue(), 2);
  }

  void setupHandsEachRowItsInputs() {
    QTemporaryDir dir;
    const QString folder = dir.path();
    makeProject(folder);
    writeText(folder + "/Correction.shp", "shape");
    ExposedTool tool;
    tool.orientationField()->setData(folder + "/Internal/Orientations");
    tool.imagesField()->setData(folder + "/Internal/Images/Color");
    tool.input3dField()->setData(folder + "/Internal/Lists/point_cloud_raw_list.txt");
    tool.correctionField()->setData(folder + "/Correction.shp");
    QDir().mkpath(folder + "/out");
    tool.outputField()->setData(folder + "/out");
    const QString output = tool.outputField()->value();
    QVERIFY(!output.isEmpty());

    tool.setupAllModules();
    const auto check = [&](ProcessingFrame* row, const QString& input3d, const QString& correction) {
      QCOMPARE(clean(row->input3d()), QDir::cleanPath(input3d));
      QCOMPARE(clean(row->orientation()), QDir::cleanPath(folder + "/Internal/Orientations"));
      QCOMPARE(clean(row->images()), QDir::cleanPath(folder + "/Internal/Images/Color"));
      QCOMPARE(clean(row->output()), QDir::cleanPath(output));
      QCOMPARE(clean(row->correctionShapefile()), correction);
    };
    check(tool.dsmRow(), folder + "/Internal/Lists/point_cloud_raw_list.txt", QDir::cleanPath(folder + "/Correction.shp"));
    check(tool.trueOrthoRow(), output + "/Internal/Lists/dsm_extended_list.txt", QString());
    check(tool.dsmMeshRow(), output + "/Internal/Lists/dsm_extended_list.txt", QString());
    check(tool.dsmMeshTexturingRow(), output + "/Internal/Lists/dsm_mesh_untextured_list.txt", QString());
    QCOMPARE(QDir::cleanPath(QString::fromStdString(tool.project()->projectFolderUtf8())), QDir::cleanPath(output));
    QCOMPARE(QString::fromStdString(tool.project()->correctionShapefile()), tool.correctionField()->value());
  }

  void anInvalidPathFieldStopsTheStart() {
    QTemporaryDir dir;
    Tool2_5D tool;
    tool.outputField()->setData(dir.path());
    QSignalSpy finished(tool.dsmRow(), &ProcessingFrame::signal_finished);
    tool.imagesField()->findChild<QLineEdit*>()->setText(dir.path() + "/no-such-folder");
    MessageBoxWatcher boxes;
    tool.slot_start();
    QCOMPARE(boxes.texts(), QStringList{"Input in datafield not valid"});
    QCOMPARE(tool.state(), int(Tool2_5D::Idle));
    QVERIFY(!tool.dsmRow()->isRunning());
    QVERIFY(!finished.wait(100));
  }

  void aWholeRunFromTheWindowMakesTheDsm() {
    QTemporaryDir dir;
    const QString folder = dir.path();
    const auto project = makeProject(folder);
    Tool2_5D tool;
    tool.adoptSettings(*project);
    QCOMPARE(QDir::cleanPath(tool.input3dField()->value()), QDir::cleanPath(folder + "/Internal/Lists/point_cloud_raw_list.txt"));
    const QString output = tool.outputField()->value();
    QVERIFY2(QDir::cleanPath(output).startsWith(QDir::cleanPath(folder) + "/VEXA_2_5_D-"), qPrintable(output));

    QList<std::shared_ptr<QSignalSpy>> codes;
    for (const auto& row : tool.modules())
      codes << std::make_shared<QSignalSpy>(row.get(), &ProcessingFrame::signal_finished);
    QSignalSpy ended(&tool, &ToolBase::signal_processingEnd);
    MessageBoxWatcher boxes;
    tool.slot_start();
    QCOMPARE(tool.state(), int(Tool2_5D::Running));
    QVERIFY(ended.wait(120000));
    const QString said = tool.terminal()->plainText();
    for (int i = 0; i < codes.size(); ++i) {
      QCOMPARE(codes[i]->count(), 1);
      QVERIFY2(codes[i]->first().first().toInt() == 0,
               qPrintable(QString("row %1 returned %2\n%3\n%4")
                              .arg(i)
                              .arg(codes[i]->first().first().toInt())
                              .arg(said, boxes.texts().join('\n'))));
    }
    QVERIFY2(boxes.texts().isEmpty(), qPrintable(boxes.texts().join('\n')));
    QCOMPARE(tool.state(), int(Tool2_5D::Idle));
    QVERIFY(said.contains("Processing Tile 2 of 2"));
    // The DSM's tiles and list went into the output folder; the project's own folder kept its state.
    for (const char* tile : {"Tile_0_0.tif", "Tile_1_0.tif"})
      QVERIFY(QFileInfo(output + "/Internal/DSM_Raw/DSM_Raw/" + tile).size() > 0);
    QVERIFY(testprojects::readText(output + "/Internal/Lists/dsm_raw_list.txt").contains("Tile_1_0.tif"));
    QVERIFY(testprojects::readText(output + "/Internal/log.txt").contains("Processing Tile"));
    QVERIFY(!QFileInfo::exists(folder + "/Internal/DSM_Raw"));
  }

  void theLauncherOpensOneToolOnTheProject() {
    QTemporaryDir dir;
    const QString folder = dir.path();
    const auto project = makeProject(folder);
    QWidget window;
    Tool2_5DLauncher launcher(&window);
    QVERIFY(!launcher.open(nullptr));
    QPointer<Tool2_5D> tool = launcher.open(project);
    QVERIFY(tool && tool->isVisible());
    QVERIFY(tool->isWindow());
    QVERIFY(QDir::cleanPath(tool->outputField()->value()).startsWith(QDir::cleanPath(folder) + "/VEXA_2_5_D-"));
    QCOMPARE(QDir::cleanPath(tool->orientationField()->value()), QDir::cleanPath(folder + "/Internal/Orientations"));
    QCOMPARE(QDir::cleanPath(tool->imagesField()->value()), QDir::cleanPath(folder + "/Internal/Images/Color"));
    QCOMPARE(tool->project()->tileSize(), 100.0);
    QVERIFY(tool->project().get() != project.get());

    // An idle tool makes way for a fresh one; closing it deletes it.
    QPointer<Tool2_5D> second = launcher.open(project);
    QVERIFY(!tool && second);
    QVERIFY(second->close());
    QTRY_VERIFY(!second);
    QVERIFY(!launcher.tool());
  }
};

QTEST_MAIN(Tool2_5DTest)
#include "Tool2_5DTest.moc"
