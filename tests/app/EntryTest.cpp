#include "app/CommandLine.h"
#include "app/ExceptionReport.h"
#include "tests/support/MessageBoxWatcher.h"

#include <QProcess>
#include <QtTest>

#include <iostream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

// argv as the entry receives it: the program name, then the given arguments.
struct Arguments {
  explicit Arguments(const QStringList& arguments) {
    storage << "vexa-editor";
    for (const QString& argument : arguments) storage << argument.toUtf8();
    for (QByteArray& argument : storage) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
  }
  int argc() const { return storage.size(); }
  StartupOptions parse() { return parseCommandLine(argc(), pointers.data()); }

  QByteArrayList storage;
  std::vector<char*> pointers;
};

// Reports from inside a catch block, as the entry does; returns the exit code and what went to
// standard output.
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

class EntryTest : public QObject {
  Q_OBJECT

 private slots:
  void valueForms_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("values");  // mesh, ori, project, render_directory
    QTest::newRow("blank and =") << QStringList{"--mesh=a.osgb", "--ori", "c.txt", "--project", "P.vpr",
                                                "--render_directory", "shots"}
                                 << QStringList{"a.osgb", "c.txt", "P.vpr", "shots"};
    QTest::newRow("abbreviated") << QStringList{"--me", "a.ply", "--pro", "P.vpr", "--r", "out"}
                                 << QStringList{"a.ply", "", "P.vpr", "out"};
  }

  void valueForms() {
    QFETCH(QStringList, arguments);
    const StartupOptions options = Arguments(arguments).parse();
    QTEST(QStringList({QString::fromStdString(options.mesh), QString::fromStdString(options.ori),
                       QString::fromStdString(options.project), QString::fromStdString(options.render_directory)}),
          "values");
  }

  void fileListOrder_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("none") << QStringList{} << QStringList{};
    QTest::newRow("mesh then project") << QStringList{"--mesh", "m.osgb", "--project", "P.vpr"}
                                       << QStringList{"m.osgb", "P.vpr"};
    QTest::newRow("all three") << QStringList{"--project", "P.vpr", "--ori", "o.txt", "--mesh", "m.ply"}
                               << QStringList{"m.ply", "o.txt", "P.vpr"};
    QTest::newRow("plain beside option") << QStringList{"plain.ply", "--ori", "o.txt", "other.osg"}
                                         << QStringList{"o.txt"};
    QTest::newRow("plain beside render folder") << QStringList{"plain.ply", "--render_directory", "out"}
                                                << QStringList{};
    QTest::newRow("plain alone") << QStringList{"first.osgb", "second.TXT"} << QStringList{"first.osgb", "second.TXT"};
    QTest::newRow("render folder and project") << QStringList{"--render_directory", "out", "--project", "P.vpr"}
                                               << QStringList{"P.vpr"};
    QTest::newRow("utf-8 value") << QStringList{"--mesh", "Grün/m.osgb"} << QStringList{"Grün/m.osgb"};
  }

  void fileListOrder() {
    QFETCH(QStringList, arguments);
    Arguments args(arguments);
    QTEST(startupFileList(args.parse(), args.argc(), args.pointers.data()), "files");
  }

  void malformedLineEndsTheEditorWithItsText_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("description");
    QTest::newRow("unknown") << QStringList{"--foo", "x"} << "unrecognised option '--foo'";
    QTest::newRow("missing value") << QStringList{"--mesh"} << "the required argument for option '--mesh' is missing";
    QTest::newRow("short option") << QStringList{"-m", "x"} << "unrecognised option '-m'";
    QTest::newRow("twice") << QStringList{"--ori", "a.txt", "--ori", "b.txt"}
                           << "option '--ori' cannot be specified more than once";
  }

  // The editor itself, which returns before it builds its window, so the run ends by itself.
  void malformedLineEndsTheEditorWithItsText() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, description);
    QProcess editor;
    editor.start(QStringLiteral(VEXA_EDITOR_EXECUTABLE), arguments);
    QVERIFY(editor.waitForFinished(30000));
    QCOMPARE(editor.exitStatus(), QProcess::NormalExit);
    QCOMPARE(editor.exitCode(), 255);  // -1 as the process's exit status
    QCOMPARE(QString::fromUtf8(editor.readAllStandardOutput()),
             "Runtime error occured.\nDescription: " + description + "\n");
  }

  void exceptionCodesAndTexts() {
    auto [code, text] = report([] { throw -12; });
    QCOMPARE(code, -12);
    QCOMPARE(text, QString("Error code: -12\n"));
    std::tie(code, text) = report([] { throw 0; });
    QCOMPARE(code, 0);
    QCOMPARE(text, QString());
    std::tie(code, text) = report([] { throw Unknown(); });
    QCOMPARE(code, -1);
    QCOMPARE(text, QString("Unexpected error ocurred.\nDescription: uncaught exception.\n"));
    std::tie(code, text) = report([] {});  // nothing being handled
    QCOMPARE(code, 0);
    QCOMPARE(text, QString());
  }

  void exceptionDialogShowsTheText() {
    MessageBoxWatcher watcher;
    const auto [code, text] = report([] { throw std::runtime_error("Grün kaputt"); }, true);
    QCOMPARE(code, -1);
    QCOMPARE(text, QString());
    QCOMPARE(watcher.texts(), QStringList({"Runtime error occured.\nDescription: Grün kaputt"}));
    QCOMPARE(watcher.boxes()[0].title, QString("VEXA"));
  }
};

QTEST_MAIN(EntryTest)
#include "EntryTest.moc"
