#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "TestProjects.h"
#include "vx/Vexa.h"

namespace {
extern "C" void forwardSignal(int signalNumber) { vx::handleFatalSignal(signalNumber); }
}  // namespace

class FatalSignalTest : public QObject {
  Q_OBJECT

 private slots:
  void signalsAreAppendedToTheCrashLog() {
    QTemporaryDir dir;
    const std::string previous = vx::crashLogPath();
    QVERIFY(QString::fromStdString(previous).endsWith("vexa_crash.log"));
    const QString log = dir.filePath("crash.log");
    vx::setCrashLogPath(log.toStdString());
    vx::handleFatalSignal(11);
    // Through a real handler, as the editor installs it.
    auto old = std::signal(SIGUSR1, forwardSignal);
    std::raise(SIGUSR1);
    std::signal(SIGUSR1, old);
    vx::setCrashLogPath(previous);
    QCOMPARE(vx::lastFatalSignal(), int(SIGUSR1));
    QCOMPARE(testprojects::readText(log), "VEXA terminated by fatal signal 11\nVEXA terminated by fatal signal " +
                                              QByteArray::number(SIGUSR1) + "\n");
  }
};

QTEST_GUILESS_MAIN(FatalSignalTest)
#include "FatalSignalTest.moc"
