#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "tests/platform/vx/TestProjects.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"
#include "vxdb/Database.h"
#include "vxdb/Monitor.h"

namespace msg = vx::MSG;

class MonitorTest : public QObject {
  Q_OBJECT

  static std::vector<vxdb::ModuleRun> runsIn(const QString& folder) {
    const auto chronicle = vxdb::DatabaseIO::readFile((folder + "/Internal/chronicle.vxdb").toStdString());
    return chronicle ? vxdb::readModuleRuns(*chronicle) : std::vector<vxdb::ModuleRun>();
  }

  static void say(vxdb::MonitorObj& monitor, int type, int step, const char* format, const char* string = nullptr) {
    vxdb::listen(msg::makeCode(type, step, 0), format, nullptr, nullptr, string, &monitor);
  }

 private slots:
  // An engine run with the monitor listening: each module's start and end land in the chronicle.
  void listenRecordsEachModuleOfARun() {
    QTemporaryDir dir;
    vx::VEXAProject project;
    QCOMPARE(project.setOutputFolder(dir.path().toStdString(), 0, 0), 0);
    project.setArea({{0, 0, 0}}, {{100, 100, 0}});
    project.setTileSize(100);
    project.setGroundSampleDistance(1.0);
    testprojects::writeRawPointCloud(dir.path(), {{0, 0, 0}}, {{100, 100, 0}}, 10.0, 2.0);
    QVERIFY(QDir(dir.path()).mkpath("Internal"));

    auto proxy = vxdb::DatabaseFactory::createDatabaseProxy();
    proxy->setData(project);
    QVERIFY2(proxy->isOpen(), proxy->error().c_str());
    vxdb::MonitorObj monitor;
    monitor.connectProxy(proxy);
    vx::VEXA::setSimulatedTileWork(std::chrono::milliseconds(0));
    vx::VEXA engine;
    engine.registerStatusCallback(&vxdb::listen, &monitor);
    QCOMPARE(engine.dsm(project), 0);
    engine.cancel(false);
    QCOMPARE(engine.dsmMesh(project), int(vx::VEXA::kCanceled));

    const auto runs = runsIn(dir.path());
    QCOMPARE(runs.size(), size_t(2));
    QCOMPARE(runs[0].module, 1710);
    QCOMPARE(runs[0].result, std::string("finished"));
    QVERIFY(runs[0].started > 1700000000 && runs[0].ended >= runs[0].started);
    QCOMPARE(runs[1].module, 1740);
    QCOMPARE(runs[1].result, std::string("canceled"));
    QCOMPARE(runs[1].message, std::string("Canceled by user"));
    // The chronicle stays readable for the resource queries.
    QVERIFY(vxdb::DatabaseIO::readFile((dir.path() + "/Internal/chronicle.vxdb").toStdString()));
  }

  void errorsCloseRunsAndNothingEscapesListen() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("Internal"));
    vx::VEXAProject project;
    QCOMPARE(project.setOutputFolder(dir.path().toStdString(), 0, 0), 0);
    auto proxy = vxdb::DatabaseFactory::createDatabaseProxy();
    proxy->setData(project);
    vxdb::MonitorObj monitor;
    monitor.connectProxy(proxy);

    say(monitor, msg::TYPE_PROCESS_STARTED, 1300, "");
    say(monitor, msg::TYPE_PROCESS_STARTED, 1300, "");  // again before an end: the first one failed
    say(monitor, msg::TYPE_PROCESS_STARTED, 1400, "");
    say(monitor, msg::TYPE_PROCESS_STARTED, 1310, "");  // no module: no run
    say(monitor, msg::TYPE_ERROR, 1000, "Disk %s is full", "D:");
    say(monitor, msg::TYPE_MODULE_FINISHED, 1400, "");  // already closed
    auto runs = runsIn(dir.path());
    QCOMPARE(runs.size(), size_t(3));
    QCOMPARE(runs[0].result, std::string("failed"));
    QCOMPARE(runs[0].message, std::string("started again before it ended"));
    QCOMPARE(runs[1].result, std::string("failed"));
    QCOMPARE(runs[1].message, std::string("Disk D: is full"));
    QCOMPARE(runs[2].module, 1400);
    QCOMPARE(runs[2].message, std::string("Disk D: is full"));

    // The chronicle taken away under a running module: the record is lost, the run is not.
    say(monitor, msg::TYPE_PROCESS_STARTED, 1710, "");
    QVERIFY(QFile::remove(dir.path() + "/Internal/chronicle.vxdb"));
    QVERIFY(QDir(dir.path()).rmdir("Internal"));
    QFile blocker(dir.path() + "/Internal");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    say(monitor, msg::TYPE_MODULE_FINISHED, 1710, "");
    say(monitor, msg::TYPE_PROCESS_STARTED, 1720, "");
    vxdb::listen(msg::makeCode(3, 0, 0), "no monitor", nullptr, nullptr, nullptr, nullptr);

    // A project without an Internal folder keeps no history, and says so.
    QTemporaryDir bare;
    vx::VEXAProject other;
    QCOMPARE(other.setOutputFolder(bare.path().toStdString(), 0, 0), 0);
    auto closed = vxdb::DatabaseFactory::createDatabaseProxy();
    closed->setData(other);
    QVERIFY(!closed->isOpen());
    QVERIFY(closed->error().find("chronicle.vxdb") != std::string::npos);
    vxdb::MonitorObj quiet;
    quiet.connectProxy(closed);
    say(quiet, msg::TYPE_PROCESS_STARTED, 1710, "");
    QVERIFY(!QFile::exists(bare.path() + "/Internal/chronicle.vxdb"));
  }
};

QTEST_APPLESS_MAIN(MonitorTest)
#include "MonitorTest.moc"
