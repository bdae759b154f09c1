#include "app/CommandLine.h"
#include "app/ExceptionReport.h"
#include "shell/InitFile.h"

#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include <iostream>
#include <sstream>
#include <stdexcept>

namespace {

// Runs `thrower` inside a try block and reports from its catch block, as the entry does;
// returns the exit code and what went to standard output.
template <typename Thrower>
std::pair<int, QString> report(Thrower thrower, bool showDialog = false) {
  std::ostringstream captured;
  std::streambuf* previous = std::cout.rdbuf(captured.rdbuf());
  int code = 0;
  try {
    thrower();
    code = reportUncaughtException(showDialog);
  } catch (...) {
    code = reportUncaughtException(showDialog);
  }
  std::cout.rdbuf(previous);
  return {code, QString::fromStdString(captured.str())};
}

struct Unknown {};

}  // namespace

class ExceptionReportTest : public QObject {
  Q_OBJECT

 private slots:
  void table() {
    auto [code, text] = report([] { throw std::runtime_error("disk on fire"); });
    QCOMPARE(code, -1);
    QCOMPARE(text, QString("Runtime error occured.\nDescription: disk on fire\n"));

    std::tie(code, text) = report([] { throw 7; });
    QCOMPARE(code, 7);
    QCOMPARE(text, QString("Error code: 7\n"));

    std::tie(code, text) = report([] { throw -12; });
    QCOMPARE(code, -12);
    QCOMPARE(text, QString("Error code: -12\n"));

    std::tie(code, text) = report([] { throw 0; });
    QCOMPARE(code, 0);
    QCOMPARE(text, QString());

    std::tie(code, text) = report([] { throw Unknown(); });
    QCOMPARE(code, -1);
    QCOMPARE(text, QString("Unexpected error ocurred.\nDescription: uncaught exception.\n"));
  }

  void nothingPending() {
    const auto [code, text] = report([] {});
    QCOMPARE(code, 0);
    QCOMPARE(text, QString());
  }

  void malformedCommandLine() {
    char program[] = "vexa-editor";
    char option[] = "--colour";
    char* argv[] = {program, option, nullptr};
    const auto [code, text] = report([&] { parseCommandLine(2, argv); });
    QCOMPARE(code, -1);
    QCOMPARE(text, QString("Runtime error occured.\nDescription: unrecognised option '--colour'\n"));
  }

  void malformedInitFileShowsTheParserText() {
    QTemporaryDir dir;
    QFile file(dir.filePath("vexa_ui.init"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("VEXAInitFile");
    file.close();
    InitFile init;
    const auto [code, text] = report([&] { init.load(file.fileName()); });
    QCOMPARE(code, -1);
    QCOMPARE(text, QString("Runtime error occured.\nDescription: <unspecified file>(1): expected <\n"));
  }

  void dialogShowsTheText() {
    QString shownText;
    QString shownTitle;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      poll.stop();
      shownText = box->text();
      shownTitle = box->windowTitle();
      box->button(QMessageBox::Ok)->click();
    });
    poll.start(10);
    const auto [code, text] = report([] { throw std::runtime_error("Grün kaputt"); }, true);
    QCOMPARE(code, -1);
    QCOMPARE(text, QString());
    QCOMPARE(shownTitle, QString("VEXA"));
    QCOMPARE(shownText, QString("Runtime error occured.\nDescription: Grün kaputt"));
  }
};

QTEST_MAIN(ExceptionReportTest)
#include "ExceptionReportTest.moc"
