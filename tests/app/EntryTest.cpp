#include "app/CommandLine.h"
#include "app/ExceptionReport.h"
#include "tests/support/MessageBoxWatcher.h"

#include <QProcess>
#include <QTemporaryDir>
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

  // The files the start-up lists name, relative to this folder, which the tests run in.
  QTemporaryDir dir_;

 private slots:
  void initTestCase() {
    QVERIFY(QDir::setCurrent(dir_.path()));
    QVERIFY(QDir().mkpath("Grün") && QDir().mkpath("folder"));
    for (const char* name : {"m.osgb", "P.vpr", "o.txt", "m.ply", "plain.ply", "other.osg", "first.osgb",
                             "second.TXT", "Grün/m.osgb", "model.obj", "notes.doc"}) {
      QFile file(QString::fromUtf8(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
  }

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
    QTest::newRow("plain alone") << QStringList{"first.osgb", "model.obj"} << QStringList{"first.osgb", "model.obj"};
    QTest::newRow("render folder and project") << QStringList{"--render_directory", "out", "--project", "P.vpr"}
                                               << QStringList{"P.vpr"};
    QTest::newRow("utf-8 value") << QStringList{"--mesh", "Grün/m.osgb"} << QStringList{"Grün/m.osgb"};
  }

  void fileListOrder() {
    QFETCH(QStringList, arguments);
    Arguments args(arguments);
    QTEST(startupFileList(args.parse(), args.argc(), args.pointers.data()), "files");
  }

  // Each file that cannot be opened as what it was named for is left out and named; the others
  // still open.
  void unusableStartupFilesAreNamed_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("problems");
    const QString meshes = "a mesh file (.osgb, .osgt, .osg, .ive, .ply, .obj, .dae, .stl, .shp)";
    QTest::newRow("project folder") << QStringList{"--project", "folder", "--mesh", "m.osgb"} << QStringList{"m.osgb"}
                                    << QStringList{"--project: folder is a folder, not a file; it was not opened. "
                                                   "Name the Project.vpr inside it."};
    QTest::newRow("missing project") << QStringList{"--project", "none.vpr"} << QStringList{}
                                     << QStringList{"--project: none.vpr does not exist; it was not opened."};
#ifdef Q_OS_UNIX
    QTest::newRow("device as project") << QStringList{"--project", "/dev/null"} << QStringList{}
                                       << QStringList{"--project: /dev/null is not a regular file; it was not opened."};
#endif
    QTest::newRow("list as project") << QStringList{"--project", "o.txt"} << QStringList{}
                                     << QStringList{"--project: o.txt is not a project file (.vpr); it was not opened."};
    QTest::newRow("missing mesh") << QStringList{"--mesh", "none.osgb", "--ori", "o.txt"} << QStringList{"o.txt"}
                                  << QStringList{"--mesh: none.osgb does not exist; it was not opened."};
    QTest::newRow("project as mesh") << QStringList{"--mesh", "P.vpr"} << QStringList{}
                                     << QStringList{"--mesh: P.vpr is not " + meshes + "; it was not opened."};
    QTest::newRow("upper-case list") << QStringList{"--ori", "second.TXT"} << QStringList{}
                                     << QStringList{"--ori: second.TXT is not an orientation list (.txt); it was not "
                                                    "opened."};
    QTest::newRow("plain beside project")
        << QStringList{"plain.ply", "--project", "P.vpr", "other.osg"} << QStringList{"P.vpr"}
        << QStringList{"The argument plain.ply was ignored: beside options, name files with --mesh, --ori or --project.",
                       "The argument other.osg was ignored: beside options, name files with --mesh, --ori or --project."};
    QTest::newRow("plain of no known kind")
        << QStringList{"notes.doc", "second.TXT", "gone.ply", "m.ply"} << QStringList{"m.ply"}
        << QStringList{"notes.doc is neither " + meshes + ", an orientation list (.txt) nor a project file (.vpr); it "
                       "was not opened.",
                       "second.TXT is neither " + meshes + ", an orientation list (.txt) nor a project file (.vpr); it "
                       "was not opened.",
                       "gone.ply does not exist; it was not opened."};
  }
  void unusableStartupFilesAreNamed() {
    QFETCH(QStringList, arguments);
    Arguments args(arguments);
    QStringList problems;
    QTEST(startupFileList(args.parse(), args.argc(), args.pointers.data(), &problems), "files");
    QTEST(problems, "problems");
  }

  // Unattended, the editor names the files on standard error and shows no box that would stop the run.
  void theEditorNamesUnusableFilesOnStandardError() {
    QProcess editor;
    editor.start(QStringLiteral(VEXA_EDITOR_EXECUTABLE),
                 {"--render_directory", dir_.filePath("shots"), "--project", "folder", "--mesh", "none.osgb"});
    const QByteArray expected = "--mesh: none.osgb does not exist; it was not opened.\n--project: folder is a folder, "
                                "not a file; it was not opened. Name the Project.vpr inside it.\n";
    editor.setReadChannel(QProcess::StandardError);
    QByteArray written;
    while (!written.contains(expected) && editor.waitForReadyRead(30000)) written += editor.readAllStandardError();
    editor.kill();
    editor.waitForFinished();
    QVERIFY2(written.contains(expected), written.constData());
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
