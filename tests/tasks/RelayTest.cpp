#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <vector>

#include "tasks/Relay.h"

using tasks::Relay;

namespace {

// What a module reports: lines in order, and the progress of two steps after every line. Each
// line costs a few microseconds to show, so that delivering them all takes a good many turns of
// the event loop.
struct Flood {
  static constexpr int kLines = 30000;

  static void run(Relay& relay, std::vector<int>& lines, std::vector<int>& progress, std::vector<int>& threads) {
    for (int i = 0; i < kLines; ++i) {
      relay.post([&lines, &threads, i] {
        QElapsedTimer shown;
        shown.start();
        while (shown.nsecsElapsed() < 4000) {
        }
        lines.push_back(i);
        if (QThread::currentThread() != qApp->thread()) threads.push_back(i);
      });
      relay.post([&progress, i] { progress.push_back(i); }, 7);
      relay.post([] {}, 8);
    }
  }
};

}  // namespace

class RelayTest : public QObject {
  Q_OBJECT

 private slots:
  // Everything a worker posts arrives on the relay's thread, lines in order and complete; of the
  // progress only some arrives, in order and ending with the newest; and the event loop keeps
  // turning while the flood is delivered.
  void aFloodArrivesInOrderWhileTheLoopTurns() {
    Relay relay;
    std::vector<int> lines;
    std::vector<int> progress;
    std::vector<int> offThread;
    std::unique_ptr<QThread> worker(QThread::create([&] { Flood::run(relay, lines, progress, offThread); }));
    // Ticks while some lines are shown and some are not yet.
    int ticksMidway = 0;
    QTimer ticker;
    ticker.setInterval(0);
    connect(&ticker, &QTimer::timeout, [&] { ticksMidway += !lines.empty() && lines.size() < Flood::kLines; });
    ticker.start();
    worker->start();
    QTRY_COMPARE_WITH_TIMEOUT(int(lines.size()), int(Flood::kLines), 60000);
    QVERIFY(worker->wait(10000));
    QVERIFY(offThread.empty());
    for (int i = 0; i < Flood::kLines; ++i) QCOMPARE(lines[std::size_t(i)], i);
    QVERIFY(!progress.empty());
    QVERIFY(progress.size() < std::size_t(Flood::kLines));
    QCOMPARE(progress.back(), Flood::kLines - 1);
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    QVERIFY2(ticksMidway > 3, qPrintable(QString("the timer fired %1 times while the flood arrived").arg(ticksMidway)));
    QCOMPARE(relay.pendingCount(), std::size_t(0));
  }

  // Before acting on a job's end, its last messages are delivered; a call on the relay's own
  // thread runs at once, after what was pending.
  void pendingCallsComeBeforeTheEndAndOwnThreadCallsRunAtOnce() {
    Relay relay;
    QStringList said;
    std::unique_ptr<QThread> worker(QThread::create([&] {
      relay.post([&] { said << "line"; });
      relay.post([&] { said << "progress 10"; }, 1);
      relay.post([&] { said << "progress 20"; }, 1);
    }));
    worker->start();
    QVERIFY(worker->wait(10000));
    relay.post([&] { said << "at once"; });
    QCOMPARE(said, (QStringList{"line", "progress 20", "at once"}));
    relay.post([&] { said << "late"; }, 1);
    QCOMPARE(said.last(), QString("late"));
    // The drain posted by the worker finds nothing left and delivers nothing twice.
    QCoreApplication::processEvents();
    QCOMPARE(said.size(), 4);
  }

  // Calls still pending when the relay goes are dropped, not run on a destroyed owner.
  void pendingCallsDieWithTheRelay() {
    int ran = 0;
    {
      Relay relay;
      std::unique_ptr<QThread> worker(QThread::create([&] { relay.post([&] { ++ran; }); }));
      worker->start();
      QVERIFY(worker->wait(10000));
    }
    QCoreApplication::processEvents();
    QCOMPARE(ran, 0);
  }
};

QTEST_GUILESS_MAIN(RelayTest)
#include "RelayTest.moc"
