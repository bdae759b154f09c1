#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include "TestProjects.h"
#include "vx/VEXAProject.h"

using testprojects::readText;
using testprojects::writeText;

namespace {
QString loadError(const QString& path) {
  return testprojects::errorOf([&] { vx::VEXAProject().loadProjectFile(path.toStdString()); });
}
}  // namespace

class ProjectFileTest : public QObject {
  Q_OBJECT

 private slots:
  void roundTripKeepsEverySetting() {
    QTemporaryDir dir;
    vx::VEXAProject project;
    project.setName(u8"  Stadt  Ü  ");
    project.setCoordinateSystem("LOCAL_CS[\"a <b> & 'c'\",UNIT[\"metre\",1]]");
    project.setTileSize(62.5);
    project.setGroundSampleDistance(0.1);
    project.setArea({{-1.5, 2, 3}}, {{1e6, 2e6 + 0.25, 400}});
    project.setCorrectionShapefile("Internal/Editor/CorrectionShape.shp");
    project.setAreaShapefile("Internal/Shapefiles/AreaShape.shp");
    project.setTopologyPath("Internal/Topologies/Topology.tif");
    project.addImage({u8"Bild 1.jpg", "Images/Bild 1.jpg", "Internal/Orientations/Bild 1.ori", true});
    project.addImage({"b.jpg", "Images/b.jpg", "Internal/Orientations/b.ori", false});
    project.setStepActive(vx::steps::PointCloud, false);
    project.setStepStatus(vx::steps::Analysis, vx::steps::Done);
    project.setStepStatus(vx::steps::DSM, vx::steps::Started);
    project.setModeValue(2);
    const QString path = dir.filePath("Project.vpr");
    project.saveProjectFile(path.toStdString());

    vx::VEXAProject read;
    read.loadProjectFile(path.toStdString());
    QCOMPARE(read.name(), project.name());
    QCOMPARE(read.coordinateSystemWkt(), project.coordinateSystemWkt());
    QCOMPARE(read.tileSize(), 62.5);
    QCOMPARE(read.groundSampleDistance(), 0.1);
    QVERIFY(read.areaMin() == project.areaMin() && read.areaMax() == project.areaMax());
    QCOMPARE(read.correctionShapefile(), project.correctionShapefile());
    QCOMPARE(read.areaShapefile(), project.areaShapefile());
    QCOMPARE(read.topologyPath(), project.topologyPath());
    QCOMPARE(read.imageCount(), size_t(2));
    QCOMPARE(read.image(0).photoPath, project.image(0).photoPath);
    QCOMPARE(read.image(0).orientationPath, project.image(0).orientationPath);
    QVERIFY(read.isImageSelected(read.image(0)) && !read.isImageSelected(read.image(1)));
    for (vx::steps::Steps step : vx::steps::kAllSteps) {
      QCOMPARE(read.isStepActive(step), step != vx::steps::PointCloud);
      QCOMPARE(read.stepStatus(step), project.stepStatus(step));
    }
    QCOMPARE(read.activeSteps().size(), size_t(vx::steps::kStepCount - 1));
    QCOMPARE(read.modeValue(), 2);
    // Without an output folder the project lives where its file is.
    QCOMPARE(QString::fromStdWString(read.projectFolder()), QDir(dir.path()).absolutePath());

    const QByteArray first = readText(path);
    project.setName("second");
    project.saveProjectFile(path.toStdString());
    QCOMPARE(readText(path + ".backup"), first);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);  // no temporary files left
  }

  void loadErrorsAreClear_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("malformed") << QByteArray("<VEXAProject><version>2</version>") << "is not valid XML: ";
    QTest::newRow("binary") << QByteArray("\x01\x02\xff\xfe", 4) << "is not valid XML: ";
    QTest::newRow("other root") << QByteArray("<Project><version>2</version></Project>")
                                << "has no <VEXAProject> root element.";
    QTest::newRow("no version") << QByteArray("<VEXAProject><name>a</name></VEXAProject>")
                                << "has no valid <version> element.";
    QTest::newRow("newer") << QByteArray("<VEXAProject><version>3</version></VEXAProject>")
                           << "has file version 3, but this VEXA reads versions up to 2.";
    QTest::newRow("bad number") << QByteArray("<VEXAProject><version>2</version><tileSize>1,5</tileSize></VEXAProject>")
                                << "is invalid: <tileSize> is not a number: \"1,5\".";
    QTest::newRow("empty") << QByteArray() << "has no <VEXAProject> root element.";
    const QByteArray valid = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<VEXAProject>\n  <version>2</version>\n"
                             "  <name>Demo</name>\n  <images>\n    <image>\n      <name>a.jpg</name>\n    </image>\n"
                             "  </images>\n</VEXAProject>\n";
    for (int cut : {10, 50, 80, 120, valid.size() - 3}) {
      QTest::addRow("truncated at %d", cut) << valid.left(cut) << "is not valid XML: ";
    }
    QByteArray noise(4096, '\0');
    quint32 state = 12345;
    for (char& byte : noise) byte = char((state = state * 1103515245u + 12345u) >> 16);
    QTest::newRow("random bytes") << noise << "is not valid XML: ";
    QTest::newRow("deeply nested") << "<VEXAProject>" + QByteArray("<a>").repeated(100000)
                                   << "is nested deeper than 32 levels; it is not a project file.";
    QTest::newRow("text version") << QByteArray("<VEXAProject><version>two</version></VEXAProject>")
                                  << "has no valid <version> element.";
    QTest::newRow("short point") << QByteArray("<VEXAProject><version>2</version><area><min>1 2</min></area></VEXAProject>")
                                 << "<area.min> must hold three numbers";
    QTest::newRow("bad flag") << QByteArray("<VEXAProject><version>2</version><images><image><selected>yes</selected>"
                                            "</image></images></VEXAProject>")
                              << "<selected> must be true or false";
    QTest::newRow("unknown step") << QByteArray("<VEXAProject><version>2</version><steps><step><name>Melt</name>"
                                                "</step></steps></VEXAProject>")
                                  << "<steps> names an unknown step \"Melt\"";
    QTest::newRow("bad status") << QByteArray("<VEXAProject><version>2</version><steps><step><name>DSM</name>"
                                              "<status>7</status></step></steps></VEXAProject>")
                                << "the status of step \"DSM\" must be 0, 1 or 2: \"7\"";
  }
  void loadErrorsAreClear() {
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("Project.vpr");
    writeText(path, content);
    const QString message = loadError(path);
    QVERIFY2(message.startsWith("The project file " + path + " ") && message.contains(expected), qPrintable(message));
  }

  void missingAndUnreadableFiles() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Project.vpr");
    QCOMPARE(loadError(path), "The project file " + path + " does not exist.");
    QVERIFY(QDir().mkpath(path));
    QCOMPARE(loadError(path), "The project file " + path + " is not a regular file.");
    const QString locked = dir.filePath("Locked.vpr");
    writeText(locked, "<VEXAProject><version>2</version></VEXAProject>");
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    if (QFileInfo(locked).isReadable()) QSKIP("permissions do not keep this user from reading");
    QCOMPARE(loadError(locked), "The project file " + locked + " cannot be read.");
  }

  void filesThatAreNoPlainFilesOfPlausibleSizeAreNotRead() {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("Project.vpr");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(loadError(fifo), "The project file " + fifo + " is not a regular file.");  // and did not block
    const QString huge = dir.filePath("Huge.vpr");
    writeText(huge, "<VEXAProject><version>2</version>");
    QCOMPARE(::truncate(QFile::encodeName(huge).constData(), off_t(2) << 30), 0);
    QVERIFY2(loadError(huge).startsWith("The project file " + huge + " is 2147483648 bytes, far larger than such a "
                                        "file can be"),
             qPrintable(loadError(huge)));
  }

  void failedLoadKeepsTheProject() {
    QTemporaryDir dir;
    vx::VEXAProject project;
    project.setName("kept");
    writeText(dir.filePath("bad.vpr"), "<VEXAProject><version>9</version></VEXAProject>");
    QVERIFY_EXCEPTION_THROWN(project.loadProjectFile(dir.filePath("bad.vpr").toStdString()), std::runtime_error);
    QCOMPARE(project.name(), std::string("kept"));
  }

  void outputFolderAndProjectFiles() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QString::fromUtf8("Projekt_ü"));
    QVERIFY(QDir().mkpath(folder + "/Internal/Orientations"));
    vx::VEXAProject project;
    QVERIFY(project.setOutputFolder(dir.filePath("none").toStdString(), 0, 0) != 0);
    QVERIFY(project.setOutputFolder("", 0, 0) != 0);
    QCOMPARE(project.setOutputFolder((folder + "/").toStdString(), 0, 0), 0);
    QCOMPARE(QString::fromStdWString(project.projectFolder()), folder);

    testprojects::nadirOrientation("a.jpg", 5).writeFile((folder + "/Internal/Orientations/a.ori").toStdString());
    project.addImage({"a.jpg", "Images/a.jpg", "Internal/Orientations/a.ori", true});
    project.addImage({"b.jpg", "Images/b.jpg", "", true});
    QCOMPARE(project.imageOrientation(project.image(0)).projectionCenter()[0], 5.0);
    QVERIFY_EXCEPTION_THROWN(project.imageOrientation(project.image(1)), std::runtime_error);
  }
};

QTEST_GUILESS_MAIN(ProjectFileTest)
#include "ProjectFileTest.moc"
