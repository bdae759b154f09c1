#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
  int exitCode = -1;
  QString out;
  QString err;
};

Run run(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(DEMO_EXECUTABLE), arguments);
  Run result;
  if (!process.waitForFinished(120000)) return result;
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = QString::fromUtf8(process.readAllStandardOutput());
  result.err = QString::fromUtf8(process.readAllStandardError());
  return result;
}

}  // namespace

class DemoExecutableTest : public QObject {
  Q_OBJECT

 private slots:
  void writesAProjectAndSaysWhere() {
    QTemporaryDir dir;
    const QString folder = dir.filePath("demo");
    const Run result = run({folder, "--tiles", "1", "--levels", "2", "--images", "4", "--seed", "5"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.contains("[100%]"));
    QVERIFY2(result.out.contains(QDir(folder).absolutePath() + "/Project.vpr"), qPrintable(result.out));
    QVERIFY(QFileInfo(folder + "/Project.vpr").isFile());
    QVERIFY(QFileInfo(folder + "/Results/DSM_Mesh/Tile_0_0/Tile_0_0_L1_0.osgb").isFile());
    QVERIFY(!QFileInfo::exists(folder + "/Results/DSM_Mesh/Tile_1_0"));
  }

  void refusesANonEmptyFolderWithExitCode1() {
    QTemporaryDir dir;
    QFile keep(dir.filePath("keep.txt"));
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.close();
    const Run result = run({dir.path()});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains("not empty"), qPrintable(result.err));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"keep.txt"});
  }

  void argumentErrorsShowUsage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no folder") << QStringList{} << "output folder is missing";
    QTest::newRow("unknown option") << QStringList{"x", "--colour", "red"} << "colour";
    QTest::newRow("not a number") << QStringList{"x", "--tiles", "many"} << "tiles";
    QTest::newRow("two folders") << QStringList{"x", "y"} << "too many positional";
    QTest::newRow("no tiles") << QStringList{"x", "--tiles", "0"} << "tiles per side";
    QTest::newRow("too many levels") << QStringList{"x", "--levels", "9"} << "levels of detail";
    QTest::newRow("grid cannot halve") << QStringList{"x", "--levels", "8"} << "multiple of 128";
    QTest::newRow("no images") << QStringList{"x", "--images", "0"} << "number of images";
  }
  void argumentErrorsShowUsage() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QVERIFY(result.err.contains("Usage: vexa-demo-project OUTPUT_FOLDER"));
    QVERIFY(QDir(dir.path()).isEmpty());
  }

  void helpListsTheOptions() {
    const Run result = run({"--help"});
    QCOMPARE(result.exitCode, 0);
    for (const char* option : {"--tiles", "--levels", "--images", "--seed"}) QVERIFY(result.out.contains(option));
  }
};

QTEST_GUILESS_MAIN(DemoExecutableTest)
#include "DemoExecutableTest.moc"
