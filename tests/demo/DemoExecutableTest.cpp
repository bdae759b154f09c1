#include <QDir>
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
    QVERIFY(QFileInfo(folder + "/Results/DSM_Mesh/Tile_0_0/Tile_0_0_L1_0.osgb").isFile());
    QVERIFY(!QFileInfo::exists(folder + "/Results/DSM_Mesh/Tile_1_0"));

    const Run again = run({folder});
    QCOMPARE(again.exitCode, 1);
    QVERIFY2(again.err.contains("not empty"), qPrintable(again.err));
    QVERIFY(QFileInfo(folder + "/Results/DSM_Mesh/Tile_0_0/Tile_0_0_L1_0.osgb").isFile());
  }

  void argumentErrorsShowUsage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no folder") << QStringList{} << "output folder is missing";
    QTest::newRow("unknown option") << QStringList{"x", "--colour", "red"} << "colour";
    QTest::newRow("two folders") << QStringList{"x", "y"} << "too many positional";
    QTest::newRow("grid cannot halve") << QStringList{"x", "--levels", "8"} << "multiple of 128";
    const QString seedRule = "seed must be a whole number from 0 to 4294967295, not ";
    QTest::newRow("negative seed") << QStringList{"x", "--seed", "-1"} << seedRule + "-1.";
    QTest::newRow("seed too large") << QStringList{"x", "--seed", "4294967296"} << seedRule + "4294967296.";
    QTest::newRow("seed with a sign") << QStringList{"x", "--seed", "+7"} << seedRule + "+7.";
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
};

QTEST_GUILESS_MAIN(DemoExecutableTest)
#include "DemoExecutableTest.moc"
