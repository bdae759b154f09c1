#include <QCheckBox>
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
#include "tools/frames/ProjectAreaCheck.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

using namespace qvx::tool;
using testprojects::errorOf;
using testprojects::writeText;

namespace {

std::vector<std::shared_ptr<ProcessingFrame>> allRows() {
  return {std::make_shared<ProcessingFrameDsm>(), std::make_shared<ProcessingFrameTrueOrtho>(),
          std::make_shared<ProcessingFrameDsmMesh>(), std::make_shared<ProcessingFrameDsmMeshTexturing>()};
}

// An orientation and an image folder holding the lists of the iterations given.
struct InputFolders {
  QString orientation, images;
  InputFolders(const QString& root, const QList<int>& orientationIters, const QList<int>& imageIters)
      : orientation(root + "/ori"), images(root + "/img") {
    QDir().mkpath(orientation);
    QDir().mkpath(images);
    for (int i : orientationIters) writeText(orientation + QString("/orientation_iter%1_list.txt").arg(i), "a.ori\n");
    for (int i : imageIters) writeText(images + QString("/image_color_iter%1_list.txt").arg(i), "a.jpg\n");
  }
};

QString checkOf(ProcessingFrame& row, const QString& orientation, const QString& images) {
  row.setInputs(QString(), orientation, images, QString(), QString());
  return errorOf([&] { row.checkInputs(); });
}

}  // namespace

class ProcessingFramesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    vexaInitImages();
    vx::VEXA::setSimulatedTileWork(std::chrono::milliseconds(0));
  }

  void rowsNameTheirStepAndParameterPage() {
    const QStringList titles{"DSM", "True Ortho", "Dsm Mesh", "Dsm Mesh Texturing"};
    const QList<int> steps{2, 3, 4, 8};
    const QList<int> pages{1710, 1720, 1740, 1750};
    const auto rows = allRows();
    for (int i = 0; i < 4; ++i) {
      QCOMPARE(rows[i]->title(), titles[i]);
      QCOMPARE(rows[i]->processingStep(), steps[i]);
      QVERIFY(rows[i]->isChecked());
      QSignalSpy page(rows[i].get(), &ProcessingFrame::signal_showParameters);
      rows[i]->slot_configButtonClicked();
      QCOMPARE(page.value(0).value(0).toInt(), pages[i]);
    }
  }

  void anUncheckedRowFinishesWithZeroWithoutTouchingItsInputs() {
    QTemporaryDir dir;
    const QString output = dir.path() + "/never";
    MessageBoxWatcher boxes;
    for (const auto& row : allRows()) {
      row->findChild<QCheckBox*>()->setChecked(false);
      row->setInputs(dir.path() + "/none.las", dir.path() + "/no-ori", dir.path() + "/no-img", output, QString());
      QSignalSpy finished(row.get(), &ProcessingFrame::signal_finished);
      row->start();
      QVERIFY(finished.wait());
      QCOMPARE(finished.count(), 1);
      QCOMPARE(finished.first().first().toInt(), 0);
      QVERIFY2(!row->engine() && !row->project(), qPrintable(row->title()));
      QVERIFY(!row->isRunning());
    }
    QVERIFY(!QFileInfo::exists(output));
    QVERIFY(boxes.texts().isEmpty());
  }

  void trueOrthoChecksEachInputWithItsOwnMessage() {
    QTemporaryDir dir;
    ProcessingFrameTrueOrtho row;
    const InputFolders complete(dir.path() + "/complete", {0}, {0});
    const InputFolders empty(dir.path() + "/empty", {}, {});
    writeText(dir.path() + "/file.txt", "x");

    QCOMPARE(checkOf(row, dir.path() + "/file.txt", complete.images), QString("Orientation input must be a folder."));
    QCOMPARE(checkOf(row, QString(), complete.images), QString("Orientation input must be a folder."));
    QCOMPARE(checkOf(row, empty.orientation, complete.images),
             QString("The passed orientation folder does not contain the list orientation_iter0_list.txt"));
    QCOMPARE(checkOf(row, complete.orientation, dir.path() + "/missing"), QString("Image input must be a folder."));
    QCOMPARE(checkOf(row, complete.orientation, empty.images),
             QString("The passed image folder does not contain the list image_color_iter0_list.txt"));
    QCOMPARE(checkOf(row, complete.orientation, complete.images), QString("no exception"));
    // The first iteration's lists are all it needs.
    const InputFolders firstOnly(dir.path() + "/first", {0}, {0});
    QCOMPARE(checkOf(row, firstOnly.orientation, firstOnly.images), QString("no exception"));
  }

  void dsmMeshTexturingNamesEveryMissingListInOneMessage() {
    QTemporaryDir dir;
    ProcessingFrameDsmMeshTexturing row;
    const InputFolders noOrientations(dir.path() + "/a", {}, {0, 1, 2});
    QCOMPARE(checkOf(row, noOrientations.orientation, noOrientations.images),
             QString("The passed orientation folder does not contain the following lists:\n"
                     "orientation_iter0_list.txt\norientation_iter1_list.txt\norientation_iter2_list.txt\n"));
    // Missing orientation lists are told first; the image lists only when those are complete.
    const InputFolders bothIncomplete(dir.path() + "/b", {0, 2}, {1});
    QCOMPARE(checkOf(row, bothIncomplete.orientation, bothIncomplete.images),
             QString("The passed orientation folder does not contain the following lists:\norientation_iter1_list.txt\n"));
    const InputFolders imagesIncomplete(dir.path() + "/c", {0, 1, 2}, {1});
    QCOMPARE(checkOf(row, imagesIncomplete.orientation, imagesIncomplete.images),
             QString("The passed image folder does not contain the following lists:\n"
                     "image_color_iter0_list.txt\nimage_color_iter2_list.txt\n"));
    // A folder that is none is told before any list.
    QCOMPARE(checkOf(row, dir.path() + "/none", noOrientations.images), QString("Orientation input must be a folder."));
    QCOMPARE(checkOf(row, noOrientations.orientation, dir.path() + "/none"), QString("Image input must be a folder."));
    const InputFolders complete(dir.path() + "/d", {0, 1, 2}, {0, 1, 2});
    QCOMPARE(checkOf(row, complete.orientation, complete.images), QString("no exception"));
  }

  void aProjectHasAnAreaSetByHandByShapeOrByFootprint() {
    vx::VEXAProject project;
    QVERIFY(!hasProjectArea(project));
    project.setAxisRange(1, 10, 20);
    QVERIFY(hasProjectArea(project));

    vx::VEXAProject shaped;
    shaped.setAreaShapefile("Internal/Shapefiles/AreaShape.shp");
    QVERIFY(hasProjectArea(shaped));

    vx::VEXAProject footprint;  // automatic axes with the range an analysis found
    footprint.setArea({{0, 0, 0}}, {{100, 50, 10}});
    QVERIFY(hasProjectArea(footprint));
    footprint.setArea({{0, 0, 0}}, {{100, 0, 10}});
    QVERIFY(!hasProjectArea(footprint));
  }

  void dsmMeshTexturingWithoutAreaEndsWithOneAndStartsNothing() {
    QTemporaryDir dir;
    const InputFolders inputs(dir.path(), {0, 1, 2}, {0, 1, 2});
    auto project = std::make_shared<vx::VEXAProject>();
    ProcessingFrameDsmMeshTexturing row;
    row.setProject(project);
    row.setInputs(dir.path() + "/Internal/Lists/dsm_mesh_untextured_list.txt", inputs.orientation, inputs.images,
                  dir.path(), QString());
    QSignalSpy finished(&row, &ProcessingFrame::signal_finished);
    MessageBoxWatcher boxes;
    QTest::ignoreMessage(QtDebugMsg, "RUN DSM MESH TEXTURING");
    row.start();
    QVERIFY(!row.isRunning());
    QVERIFY(finished.wait());
    QCOMPARE(finished.first().first().toInt(), 1);
    QCOMPARE(boxes.texts(), QStringList{"Error: Please specify a project area."});
    QCOMPARE(row.palette().color(QPalette::Window), QColor(255, 0, 0, 40));
    QVERIFY(!QFileInfo::exists(dir.path() + "/Internal/log.txt"));  // the engine was not called
  }

  void theDsmRowGridsItsInputIntoTheOutputFolder() {
    QTemporaryDir dir;
    const QString folder = dir.path();
    testprojects::writeRawPointCloud(folder, {{500000, 5000000, 0}}, {{500200, 5000100, 50}}, 20.0);
    auto project = std::make_shared<vx::VEXAProject>();
    project->setTileSize(100);
    project->setGroundSampleDistance(1.0);
    project->setArea({{500000, 5000000, 0}}, {{500200, 5000100, 50}});
    ProcessingFrameDsm row;
    row.setProject(project);
    row.setInputs(folder + "/Internal/Lists/point_cloud_raw_list.txt", QString(), QString(), folder, QString());
    QSignalSpy finished(&row, &ProcessingFrame::signal_finished);
    MessageBoxWatcher boxes;
    QTest::ignoreMessage(QtDebugMsg, "RUN DSM PROCESSING");
    row.start();
    QVERIFY(row.engine());
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.first().first().toInt(), 0);
    QCOMPARE(QDir::cleanPath(QString::fromStdString(project->projectFolderUtf8())), QDir::cleanPath(folder));
    QVERIFY(QFileInfo(folder + "/Internal/DSM_Raw/DSM_Raw/Tile_0_0.tif").size() > 0);
    QVERIFY(QFileInfo(folder + "/Internal/DSM_Raw/DSM_Raw/Tile_1_0.tif").size() > 0);
    QVERIFY(testprojects::readText(folder + "/Internal/log.txt").contains("Processing Tile 2 of 2"));
    QVERIFY2(boxes.texts().isEmpty(), qPrintable(boxes.texts().join('\n')));  // the area check passed
    QCOMPARE(row.palette().color(QPalette::Window), QColor(104, 176, 68, 40));
  }
};

QTEST_MAIN(ProcessingFramesTest)
#include "ProcessingFramesTest.moc"
