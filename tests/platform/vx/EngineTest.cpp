#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

#include "EngineRecorder.h"
#include "TestProjects.h"
#include "TestShapefiles.h"
#include "vx/HeightGrid.h"
#include "vx/Las.h"
#include "vx/MessageText.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

namespace msg = vx::MSG;
using testprojects::Message;
using testprojects::Recorder;
using vx::steps::Steps;


class EngineTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::unique_ptr<vx::VEXAProject> project_;
  vx::VEXA engine_;
  Recorder recorder_;

  QString folder() const { return dir_.path(); }

  // Two tiles of 100 m side by side, two images (one not selected).
  void makeProject() {
    project_ = std::make_unique<vx::VEXAProject>();
    QCOMPARE(project_->setOutputFolder(folder().toStdString(), 0, 0), 0);
    project_->setTileSize(100);
    project_->setGroundSampleDistance(1.0);
    project_->setArea({{500000, 5000000, 0}}, {{500200, 5000100, 50}});
    testprojects::writeRawPointCloud(folder(), {{500000, 5000000, 0}}, {{500200, 5000100, 50}}, 20.0);
    project_->addImage({"a.jpg", "Images/a.jpg", "Internal/Orientations/a.ori", true});
    project_->addImage({"b.jpg", "Images/b.jpg", "Internal/Orientations/b.ori", false});
    project_->saveProjectFile(folder().toStdString() + "/Project.vpr");
  }

 private slots:
  void initTestCase() {
    vx::VEXA::setSimulatedTileWork(std::chrono::milliseconds(0));
    engine_.registerStatusCallback(&Recorder::callback, &recorder_);
  }

  void init() {
    QVERIFY(dir_.isValid());
    recorder_ = Recorder();
    makeProject();
  }

  void aModuleReportsItsWholeRun() {
    QCOMPARE(engine_.dsm(*project_), 0);
    const std::vector<Message>& m = recorder_.messages;
    QCOMPARE(m.front().type, int(msg::TYPE_PROCESS_STARTED));
    QCOMPARE(m.front().step, 1710);
    QVERIFY(m.front().text.empty());
    QCOMPARE(m.back().type, int(msg::TYPE_MODULE_FINISHED));
    QCOMPARE(m.back().step, 1710);

    std::vector<std::string> tiles;
    for (const Message& info : recorder_.of(msg::TYPE_INFO, 1710))
      if (info.sub == 0 && info.text.rfind("Processing Tile", 0) == 0) tiles.push_back(info.text);
    QCOMPARE(tiles, (std::vector<std::string>{"Processing Tile 1 of 2", "Processing Tile 2 of 2"}));

    const auto progress = recorder_.of(msg::TYPE_PROGRESS, 1710);
    QCOMPARE(progress.size(), size_t(2));
    QCOMPARE(progress[0].doubles[0], 0.5);
    QCOMPARE(progress[1].doubles[0], 1.0);
    QVERIFY(progress[1].doubles[1] >= 0 && progress[1].doubles[2] >= 0);
    QVERIFY(progress[0].text.empty());
    // Without a run plan the module's own progress is the overall one.
    const auto overall = recorder_.of(msg::TYPE_PROGRESS, msg::STEP_OVERALL);
    QCOMPARE(overall.size(), size_t(2));
    QCOMPARE(overall[1].doubles[0], 1.0);

    const auto statuses = recorder_.of(msg::TYPE_INFO, msg::STEP_PROCESS);
    QCOMPARE(statuses.size(), size_t(2));
    QCOMPARE(statuses[1].sub, int(msg::SUB_STATUS_UPDATED));
    QCOMPARE(statuses[1].text, std::string("Processing status: DSM done"));
    QVERIFY(recorder_.of(msg::TYPE_ERROR, 1710).empty());

    // The status is kept in the project and in its file; the lists name one result per tile.
    QCOMPARE(project_->stepStatus(vx::steps::DSM), int(vx::steps::Done));
    vx::VEXAProject reread;
    reread.loadProjectFile(folder().toStdString() + "/Project.vpr");
    QCOMPARE(reread.stepStatus(vx::steps::DSM), int(vx::steps::Done));
    QCOMPARE(vx::utils::processing::getProcessingStatus("DSM"), int(vx::steps::Done));
    const QByteArray list = testprojects::readText(folder() + "/Internal/Lists/dsm_raw_list.txt");
    QCOMPARE(list, (folder() + "/Internal/DSM_Raw/DSM_Raw/Tile_0_0.tif\n" + folder() +
                    "/Internal/DSM_Raw/DSM_Raw/Tile_1_0.tif\n").toUtf8());
    // The tiles are real: the level input gives level tiles of one-metre cells.
    const vx::HeightGrid tile = vx::readHeightGrid((folder() + "/Internal/DSM_Raw/DSM_Raw/Tile_1_0.tif").toStdString());
    QCOMPARE(tile.columns, 100);
    QCOMPARE(tile.west, 500100.0);
    QCOMPARE(tile.at(50, 50), 20.0f);
  }

  // The DSM's input is checked before any tile is made; what is wrong is named, and nothing is
  // listed as a result.
  void theDsmRefusesUnusableInputByName() {
    const QString list = folder() + "/Internal/Lists/point_cloud_raw_list.txt";
    const QString rawList = folder() + "/Internal/Lists/dsm_raw_list.txt";
    const auto errorOfRun = [&] {
      recorder_.messages.clear();
      QFile::remove(rawList);
      const int result = engine_.dsm(*project_);
      const auto errors = recorder_.of(msg::TYPE_ERROR, 1710);
      return std::make_pair(result, errors.empty() ? std::string() : errors.front().text);
    };

    QVERIFY(QFile::remove(list));
    auto [result, error] = errorOfRun();
    QCOMPARE(result, int(vx::VEXA::kInvalidInput));
    QVERIFY2(error.find("does not exist: run the dense matching first") != std::string::npos, error.c_str());
    QVERIFY(recorder_.of(msg::TYPE_INFO, msg::STEP_PROCESS).empty());  // never started

    testprojects::writeText(list, "\n\n");
    std::tie(result, error) = errorOfRun();
    QVERIFY2(error.find("names no LAS file") != std::string::npos, error.c_str());

    const QString cut = folder() + "/Internal/Point_Cloud_Raw/cut.las";
    const QByteArray whole = testprojects::readText(folder() + "/Internal/Point_Cloud_Raw/cloud.las");
    testprojects::writeText(cut, whole.left(whole.size() / 2));
    testprojects::writeText(list, (folder() + "/Internal/Point_Cloud_Raw/cloud.las\n" + cut + "\n").toUtf8());
    std::tie(result, error) = errorOfRun();
    QCOMPARE(result, int(vx::VEXA::kInvalidInput));
    QVERIFY2(error.find(cut.toStdString()) != std::string::npos && error.find("cut short") != std::string::npos,
             error.c_str());
    QVERIFY(!QFile::exists(rawList));

    testprojects::writeText(list, "Internal/Point_Cloud_Raw/cloud.las\n");  // relative to the project
    QDir().mkpath(folder() + "/Internal/Editor");
    const QString flat = folder() + "/Internal/Editor/CorrectionShape.shp";
    testprojects::writeShapefile(flat, {{500010, 5000010, 0}, {500030, 5000010, 0}, {500030, 5000030, 0}}, false);
    project_->setCorrectionShapefile("Internal/Editor/CorrectionShape.shp");
    std::tie(result, error) = errorOfRun();
    QVERIFY2(error.find("PolygonZ") != std::string::npos, error.c_str());
    QVERIFY(!QFile::exists(rawList));
  }

  // A correction polygon lays its plane into the tiles it covers.
  void theDsmFlattensCorrectionPolygons() {
    QDir().mkpath(folder() + "/Internal/Editor");
    testprojects::writeShapefile(folder() + "/Internal/Editor/CorrectionShape.shp",
                                 {{500010, 5000010, 35}, {500050, 5000010, 35}, {500050, 5000040, 35},
                                  {500010, 5000040, 35}},
                                 true);
    project_->setCorrectionShapefile("Internal/Editor/CorrectionShape.shp");
    QCOMPARE(engine_.dsm(*project_), 0);
    const vx::HeightGrid tile = vx::readHeightGrid((folder() + "/Internal/DSM_Raw/DSM_Raw/Tile_0_0.tif").toStdString());
    int column = 0, row = 0;
    QVERIFY(tile.cellOf(500030.5, 5000020.5, column, row));
    QCOMPARE(tile.at(column, row), 35.0f);
    QVERIFY(tile.cellOf(500070.5, 5000070.5, column, row));
    QCOMPARE(tile.at(column, row), 20.0f);
  }

  // With LiDAR, its clouds join the matched ones; its list may be relative to the project.
  void theDsmTakesLidarCloudsToo() {
    std::vector<vx::las::Point> lidar;
    for (int k = 0; k < 3; ++k)
      for (double y = 5000000.5; y < 5000100; y += 1.0)
        for (double x = 500100.5; x < 500200; x += 1.0) {
          vx::las::Point p;
          p.x = x;
          p.y = y;
          p.z = 26.0;
          lidar.push_back(p);
        }
    QDir().mkpath(folder() + "/Internal/LiDAR");
    vx::las::write((folder() + "/Internal/LiDAR/strip.las").toStdString(), lidar);
    testprojects::writeText(folder() + "/Internal/LiDAR/lidar_list.txt", "strip.las\n");
    project_->setUseLidar(true);
    project_->setLidarListPath("Internal/LiDAR/lidar_list.txt");
    const int result = engine_.dsm(*project_);
    const auto errors = recorder_.of(msg::TYPE_ERROR, 1710);
    QVERIFY2(result == 0, errors.empty() ? "no error" : errors.front().text.c_str());
    const auto heightIn = [&](int x) {
      const vx::HeightGrid tile = vx::readHeightGrid(
          QString("%1/Internal/DSM_Raw/DSM_Raw/Tile_%2_0.tif").arg(folder()).arg(x).toStdString());
      return tile.at(40, 40);
    };
    QCOMPARE(heightIn(0), 20.0f);
    QCOMPARE(heightIn(1), 26.0f);
  }

  void everyModuleRunsUnderItsStepCode() {
    using Call = int (vx::VEXA::*)(vx::VEXAProject&);
    // The modules that work from this project's files alone; those needing photos have their own tests.
    const std::vector<std::pair<Call, int>> calls = {
        {&vx::VEXA::analysis, 1300}, {&vx::VEXA::denseMatching, 1400}, {&vx::VEXA::dsm, 1710},
        {&vx::VEXA::dsmMesh, 1740},  {&vx::VEXA::pointCloud, 1820},    {&vx::VEXA::mesh, 1830},
        {&vx::VEXA::meshTexturing, 1840}};
    for (const auto& [call, code] : calls) {
      recorder_.messages.clear();
      QCOMPARE((engine_.*call)(*project_), 0);
      QCOMPARE(recorder_.startedModules(), std::vector<int>{code});
      QCOMPARE(recorder_.of(msg::TYPE_MODULE_FINISHED, code).size(), size_t(1));
      QCOMPARE(project_->stepStatus(Steps(vx::steps::stepOfMessageStep(code))), int(vx::steps::Done));
    }
  }

  void analysisWarnsOfUnselectedImagesAndHandsAdoptedSettingsToTheFullRun() {
    QCOMPARE(engine_.analysis(*project_), 0);
    const auto warnings = recorder_.of(msg::TYPE_WARNING, 1300);
    QCOMPARE(warnings.size(), size_t(1));
    QCOMPARE(warnings[0].text, std::string("1 of 2 images are not selected; they take no part in the processing."));

    recorder_.messages.clear();
    project_->setStepStatus(vx::steps::Analysis, vx::steps::NotStarted);
    project_->setModeValue(2);
    QCOMPARE(engine_.analysis(*project_), int(vx::VEXA::kFullRunNeeded));
    QVERIFY(recorder_.startedModules().empty());
    QCOMPARE(project_->stepStatus(vx::steps::Analysis), int(vx::steps::NotStarted));
    for (Steps step : vx::steps::kAllSteps)
      if (step != vx::steps::Analysis && step != vx::steps::DenseMatching) project_->setStepActive(step, false);
    QCOMPARE(engine_.fullRun(*project_), 0);
    QCOMPARE(recorder_.startedModules(), (std::vector<int>{1300, 1400}));
  }

  void theFullRunTakesTheActiveStepsAndWeighsTheirProgress() {
    // The steps that need no photos.
    for (Steps step : {vx::steps::DenseMatching, vx::steps::TrueOrtho, vx::steps::Mesh, vx::steps::MeshTexturing,
                       vx::steps::DSMMeshTexturing})
      project_->setStepActive(step, false);
    QCOMPARE(engine_.fullRun(*project_), 0);
    QCOMPARE(recorder_.startedModules(), (std::vector<int>{1300, 1710, 1740, 1820}));
    // Weights 0.1, 0.1, 0.1, 0.05: the overall fraction rises and ends at 1.
    const auto overall = recorder_.of(msg::TYPE_PROGRESS, msg::STEP_OVERALL);
    QCOMPARE(overall.size(), size_t(8));
    QVERIFY(qAbs(overall[1].doubles[0] - 0.1 / 0.35) < 1e-6);
    for (size_t i = 1; i < overall.size(); ++i) QVERIFY(overall[i].doubles[0] > overall[i - 1].doubles[0]);
    QCOMPARE(overall.back().doubles[0], 1.0);

    for (Steps step : vx::steps::kAllSteps) project_->setStepActive(step, false);
    recorder_.messages.clear();
    QCOMPARE(engine_.fullRun(*project_), 0);
    QCOMPARE(recorder_.messages.size(), size_t(1));
    QCOMPARE(recorder_.messages[0].text, std::string("Nothing to process: no processing step is active."));
    QCOMPARE(recorder_.messages[0].step, 0);
  }

  void aPlanSpreadsOverallProgressOverSeparateCalls() {
    engine_.setRunPlan({vx::steps::Analysis, vx::steps::DenseMatching});
    QCOMPARE(engine_.analysis(*project_), 0);
    QVERIFY(qAbs(recorder_.of(msg::TYPE_PROGRESS, msg::STEP_OVERALL).back().doubles[0] - 0.25) < 1e-6);
    QCOMPARE(engine_.denseMatching(*project_), 0);
    QCOMPARE(recorder_.of(msg::TYPE_PROGRESS, msg::STEP_OVERALL).back().doubles[0], 1.0);
    engine_.setRunPlan({});
  }

  void badInputsEndWithAnErrorAndLeaveTheStatus() {
    project_->setArea({{0, 0, 0}}, {{0, 0, 0}});
    QCOMPARE(engine_.dsm(*project_), int(vx::VEXA::kInvalidInput));
    QCOMPARE(recorder_.of(msg::TYPE_ERROR, 1710).back().text,
             std::string("The project has no usable area for DSM: set the project area and a positive tile size."));

    makeProject();
    vx::VEXAProject noImages;
    QCOMPARE(noImages.setOutputFolder(folder().toStdString(), 0, 0), 0);
    noImages.setArea({{0, 0, 0}}, {{10, 10, 0}});
    QCOMPARE(engine_.analysis(noImages), int(vx::VEXA::kInvalidInput));
    QCOMPARE(recorder_.of(msg::TYPE_ERROR, 1300).back().text,
             std::string("The project has no images; Analysis needs oriented images."));
    QCOMPARE(noImages.stepStatus(vx::steps::Analysis), int(vx::steps::NotStarted));

    vx::VEXAProject noFolder;
    QCOMPARE(engine_.mesh(noFolder), int(vx::VEXA::kInvalidInput));
    QCOMPARE(engine_.prepareProject(noFolder), int(vx::VEXA::kInvalidInput));
    QVERIFY(recorder_.of(msg::TYPE_MODULE_FINISHED, 1830).empty());

    // An older project structure is the notice of step 1000, sub-code 26.
    testprojects::writeText(folder() + "/Project.vpr", "<VEXAProject><version>1</version></VEXAProject>");
    recorder_.messages.clear();
    QCOMPARE(engine_.prepareProject(*project_), int(vx::VEXA::kInvalidInput));
    QCOMPARE(recorder_.messages.size(), size_t(1));
    QCOMPARE(recorder_.messages[0].type, int(msg::TYPE_ERROR));
    QCOMPARE(recorder_.messages[0].step, 1000);
    QCOMPARE(recorder_.messages[0].sub, 26);
    project_->saveProjectFile(folder().toStdString() + "/Project.vpr");
    QCOMPARE(engine_.prepareProject(*project_), 0);
  }

  // A cancel ends the call within the tile it arrives in; the step never counts as done.
  void cancelEndsTheCallWithinOneTile() {
    for (bool immediately : {true, false}) {
      vx::VEXA::setSimulatedTileWork(std::chrono::milliseconds(immediately ? 60000 : 20));
      recorder_.messages.clear();
      recorder_.onMessage = [&](const Message& m, const int* ints) {
        if (m.text.rfind("Processing Tile", 0) == 0 && ints[0] == 1) engine_.cancel(immediately);
      };
      QCOMPARE(engine_.mesh(*project_), int(vx::VEXA::kCanceled));
      recorder_.onMessage = nullptr;
      QCOMPARE(recorder_.messages.back().type, int(msg::TYPE_ERROR));
      QCOMPARE(recorder_.messages.back().text, std::string("Canceled by user"));
      QCOMPARE(recorder_.messages.back().step, 1830);
      // Immediately: tile 1 is broken off; else tile 1 is finished and tile 2 never begins.
      QCOMPARE(recorder_.of(msg::TYPE_PROGRESS, 1830).size(), size_t(immediately ? 0 : 1));
      for (const Message& m : recorder_.messages) QVERIFY(m.text != "Processing Tile 2 of 2");
      QVERIFY(recorder_.of(msg::TYPE_MODULE_FINISHED, 1830).empty());
      QCOMPARE(project_->stepStatus(vx::steps::Mesh), int(vx::steps::Started));
      QVERIFY(!engine_.isCancelRequested());
    }
    vx::VEXA::setSimulatedTileWork(std::chrono::milliseconds(0));

    // A request made between calls ends the next call at once and is used up by it.
    engine_.cancel(false);
    QCOMPARE(engine_.mesh(*project_), int(vx::VEXA::kCanceled));
    QCOMPARE(engine_.mesh(*project_), 0);
    engine_.cancel(false);
    engine_.resetCancel();
    QCOMPARE(engine_.mesh(*project_), 0);
  }

  void aRemovedReceiverHearsNothing() {
    vx::VEXA engine;
    Recorder recorder;
    engine.registerStatusCallback(&Recorder::callback, &recorder);
    engine.registerStatusCallback(nullptr, nullptr);
    QCOMPARE(engine.dsm(*project_), 0);
    QVERIFY(recorder.messages.empty());
  }
};

QTEST_APPLESS_MAIN(EngineTest)
#include "EngineTest.moc"
