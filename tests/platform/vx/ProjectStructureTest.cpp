#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include "TestProjects.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

using testprojects::readText;

namespace {
QByteArray utf8(const QString& folder) { return folder.toUtf8(); }
QString native(const QString& path) { return QDir::toNativeSeparators(path); }
}  // namespace

class ProjectStructureTest : public QObject {
  Q_OBJECT

 private slots:
  void versionOneNeedsAnUpdateThatNamesTheChanges() {
    QTemporaryDir dir;
    testprojects::makeVersion1Project(dir.path(), 2);
    bool needed = false;
    size_t length = 0;
    QCOMPARE(vx::checkProjectStructure(utf8(dir.path()), &needed, &length), 0);
    QVERIFY(needed);
    std::vector<char> buffer(length);
    QCOMPARE(vx::projectStructureUpdateMessage(utf8(dir.path()), buffer.data(), length), 0);
    const QString message = QString::fromUtf8(buffer.data());
    QCOMPARE(size_t(message.toUtf8().size() + 1), length);
    QVERIFY2(message.contains("move 3 file(s) from \"Orientations\" to \"" + native("Internal/Orientations") + "\"") &&
                 message.contains("of 2 image(s)") &&
                 message.contains("create the folder \"" + native("Internal/Editor") + "\"") &&
                 !message.contains("create the folder \"Internal\"") && message.contains("Project.vpr.backup"),
             qPrintable(message));

    char small[8] = "xxxxxxx";
    QCOMPARE(vx::projectStructureUpdateMessage(utf8(dir.path()), small, sizeof small), 1);
    QCOMPARE(small[0], '\0');
  }

  void updateMovesFilesAndRewritesPaths() {
    QTemporaryDir dir;
    const QString folder = dir.path();
    testprojects::makeVersion1Project(folder, 2);
    const QByteArray before = readText(folder + "/Project.vpr");
    QCOMPARE(vx::updateProjectStructure(utf8(folder)), 0);
    QVERIFY(!QFileInfo::exists(folder + "/Orientations"));
    QVERIFY(QFileInfo(folder + "/Internal/Editor").isDir());
    QCOMPARE(readText(folder + "/Project.vpr.backup"), before);

    vx::VEXAProject project;
    project.loadProjectFile((folder + "/Project.vpr").toStdString());
    QCOMPARE(project.image(1).orientationPath, std::string("Internal/Orientations/img1.ori"));
    QCOMPARE(project.imageOrientation(project.image(1)).imageName(), std::string("img1.jpg"));
    QCOMPARE(vx::readOrientationList((folder + "/Internal/Orientations/orientation_list.txt").toStdString()).size(),
             size_t(2));
    bool needed = true;
    size_t length = 1;
    QCOMPARE(vx::checkProjectStructure(utf8(folder), &needed, &length), 0);
    QVERIFY(!needed);
    QCOMPARE(length, size_t(0));
  }

  // A refused update changes nothing at all, not even by creating the folders it would need.
  void refusedUpdatesLeaveTheFolderExactlyAsItWas_data() {
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a different file in the way") << "conflict" << "a different file of that name exists there";
    QTest::newRow("a linked orientation file") << "linked file" << "is not a plain file";
    QTest::newRow("a folder among the orientation files") << "subfolder" << "is not a plain file";
  }
  void refusedUpdatesLeaveTheFolderExactlyAsItWas() {
    QFETCH(QString, problem);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString folder = dir.filePath("project");
    testprojects::makeVersion1Project(folder, 2);
    if (problem == "conflict") testprojects::writeText(folder + "/Internal/Orientations/img1.ori", "in the way");
    if (problem == "linked file") {
      testprojects::writeText(dir.filePath("elsewhere.ori"), "not the project's");
      QVERIFY(QFile::link(dir.filePath("elsewhere.ori"), folder + "/Orientations/linked.ori"));
    }
    if (problem == "subfolder") QVERIFY(QDir().mkpath(folder + "/Orientations/sub"));
    const auto before = testprojects::folderSnapshot(folder);
    QCOMPARE(vx::updateProjectStructure(utf8(folder)), 4);
    const QString error = QString::fromStdString(vx::lastProjectStructureError());
    QVERIFY2(error.contains(expected), qPrintable(error));
    QVERIFY(testprojects::folderSnapshot(folder) == before);
    QCOMPARE(readText(dir.filePath("elsewhere.ori")), problem == "linked file" ? QByteArray("not the project's") : "");
  }

