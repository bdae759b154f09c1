#include "app/ProcessSetup.h"
#include "vx/Vexa.h"

#include <osg/Notify>

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cwchar>
#include <locale>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

class ProcessSetupTest : public QObject {
  Q_OBJECT

 private slots:
  void wideConversionsAreUtf8() {
    installUtf8Locale();
    using Codecvt = std::codecvt<wchar_t, char, std::mbstate_t>;
    const Codecvt& facet = std::use_facet<Codecvt>(std::locale());

    const std::wstring wide = L"Grün\u20ac";
    std::string narrow(wide.size() * facet.max_length(), '\0');
    std::mbstate_t state{};
    const wchar_t* wideNext = nullptr;
    char* narrowNext = nullptr;
    QCOMPARE(facet.out(state, wide.data(), wide.data() + wide.size(), wideNext, narrow.data(),
                       narrow.data() + narrow.size(), narrowNext),
             Codecvt::ok);
    narrow.resize(size_t(narrowNext - narrow.data()));
    QCOMPARE(QByteArray::fromStdString(narrow), QByteArray("Gr\xc3\xbcn\xe2\x82\xac"));

    std::wstring back(narrow.size(), L'\0');
    state = std::mbstate_t{};
    const char* narrowIn = nullptr;
    wchar_t* wideOut = nullptr;
    QCOMPARE(facet.in(state, narrow.data(), narrow.data() + narrow.size(), narrowIn, back.data(),
                      back.data() + back.size(), wideOut),
             Codecvt::ok);
    back.resize(size_t(wideOut - back.data()));
    QVERIFY(back == wide);
  }

  void sceneGraphWarningsGoToTheDebugLog() {
    static QStringList captured;
    captured.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& message) { captured << message; });
    routeSceneGraphMessagesToDebugLog();
    OSG_WARN << "tile file missing" << std::endl;
    qInstallMessageHandler(previous);
    QVERIFY2(captured.contains("OSG: tile file missing"), qPrintable(captured.join('|')));
  }

  void fatalSignalsEndTheProcessAsTheSignalWould_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGSEGV") << SIGSEGV;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGILL") << SIGILL;
    QTest::newRow("SIGABRT") << SIGABRT;
    QTest::newRow("SIGFPE") << SIGFPE;
  }

  void fatalSignalsEndTheProcessAsTheSignalWould() {
    QFETCH(int, signalNumber);
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
