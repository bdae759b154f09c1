#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

#include "process/ProcessOptions.h"
#include "tests/platform/vx/TestProjects.h"
#include "vx/HeightGrid.h"
#include "vx/VEXAProject.h"

namespace {

struct Ran {
  int exitCode = -1;
  QString out, err;
};

Ran runProcess(const QStringList& arguments) {
  QProcess program;
  program.start(VEXA_PROCESS_PROGRAM, arguments);
  Ran ran;
  if (!program.waitForFinished(120000)) return ran;
  ran.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
  ran.out = QString::fromUtf8(program.readAllStandardOutput());
  ran.err = QString::fromUtf8(program.readAllStandardError());
  return ran;
}

QString parseError(std::vector<const char*> argv) {
  argv.insert(argv.begin(), "vexa-process");
  try {
    process::parseProcessOptions(int(argv.size()), argv.data());
  } catch (const std::invalid_argument& error) {
    return QString::fromUtf8(error.what());
  }
  return "parsed";
}

}  // namespace

class ProcessTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString projectFile_;

  QString tilePath(int x, int y) const {
    return dir_.filePath(QString("Internal/DSM_Raw/DSM_Raw/Tile_%1_%2.tif").arg(x).arg(y));
  }

 private slots:
  // Two tiles of 50 m with a level cloud at 12 m.
  void init() {
    QDir(dir_.path()).removeRecursively();
    QDir().mkpath(dir_.path());
    vx::VEXAProject project;
    QCOMPARE(project.setOutputFolder(dir_.path().toStdString(), 0, 0), 0);
    project.setTileSize(50);
    project.setGroundSampleDistance(1.0);
    project.setArea({{600000, 5100000, 0}}, {{600100, 5100050, 30}});
    projectFile_ = dir_.filePath("Project.vpr");
    project.saveProjectFile(projectFile_.toStdString());
    testprojects::writeRawPointCloud(dir_.path(), {{600000, 5100000, 0}}, {{600100, 5100050, 30}}, 12.0);
  }

  void stepsAndTilesAreReadAsUsersWriteThem() {
    QCOMPARE(process::stepNamed("DSM"), std::optional(vx::steps::DSM));
    QCOMPARE(process::stepNamed("true-ortho"), std::optional(vx::steps::TrueOrtho));
    QCOMPARE(process::stepNamed("Dsm_Mesh_Texturing"), std::optional(vx::steps::DSMMeshTexturing));
    QVERIFY(!process::stepNamed("ortho"));
    QCOMPARE(*process::tilesNamed("0_0,12_3"), (std::vector<std::pair<int, int>>{{0, 0}, {12, 3}}));
    for (const char* bad : {"", "0", "0_", "_1", "a_b", "1_2,", "-1_0", "1_2_3", "9999999_0"})
      QVERIFY2(!process::tilesNamed(bad), bad);
    QVERIFY(parseError({"P.vpr"}).contains("--step"));
    QVERIFY(parseError({"--step", "dsm"}).contains("project file"));
    QVERIFY(parseError({"P.vpr", "--step", "ortho"}).contains("DSM Mesh Texturing"));
    QVERIFY(parseError({"P.vpr", "--step", "dsm", "--tiles", "x"}).contains("x_y"));
    QVERIFY(parseError({"P.vpr", "--step", "dsm", "--bogus"}).contains("bogus"));
    for (const char* bad : {"0", "257", "two", "-1", ""})
      QVERIFY2(parseError({"P.vpr", "--step", "dsm", "--threads", bad}).contains("1 to 256"), bad);
    QCOMPARE(parseError({"P.vpr", "--step", "dsm", "--threads", "8"}), QString("parsed"));
  }

  // The whole step: every tile, the module's lines on standard output, the status saved.
  void aModuleRunsWithoutAWindow() {
    const Ran ran = runProcess({projectFile_, "--step", "dsm"});
    QCOMPARE(ran.exitCode, 0);
    QVERIFY2(ran.out.contains("DSM: Processing Tile 2 of 2\n"), qPrintable(ran.out));
    QVERIFY(ran.out.contains("Progress 100%"));
    QVERIFY(ran.out.contains("DSM finished\n"));
    QVERIFY(QFileInfo::exists(tilePath(0, 0)) && QFileInfo::exists(tilePath(1, 0)));
    QCOMPARE(vx::readHeightGrid(tilePath(1, 0).toStdString()).at(20, 20), 12.0f);
    vx::VEXAProject reread;
    reread.loadProjectFile(projectFile_.toStdString());
    QCOMPARE(reread.stepStatus(vx::steps::DSM), int(vx::steps::Done));
  }

  // A tile job makes its tiles only and leaves the step's status to the whole run.
  void aTileJobMakesOnlyItsTiles() {
    const Ran ran = runProcess({projectFile_, "--step", "DSM", "--tiles", "1_0"});
    QCOMPARE(ran.exitCode, 0);
    QVERIFY2(ran.out.contains("DSM: Processing Tile 1 of 1\n"), qPrintable(ran.out));
    QVERIFY(!QFileInfo::exists(tilePath(0, 0)));
    QVERIFY(QFileInfo::exists(tilePath(1, 0)));
    vx::VEXAProject reread;
    reread.loadProjectFile(projectFile_.toStdString());
    QCOMPARE(reread.stepStatus(vx::steps::DSM), int(vx::steps::NotStarted));

    const Ran outside = runProcess({projectFile_, "--step", "DSM", "--tiles", "0_0,5_0"});
    QCOMPARE(outside.exitCode, 1);
    QVERIFY2(outside.out.contains("Tile_5_0 is not one of the 2 x 1 tiles"), qPrintable(outside.out));
    QVERIFY(!QFileInfo::exists(tilePath(0, 0)));
  }

  // Tiles on several threads give the same files as one after the other, and the run is recorded.
  void threadsMakeTheSameTiles() {
    QCOMPARE(runProcess({projectFile_, "--step", "dsm"}).exitCode, 0);
    const QByteArray first = testprojects::readText(tilePath(0, 0)), second = testprojects::readText(tilePath(1, 0));
    const Ran ran = runProcess({projectFile_, "--step", "dsm", "--threads", "2"});
    QCOMPARE(ran.exitCode, 0);
    QVERIFY2(ran.out.contains("Processing Tile 2 of 2"), qPrintable(ran.out));
    QCOMPARE(testprojects::readText(tilePath(0, 0)), first);
    QCOMPARE(testprojects::readText(tilePath(1, 0)), second);
    QCOMPARE(runProcess({projectFile_, "--step", "dsm mesh", "--threads", "2"}).exitCode, 0);
    QVERIFY(QFileInfo::exists(dir_.filePath("Internal/DSM_Mesh_Untextured/Tile_1_0/Tile_1_0.osgb")));
    QVERIFY(QFileInfo(dir_.filePath("Internal/resources.vxdb")).size() > 0);
  }

  void badInvocationsSayWhatIsWrong() {
    const Ran usage = runProcess({projectFile_, "--step", "nothing"});
    QCOMPARE(usage.exitCode, 64);
    QVERIFY(usage.err.contains("There is no step \"nothing\""));
    QVERIFY(usage.err.contains("Usage: vexa-process PROJECT --step NAME"));
    QCOMPARE(runProcess({"--help"}).exitCode, 0);

    const QString missing = dir_.filePath("elsewhere/Project.vpr");
    const Ran gone = runProcess({missing, "--step", "dsm"});
    QCOMPARE(gone.exitCode, 1);
    QVERIFY2(gone.out.contains(missing), qPrintable(gone.out));

    QVERIFY(QFile::remove(dir_.filePath("Internal/Lists/point_cloud_raw_list.txt")));
    const Ran noInput = runProcess({projectFile_, "--step", "dsm"});
    QCOMPARE(noInput.exitCode, 1);
    QVERIFY2(noInput.out.contains("Error: DSM: The DSM needs 3D points"), qPrintable(noInput.out));
  }
};

QTEST_GUILESS_MAIN(ProcessTest)
#include "ProcessTest.moc"