  // A version-1 project whose orientation folder is a link to a folder outside it: the files
  // there are not the project's, and nothing moves.
  void aLinkedOrientationFolderIsNotEmptied() {
    QTemporaryDir dir;
    const QString folder = dir.filePath("project");
    const QString outside = dir.filePath("shared_orientations");
    testprojects::makeVersion1Project(folder, 2);
    QVERIFY(QDir(folder + "/Orientations").rename(folder + "/Orientations", outside));
    testprojects::writeText(outside + "/someone_elses.txt", "private");
    QVERIFY(QFile::link(outside, folder + "/Orientations"));
    const auto projectBefore = testprojects::folderSnapshot(folder);
    const auto outsideBefore = testprojects::folderSnapshot(outside);

    QCOMPARE(vx::updateProjectStructure(utf8(folder)), 4);
    const QString error = QString::fromStdString(vx::lastProjectStructureError());
    QVERIFY2(error.contains(native(folder + "/Orientations")) && error.contains("is a link to " + outside),
             qPrintable(error));
    QVERIFY(testprojects::folderSnapshot(outside) == outsideBefore);
    QVERIFY(testprojects::folderSnapshot(folder) == projectBefore);
  }

  void currentAndMalformedProjectsNeedNoUpdate_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("current") << QByteArray("<VEXAProject><version>2</version></VEXAProject>");
    QTest::newRow("newer") << QByteArray("<VEXAProject><version>5</version></VEXAProject>");
    QTest::newRow("malformed") << QByteArray("<VEXAProject><version>1</vers");
  }
  void currentAndMalformedProjectsNeedNoUpdate() {
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    testprojects::writeText(dir.filePath("Project.vpr"), content);
    bool needed = true;
    size_t length = 9;
    QCOMPARE(vx::checkProjectStructure(utf8(dir.path()), &needed, &length), 0);
    QVERIFY(!needed);
    QCOMPARE(vx::updateProjectStructure(utf8(dir.path())), 0);
    QCOMPARE(readText(dir.filePath("Project.vpr")), content);
  }

  // Left to the loader, which names the problem; the check neither blocks nor reads gigabytes.
  void oversizedAndSpecialProjectFilesNeedNoUpdate() {
    QTemporaryDir dir;
    const QString file = dir.filePath("Project.vpr");
    QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    bool needed = true;
    size_t length = 9;
    QCOMPARE(vx::checkProjectStructure(utf8(dir.path()), &needed, &length), 0);
    QVERIFY(!needed);
    QVERIFY(QFile::remove(file));
    testprojects::writeText(file, "<VEXAProject><version>1</version>");
    QCOMPARE(::truncate(QFile::encodeName(file).constData(), off_t(2) << 30), 0);
    QCOMPARE(vx::checkProjectStructure(utf8(dir.path()), &needed, &length), 0);
    QVERIFY(!needed);
  }

  void unreadableFoldersAreReported() {
    QTemporaryDir dir;
    bool needed = false;
    size_t length = 0;
    QCOMPARE(vx::checkProjectStructure(utf8(dir.filePath("none")), &needed, &length), 2);
    QVERIFY(QString::fromStdString(vx::lastProjectStructureError()).contains(dir.filePath("none")));
    QCOMPARE(vx::checkProjectStructure(utf8(dir.path()), &needed, &length), 3);
    QVERIFY(QString::fromStdString(vx::lastProjectStructureError()).contains("Project.vpr"));
    QCOMPARE(vx::checkProjectStructure(nullptr, &needed, &length), 1);
    QCOMPARE(vx::checkProjectStructure(utf8(dir.path()), nullptr, &length), 1);
  }
};

QTEST_GUILESS_MAIN(ProjectStructureTest)
#include "ProjectStructureTest.moc"
