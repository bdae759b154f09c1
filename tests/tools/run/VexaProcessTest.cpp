#include <QDir>
#include <QImage>
#include <QMutex>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <functional>
#include <memory>

#include "tests/platform/vx/TestProjects.h"
#include "tools/run/VexaProcess.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"
#include "vxdb/Database.h"
#include "vxdb/Monitor.h"

namespace msg = vx::MSG;
using vx::steps::Steps;

namespace {

// Every signal of a runner as one line, in the order emitted, from whichever thread.
class SignalLog {
 public:
  explicit SignalLog(VexaProcess& p) {
    const auto direct = Qt::DirectConnection;
    QObject::connect(&p, &VexaProcess::signal_progressVexa, &p, [this](int v) { add("progressVexa", {v}); }, direct);
    QObject::connect(&p, &VexaProcess::signal_progressVexaTime, &p,
                     [this](int v, int s) { add("progressVexaTime", {v, s}); }, direct);
    QObject::connect(&p, &VexaProcess::signal_progressStep, &p, [this](int s, int v) { add("progressStep", {s, v}); },
                     direct);
    QObject::connect(&p, &VexaProcess::signal_cancelled, &p, [this] { add("cancelled", {}); }, direct);
    QObject::connect(&p, &VexaProcess::signal_finished, &p, [this](int r) { add("finished", {r}); }, direct);
    QObject::connect(&p, &VexaProcess::signal_errorMsg, &p, [this](QString t, int s) { add("errorMsg", {t, s}); }, direct);
    QObject::connect(&p, &VexaProcess::signal_warningMsg, &p,
                     [this](QString t, int s, int c) { add("warningMsg", {t, s, c}); }, direct);
    QObject::connect(&p, &VexaProcess::signal_infoMsg, &p, [this](QString t, int s) { add("infoMsg", {t, s}); }, direct);
    QObject::connect(&p, &VexaProcess::signal_longInfoMsg, &p, [this](QString t) { add("longInfoMsg", {t}); }, direct);
    QObject::connect(&p, &VexaProcess::signal_newSubprocess, &p, [this](QString n) { add("newSubprocess", {n}); },
                     direct);
    QObject::connect(&p, &VexaProcess::signal_updatedProcessingStatus, &p, [this] { add("updatedStatus", {}); },
                     direct);
    QObject::connect(&p, &VexaProcess::signal_finishedModule, &p, [this](int m) { add("finishedModule", {m}); },
                     direct);
    QObject::connect(&p, &VexaProcess::signal_startedModule, &p, [this](int m) { add("startedModule", {m}); }, direct);
    QObject::connect(&p, &VexaProcess::signal_tileProgress, &p,
                     [this](int s, int c, int t) { add("tileProgress", {s, c, t}); }, direct);
    QObject::connect(&p, &VexaProcess::signal_subprojectsCreated, &p, [this] { add("subprojectsCreated", {}); },
                     direct);
    QObject::connect(&p, &VexaProcess::signal_subprojectPending, &p,
                     [this](QString n) { add("subprojectPending", {n}); }, direct);
    QObject::connect(&p, &VexaProcess::signal_subprojectStarted, &p,
                     [this](QString n) { add("subprojectStarted", {n}); }, direct);
    QObject::connect(&p, &VexaProcess::signal_subprojectFinished, &p,
                     [this](QString n) { add("subprojectFinished", {n}); }, direct);
  }
  void add(const QString& name, const QVariantList& args) {
    QStringList parts;
    for (const QVariant& arg : args) parts << arg.toString();
    QMutexLocker lock(&mutex_);
    lines_ << name + "(" + parts.join(", ") + ")";
  }
  QStringList lines() {
    QMutexLocker lock(&mutex_);
    return lines_;
  }
  QStringList between(const QString& from, const QString& to) {
    const QStringList all = lines();
    const int begin = all.indexOf(from + "()"), end = all.indexOf(to + "()");
    return begin >= 0 && end > begin ? all.mid(begin + 1, end - begin - 1) : QStringList{"markers missing"};
  }
  QStringList matching(const QString& prefix) { return lines().filter(QRegularExpression("^" + prefix)); }

 private:
  QMutex mutex_;
  QStringList lines_;
};

void send(VexaProcess& p, int type, int step, int sub, const char* format, const double* d = nullptr,
          const int* i = nullptr, const char* s = nullptr) {
  VexaProcess::callback(msg::makeCode(type, step, sub), format, d, i, s, &p);
}

}  // namespace

class VexaProcessTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::shared_ptr<vx::VEXAProject> project_;

  // Two tiles, one image, in a fresh folder; every step active and not started.
  void makeProject() {
    static int count = 0;
    const QString folder = dir_.filePath(QString::number(++count));
    QVERIFY(QDir().mkpath(folder + "/Internal"));
    project_ = std::make_shared<vx::VEXAProject>();
    QCOMPARE(project_->setOutputFolder(folder.toStdString(), 0, 0), 0);
    project_->setArea({{0, 0, 0}}, {{200, 100, 0}});
    project_->setGroundSampleDistance(1.0);
    testprojects::writeRawPointCloud(folder, {{0, 0, 0}}, {{200, 100, 0}}, 10.0, 2.0);
    project_->setTileSize(100);
    // One photo straight above that sees the whole area, for the modules that colour it.
    vx::ImageOrientation camera = testprojects::nadirOrientation("a.jpg", 100, 300);
    camera.setProjectionCenter({{100, 50, 300}});
    QVERIFY(QDir().mkpath(folder + "/Internal/Orientations") && QDir().mkpath(folder + "/Images"));
    camera.writeFile((folder + "/Internal/Orientations/a.ori").toStdString());
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(QColor(120, 160, 90));
    QVERIFY(photo.save(folder + "/Images/a.jpg", "JPG"));
    project_->addImage({"a.jpg", "Images/a.jpg", "Internal/Orientations/a.ori", true});
    project_->saveProjectFile(folder.toStdString() + "/Project.vpr");
  }

  // Runs `process` up to `target` on this thread, as a test can watch it from inside: the signals
  // are then emitted at once. `atFirstModule` runs inside the first module start, while the runner
  // is active.
  int runTo(VexaProcess& process, int target, const std::function<void()>& atFirstModule = {}) {
    QMetaObject::Connection hook;
    if (atFirstModule) {
      auto once = std::make_shared<bool>(false);
      hook = connect(&process, &VexaProcess::signal_startedModule, &process,
                     [=](int) {
                       if (*once) return;
                       *once = true;
                       atFirstModule();
                     },
                     Qt::DirectConnection);
    }
    QSignalSpy finished(&process, &VexaProcess::signal_finished);
    process.setProject(project_);
    process.on_ProcessStep(static_cast<Steps>(target));
    process.run();
    disconnect(hook);
    return finished.size() == 1 ? finished[0][0].toInt() : -100;
  }

  // As the main window runs it: on the global pool, the signals arriving on this thread.
  int runOnPool(VexaProcess& process, int target) {
    QSignalSpy finished(&process, &VexaProcess::signal_finished);
    process.setProject(project_);
    process.on_ProcessStep(static_cast<Steps>(target));
    QThreadPool::globalInstance()->start(&process);
    if (!finished.wait(30000)) return -100;
    QThreadPool::globalInstance()->waitForDone();
    return finished[0][0].toInt();
  }

 private slots:
  void initTestCase() { vx::VEXA::setSimulatedTileWork(std::chrono::milliseconds(0)); }
  void init() { makeProject(); }

  void messagesBecomeSignalsByTheirRules() {
    VexaProcess process;
    SignalLog log(process);
    const int tiles[3] = {2, 5, 0};
    const double half[3] = {0.5, 10, 99};
    const double part[3] = {0.421, 1, 1};
    QCOMPARE(runTo(process, vx::steps::DSM, [&] {
               log.add("begin", {});
               send(process, 3, 1710, 0, "Processing Tile %d of %d", nullptr, tiles);
               send(process, 3, 1000, 0, "Processing Tile %d of %d", nullptr, tiles);  // no module step
               send(process, 3, 1710, 4, "Processing Tile %d of %d", nullptr, tiles);  // other sub-code
               send(process, 3, 1710, 0, "Processing Tile");                          // no ints
               send(process, 3, 0, 1, "status changed");
               send(process, 4, 1720, 0, "Low overlap in %s", nullptr, nullptr, "T1");
               send(process, 4, 1720, 0, "");
               send(process, 6, 1710, 0, "", part);
               send(process, 6, 1000, 0, "", half);
               send(process, 6, 1000, 0, "");
               send(process, 2, 1840, 0, "");
               send(process, 2, 1310, 0, "");
               send(process, 9, 1840, 0, "");
               send(process, 3, 1310, 1, "%d subprojects", nullptr, tiles);
               send(process, 3, 1500, 1, "  SP_01  waits");
               send(process, 3, 1500, 2, "SP_01 runs");
               send(process, 4, 1500, 3, "SP_01 done");
               send(process, 3, 1500, 2, "   ");
               send(process, 5, 1000, 26, "Project %s", nullptr, nullptr, "P");
               log.add("end", {});
             }),
             0);
    const int warningCode = msg::makeCode(4, 1720, 0);
    const int doneCode = msg::makeCode(4, 1500, 3);
    QCOMPARE(log.between("begin", "end"),
             (QStringList{"infoMsg(Processing Tile 2 of 5, 1710)",
                          "tileProgress(1710, 2, 5)",
                          "infoMsg(Processing Tile 2 of 5, 1000)",
                          "infoMsg(Processing Tile 2 of 5, 1710)",
                          "infoMsg(Processing Tile, 1710)",
                          "infoMsg(status changed, 0)",
                          "updatedStatus()",
                          QString("warningMsg(True Ortho: Low overlap in T1, 1720, %1)").arg(warningCode),
                          "progressStep(1710, 43)",
                          "progressVexaTime(50, 10)",
                          "progressVexa(50)",
                          "newSubprocess(Mesh Texturing)",
                          "progressStep(1840, 0)",
                          "startedModule(1840)",
                          "newSubprocess(Subprojects)",
                          "progressStep(1310, 0)",
                          "finishedModule(1840)",
                          "infoMsg(2 subprojects, 1310)",
                          "subprojectsCreated()",
                          "infoMsg(  SP_01  waits, 1500)",
                          "subprojectPending(SP_01)",
                          "infoMsg(SP_01 runs, 1500)",
                          "subprojectStarted(SP_01)",
                          QString("warningMsg(Subproject Status: SP_01 done, 1500, %1)").arg(doneCode),
                          "subprojectFinished(SP_01)",
                          "infoMsg(   , 1500)",
                          "longInfoMsg(" + VexaProcess::oldProjectStructureNotice() + "Project P)"}));
    QVERIFY(VexaProcess::oldProjectStructureNotice().startsWith(
        "Due to the new project structure, only projects created by VEXA 4 can be loaded."));
  }

  // An error ends the run for the editor before the engine returns; later messages are not heard.
  void errorsAndTheProcessEndFinishTheRun() {
    struct Case {
      int type, step, sub;
      const char* text;
      QStringList expected;
    };
    const QList<Case> cases = {
        {5, 1710, 0, "Tile 3 failed",
         {"progressVexa(0)", "progressStep(1710, 0)", "cancelled()", "errorMsg(DSM: Tile 3 failed, 1710)"}},
        {5, 1710, 0, "Canceled by user", {"progressVexa(0)", "progressStep(1710, 0)", "cancelled()"}},
        {3, 0, 0, "Nothing to do",
         {"progressVexa(0)", "progressStep(0, 0)", "cancelled()", "infoMsg(Nothing to do, 0)"}},
    };
    for (const Case& c : cases) {
      VexaProcess process;
      SignalLog log(process);
      QCOMPARE(runTo(process, vx::steps::DSM, [&] {
                 log.add("begin", {});
                 send(process, c.type, c.step, c.sub, c.text);
                 log.add("state", {process.isActive(), process.isRunning(), process.targetStep()});
                 send(process, 3, 1710, 0, "not heard");
                 log.add("end", {});
               }),
               0);
      QCOMPARE(log.between("begin", "end"), c.expected + QStringList{"state(false, false, -1)"});
    }
  }

  void eachTargetRunsItsActiveEarlierSteps() {
    const QList<QPair<int, QList<int>>> runs = {
        {0, {1300}},
        {1, {1300, 1400}},
        {2, {1300, 1710}},
        {3, {1300, 1710, 1720}},
        {4, {1300, 1710, 1740}},
        {5, {1300, 1820}},
        {6, {1300, 1830}},
        {7, {1300, 1830, 1840}},
        {8, {1300, 1710, 1740, 1750}},
        {-1, {1300, 1710, 1720, 1740, 1830, 1840, 1750}},
    };
    for (const auto& [target, modules] : runs) {
      makeProject();
      project_->setStepActive(vx::steps::DenseMatching, false);
      project_->setStepActive(vx::steps::PointCloud, false);
      VexaProcess process;
      SignalLog log(process);
      QSignalSpy started(&process, &VexaProcess::signal_started);
      QCOMPARE(runOnPool(process, target), 0);
      // Every message of the run arrives before its end.
      QCOMPARE(log.lines().last(), QString("finished(0)"));
      QCOMPARE(started.size(), 1);
      QStringList expected;
      for (int module : modules) expected << QString("startedModule(%1)").arg(module);
      QCOMPARE(log.matching("startedModule"), expected);
      QCOMPARE(log.matching("finishedModule").size(), modules.size());
      for (int module : modules)
        QCOMPARE(project_->stepStatus(Steps(vx::steps::stepOfMessageStep(module))), int(vx::steps::Done));
      QVERIFY(log.matching("cancelled").isEmpty());
      QVERIFY(!process.isRunning() && !process.isActive());
      QCOMPARE(process.targetStep(), -1);
      // The overall progress rises to 100; with analysis alone the analysis is the main progress.
      QCOMPARE(log.matching("progressVexa\\(").last(), QString("progressVexa(100)"));
      if (target == 0) QVERIFY(log.lines().contains("progressStep(1000, 100)"));
      // The monitor kept the history of the run.
      const auto chronicle =
          vxdb::DatabaseIO::readFile(project_->projectFolderUtf8() + "/Internal/chronicle.vxdb");
      QVERIFY(chronicle);
      QCOMPARE(int(vxdb::readModuleRuns(*chronicle).size()), modules.size());
    }

    // Without an active analysis there is no preparatory call.
    makeProject();
    project_->setStepActive(vx::steps::Analysis, false);
    VexaProcess process;
    SignalLog log(process);
    QCOMPARE(runTo(process, vx::steps::DSM), 0);
    QCOMPARE(log.matching("startedModule"), (QStringList{"startedModule(1400)", "startedModule(1710)"}));
    QVERIFY(log.matching("infoMsg\\(The project in").isEmpty());
  }

  void adoptedSettingsTurnAnAnalysisIntoTheFullRun() {
    project_->setModeValue(2);
    for (Steps step : {vx::steps::DSM, vx::steps::TrueOrtho, vx::steps::DSMMesh, vx::steps::PointCloud,
                       vx::steps::Mesh, vx::steps::MeshTexturing, vx::steps::DSMMeshTexturing})
      project_->setStepActive(step, false);
    VexaProcess process;
    SignalLog log(process);
    QCOMPARE(runTo(process, vx::steps::Analysis), 0);
    QCOMPARE(project_->modeValue(), 0);
    QCOMPARE(log.matching("startedModule"), (QStringList{"startedModule(1300)", "startedModule(1400)"}));
  }

  void cancelMidRunEndsCancelledNotSuccessful() {
    VexaProcess process;
    SignalLog log(process);
    QSignalSpy waiting(&process, &VexaProcess::signal_waitingForCancel);
    process.cancelProcessing();  // not running: nothing to cancel
    QCOMPARE(waiting.size(), 0);
    connect(&process, &VexaProcess::signal_tileProgress, &process,
            [&](int step, int tile, int) {
              if (step == 1710 && tile == 1) process.cancelProcessing();
            },
            Qt::DirectConnection);
    const int result = runTo(process, vx::steps::DSMMesh);
    QCOMPARE(result, int(vx::VEXA::kCanceled));
    QCOMPARE(waiting.size(), 1);
    QCOMPARE(log.matching("cancelled").size(), 1);
    QVERIFY(log.matching("errorMsg").isEmpty());
    QCOMPARE(log.matching("startedModule"),
             (QStringList{"startedModule(1300)", "startedModule(1400)", "startedModule(1710)"}));
    QCOMPARE(project_->stepStatus(vx::steps::DSM), int(vx::steps::Started));
    QCOMPARE(project_->stepStatus(vx::steps::DSMMesh), int(vx::steps::NotStarted));

    // The next run is not cancelled by the old request.
    SignalLog again(process);
    disconnect(&process, &VexaProcess::signal_tileProgress, &process, nullptr);
    QCOMPARE(runTo(process, vx::steps::DSMMesh), 0);
    QCOMPARE(project_->stepStatus(vx::steps::DSMMesh), int(vx::steps::Done));
  }

  void aRunWithoutProjectFails() {
    VexaProcess process;
    QSignalSpy errors(&process, &VexaProcess::signal_errorMsg);
    project_.reset();
    QCOMPARE(runTo(process, vx::steps::DSM), int(vx::VEXA::kInvalidInput));
    QCOMPARE(errors.size(), 1);
  }
};

QTEST_GUILESS_MAIN(VexaProcessTest)
#include "VexaProcessTest.moc"
