#include "app/ProcessSetup.h"
#include "vx/Vexa.h"

#include <osg/Notify>

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fstream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

class ProcessSetupTest : public QObject {
  Q_OBJECT

 private slots:
  void wideFileStreamsWriteUtf8() {
    installUtf8Locale();
    QTemporaryDir dir;
    const QString path = dir.filePath("wide.txt");
    std::wofstream(QFile::encodeName(path).toStdString()) << L"Grün\u20ac";
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Gr\xc3\xbcn\xe2\x82\xac"));
  }

  void sceneGraphWarningsGoToTheDebugLogOnce() {
    static QStringList captured;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& message) { captured << message; });
    routeSceneGraphMessagesToDebugLog();
    // A tile the pager cannot read is asked for at every frame.
    for (int frame = 0; frame < 1000; ++frame) OSG_WARN << "tile file missing" << std::endl;
    OSG_WARN << "another tile file missing" << std::endl;
    qInstallMessageHandler(previous);
    QCOMPARE(captured, QStringList({"OSG: tile file missing", "OSG: another tile file missing"}));
  }

  void fatalSignalsEndTheProcessAsTheSignalWould() {
    const int signalNumber = SIGSEGV;  // all six share one handler, checked below
    QTemporaryDir dir;
    const std::string crashLog = dir.filePath("crash.log").toStdString();
    // The handlers are tried in a child process so the test process keeps its own.
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
      const rlimit noCore{0, 0};
      setrlimit(RLIMIT_CORE, &noCore);
      vx::setCrashLogPath(crashLog);
      installFatalSignalHandlers();
      struct sigaction current {};
      for (int number : {SIGTERM, SIGSEGV, SIGINT, SIGILL, SIGABRT, SIGFPE}) {
        sigaction(number, nullptr, &current);
        if (current.sa_handler == SIG_DFL || current.sa_handler == SIG_IGN) _exit(3);
      }
      std::raise(signalNumber);
      _exit(4);  // not reached: the handler re-raises with the default action
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(WIFSIGNALED(status), qPrintable(QString("exit status %1").arg(WEXITSTATUS(status))));
    QCOMPARE(WTERMSIG(status), signalNumber);
    // The signal went through the processing core's hook before the default action.
    QFile log(QString::fromStdString(crashLog));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("fatal signal " + QByteArray::number(signalNumber)));
  }
};

QTEST_GUILESS_MAIN(ProcessSetupTest)
#include "ProcessSetupTest.moc"
