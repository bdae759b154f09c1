#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include "TestProjects.h"
#include "vx/Vexa.h"

namespace {
extern "C" void forwardSignal(int signalNumber) { vx::handleFatalSignal(signalNumber); }

mode_t permissionsOf(const QString& path) {
  struct stat status {};
  return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// Points the crash log at `path` for one call of the hook.
void logSignalTo(const QString& path, int signalNumber) {
  const std::string previous = vx::crashLogPath();
  vx::setCrashLogPath(path.toStdString());
  vx::handleFatalSignal(signalNumber);
  vx::setCrashLogPath(previous);
}
}  // namespace

class FatalSignalTest : public QObject {
  Q_OBJECT

 private slots:
  void signalsAreAppendedToTheCrashLog() {
    QTemporaryDir dir;
    const std::string previous = vx::crashLogPath();
    // Per user, beside the init file, not in a folder that all users share.
    QCOMPARE(QString::fromStdString(previous), QDir::homePath() + "/.VEXA/vexa_crash.log");
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

  void theLogIsPrivateAndNeverWrittenThroughALink() {
    QTemporaryDir dir;
    const mode_t previousMask = ::umask(0);
    const QString fresh = dir.filePath("fresh.log");
    logSignalTo(fresh, 6);
    QCOMPARE(permissionsOf(fresh), mode_t(0600));
    const QString open = dir.filePath("open.log");
    testprojects::writeText(open, "");
    QVERIFY(QFile::setPermissions(open, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    logSignalTo(open, 6);
    ::umask(previousMask);
    QCOMPARE(permissionsOf(open), mode_t(0600));
    QCOMPARE(testprojects::readText(open), QByteArray("VEXA terminated by fatal signal 6\n"));

    // Another user's link to the victim's file: the victim stays as it was.
    const QString victim = dir.filePath("victim.txt");
    testprojects::writeText(victim, "precious");
    const QString link = dir.filePath("link.log");
    QVERIFY(QFile::link(victim, link));
    logSignalTo(link, 11);
    QCOMPARE(testprojects::readText(victim), QByteArray("precious"));

    // A FIFO in place of the log does not hang the dying process.
    const QString fifo = dir.filePath("fifo.log");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    logSignalTo(fifo, 11);
    logSignalTo("", 11);  // no log at all
  }
};

QTEST_GUILESS_MAIN(FatalSignalTest)
#include "FatalSignalTest.moc"
