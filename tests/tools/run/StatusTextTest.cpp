#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "tests/platform/vx/TestProjects.h"
#include "tools/run/StatusText.h"
#include "tools/run/VexaMsgInterface.h"
#include "vx/Msg.h"
#include "vx/Status.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

namespace msg = vx::MSG;

namespace {

// One tile of 100 m with a level cloud, in `dir`.
bool makeProject(vx::VEXAProject& project, const QTemporaryDir& dir) {
  if (project.setOutputFolder(dir.path().toStdString(), 0, 0) != 0) return false;
  project.setArea({{0, 0, 0}}, {{100, 100, 0}});
  project.setGroundSampleDistance(1.0);
  testprojects::writeRawPointCloud(dir.path(), {{0, 0, 0}}, {{100, 100, 0}}, 10.0, 2.0);
  return true;
}

}  // namespace

class StatusTextTest : public QObject {
  Q_OBJECT

 private slots:
  void bothFlavoursFollowTheSameValueRule() {
    const double d[3] = {0.25, 3, 4};
    const int i[3] = {7, 8, 9};
    for (auto fill : {&StatusText::withBoostFormat, &StatusText::withPrintf}) {
      QCOMPARE(fill("Tile %d of %d", nullptr, i, "s"), QString("Tile 7 of 8"));
      QCOMPARE(fill("Shape %s", nullptr, nullptr, u8"Fläche.shp"), QString(u8"Shape Fläche.shp"));
      QCOMPARE(fill("as it is %d", nullptr, nullptr, nullptr), QString("as it is %d"));
      QCOMPARE(fill(nullptr, d, i, "s"), QString());
      QCOMPARE(fill("", d, nullptr, nullptr), QString());
    }
    QCOMPARE(StatusText::withBoostFormat("%1% of %2%", nullptr, i, nullptr), QString("7 of 8"));
    QCOMPARE(StatusText::withBoostFormat("%.2f|%s", d, i, nullptr), QString("0.25|3"));
    QCOMPARE(StatusText::withPrintf("%.2f|%s", d, i, nullptr), QString("0.25|3"));
  }

  // Hostile formats: Boost's errors are caught and give the format as it is; neither flavour
  // reads past the values or writes through %n.
  void hostileFormatsGiveTextNotCrashes() {
    const double d[3] = {1, 2, 3};
    const int i[3] = {1, 2, 3};
    QCOMPARE(StatusText::withBoostFormat("%d %d %d %d %d", nullptr, i, nullptr), QString("1 2 3  "));
    QCOMPARE(StatusText::withPrintf("%d %d %d %d %d", nullptr, i, nullptr), QString("1 2 3 %d %d"));
    QCOMPARE(StatusText::withBoostFormat("ends in %", d, nullptr, nullptr), QString("ends in %"));
    QCOMPARE(StatusText::withPrintf("ends in %", d, nullptr, nullptr), QString("ends in %"));
    QCOMPARE(StatusText::withBoostFormat("%s and %s", nullptr, nullptr, "one"), QString("one and "));
    QCOMPARE(StatusText::withPrintf("%s and %s", nullptr, nullptr, "one"), QString("one and %s"));
    QCOMPARE(StatusText::withBoostFormat("%5% is not there", nullptr, i, nullptr), QString(" is not there"));
    QCOMPARE(StatusText::withBoostFormat("%|99999999|x", d, nullptr, nullptr), QString("%|99999999|x"));
    QCOMPARE(StatusText::withPrintf("%99999999dx", d, nullptr, nullptr), QString("%99999999dx"));
    QCOMPARE(StatusText::withPrintf("%n%s", nullptr, nullptr, "s"), QString("%ns"));
    QVERIFY(!StatusText::withBoostFormat("%n%d", nullptr, i, nullptr).isEmpty());
    QCOMPARE(StatusText::saturated(std::numeric_limits<double>::quiet_NaN()), 0);
    QCOMPARE(StatusText::saturated(1e300), std::numeric_limits<int>::max());
    QCOMPARE(StatusText::saturated(-1e300), std::numeric_limits<int>::min());
  }

  void theInterfaceSignalsTextsStartsAndProgress() {
    auto engine = std::make_shared<vx::VEXA>();
    VexaMsgInterface receiver(engine);
    QSignalSpy info(&receiver, &VexaMsgInterface::signal_Info);
    QSignalSpy warning(&receiver, &VexaMsgInterface::signal_Warning);
    QSignalSpy error(&receiver, &VexaMsgInterface::signal_Error);
    QSignalSpy progress(&receiver, &VexaMsgInterface::signal_ProgressInfo);
    QSignalSpy started(&receiver, &VexaMsgInterface::signal_ProcessStarted);
    const auto send = [&](int type, int step, const char* format, const double* d = nullptr, const int* i = nullptr,
                          const char* s = nullptr) {
      VexaMsgInterface::callback(msg::makeCode(type, step, 0), format, d, i, s, &receiver);
    };
    const int tiles[3] = {3, 4, 0};
    const double fraction[3] = {0.999, 12, 7.9};
    send(3, 1710, "Processing Tile %d of %d", nullptr, tiles);
    send(4, 1720, "Shape %s missing", nullptr, nullptr, "a.shp");
    send(5, 1740, "failed");
    send(3, 1710, "");          // empty texts of types 3-5 say nothing
    send(2, 1750, "");
    send(2, 1750, "named");     // a start with a text is no start
    send(6, 1400, "", fraction);
    send(6, 1400, "");          // progress without values
    send(6, 1400, "text", fraction);
    QCOMPARE(info.size(), 1);
    QCOMPARE(info[0], (QVariantList{"Processing Tile 3 of 4", 1710}));
    QCOMPARE(warning[0], (QVariantList{"Shape a.shp missing", 1720}));
    QCOMPARE(error[0], (QVariantList{"failed", 1740}));
    QCOMPARE(started.size(), 1);
    QCOMPARE(started[0][0].toString(), QString("DSM Mesh Texturing"));
    QCOMPARE(progress.size(), 1);
    QCOMPARE(progress[0], (QVariantList{99, 7, 1400}));

    // The engine's own messages arrive the same way, and the utility channel can feed it too.
    QTemporaryDir dir;
    vx::VEXAProject project;
    QVERIFY(makeProject(project, dir));
    vx::VEXA::setSimulatedTileWork(std::chrono::milliseconds(0));
    QCOMPARE(engine->dsm(project), 0);
    QCOMPARE(started.last()[0].toString(), QString("DSM"));
    QCOMPARE(progress.last(), (QVariantList{100, 0, 1000}));
    vx::utils::status::setStatusCallbackFunction(&VexaMsgInterface::callback, &receiver);
    vx::utils::status::report(msg::makeCode(3, 1740, 0), "LOD of %s updated", nullptr, nullptr, "Tile_0_0");
    vx::utils::status::setStatusCallbackFunction(nullptr);
    QCOMPARE(info.last(), (QVariantList{"LOD of Tile_0_0 updated", 1740}));
  }

  void aDestroyedInterfaceHearsNoMore() {
    auto engine = std::make_shared<vx::VEXA>();
    QTemporaryDir dir;
    vx::VEXAProject project;
    QVERIFY(makeProject(project, dir));
    { VexaMsgInterface receiver(engine); }
    QCOMPARE(engine->dsm(project), 0);  // would touch the destroyed receiver otherwise
  }
};

QTEST_GUILESS_MAIN(StatusTextTest)
#include "StatusTextTest.moc"
