#include "app/CommandLine.h"

#include <QtTest>

#include <boost/program_options/errors.hpp>

#include <string>
#include <vector>

namespace {

// argv as the entry receives it: the program name, then the given arguments.
class Arguments {
 public:
  explicit Arguments(const QStringList& arguments) {
    m_storage.push_back("vexa-editor");
    for (const QString& argument : arguments) m_storage.push_back(argument.toStdString());
    for (std::string& argument : m_storage) m_pointers.push_back(argument.data());
    m_pointers.push_back(nullptr);
  }
  int argc() const { return int(m_storage.size()); }
  char** argv() { return m_pointers.data(); }

 private:
  std::vector<std::string> m_storage;
  std::vector<char*> m_pointers;
};

QStringList filesFor(const QStringList& arguments) {
  Arguments args(arguments);
  const StartupOptions options = parseCommandLine(args.argc(), args.argv());
  return startupFileList(options, args.argc(), args.argv());
}

}  // namespace

class CommandLineTest : public QObject {
  Q_OBJECT

 private slots:
  void noArguments() {
    Arguments args({});
    const StartupOptions options = parseCommandLine(args.argc(), args.argv());
    QVERIFY(options.mesh.empty() && options.ori.empty() && options.project.empty() &&
            options.render_directory.empty());
    QVERIFY(startupFileList(options, args.argc(), args.argv()).isEmpty());
  }

  void valueForms() {
    Arguments args({"--mesh=a.osgb", "--ori", "cams.txt", "--project", "P/Project.vpr",
                    "--render_directory", "shots"});
    const StartupOptions options = parseCommandLine(args.argc(), args.argv());
    QCOMPARE(QString::fromStdString(options.mesh), QString("a.osgb"));
    QCOMPARE(QString::fromStdString(options.ori), QString("cams.txt"));
    QCOMPARE(QString::fromStdString(options.project), QString("P/Project.vpr"));
    QCOMPARE(QString::fromStdString(options.render_directory), QString("shots"));
  }

  void abbreviations() {
    Arguments args({"--me", "a.ply", "--pro", "Project.vpr", "--r", "out"});
    const StartupOptions options = parseCommandLine(args.argc(), args.argv());
    QCOMPARE(QString::fromStdString(options.mesh), QString("a.ply"));
    QCOMPARE(QString::fromStdString(options.project), QString("Project.vpr"));
    QCOMPARE(QString::fromStdString(options.render_directory), QString("out"));
  }

  void malformedLines_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown") << QStringList{"--foo", "x"} << "unrecognised option '--foo'";
    QTest::newRow("missing value") << QStringList{"--mesh"}
                                   << "the required argument for option '--mesh' is missing";
    QTest::newRow("short option") << QStringList{"-m", "x"} << "unrecognised option '-m'";
    QTest::newRow("twice") << QStringList{"--ori", "a.txt", "--ori", "b.txt"}
                           << "option '--ori' cannot be specified more than once";
  }

  void malformedLines() {
    QFETCH(QStringList, arguments);
    Arguments args(arguments);
    try {
      parseCommandLine(args.argc(), args.argv());
      QFAIL("no exception");
    } catch (const boost::program_options::error& e) {
      QTEST(QString::fromStdString(e.what()), "message");
    }
  }

  void fileListOrder_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("project then mesh") << QStringList{"--project", "P.vpr", "--mesh", "m.osgb"}
                                       << QStringList{"m.osgb", "P.vpr"};
    QTest::newRow("mesh then project") << QStringList{"--mesh", "m.osgb", "--project", "P.vpr"}
                                       << QStringList{"m.osgb", "P.vpr"};
    QTest::newRow("all three") << QStringList{"--project", "P.vpr", "--ori", "o.txt", "--mesh", "m.ply"}
                               << QStringList{"m.ply", "o.txt", "P.vpr"};
    QTest::newRow("plain beside option") << QStringList{"plain.ply", "--ori", "o.txt", "other.osg"}
                                         << QStringList{"o.txt"};
    QTest::newRow("plain beside render folder") << QStringList{"plain.ply", "--render_directory", "out"}
                                                << QStringList{};
    QTest::newRow("plain alone") << QStringList{"first.osgb", "second.TXT"}
                                 << QStringList{"first.osgb", "second.TXT"};
    QTest::newRow("render folder alone") << QStringList{"--render_directory", "out"} << QStringList{};
    QTest::newRow("render folder and project") << QStringList{"--render_directory", "out", "--project", "P.vpr"}
                                               << QStringList{"P.vpr"};
    QTest::newRow("utf-8 value") << QStringList{"--mesh", "Grün/m.osgb"} << QStringList{"Grün/m.osgb"};
  }

  void fileListOrder() {
    QFETCH(QStringList, arguments);
    QTEST(filesFor(arguments), "files");
  }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
