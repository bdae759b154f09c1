#include <QTemporaryDir>
#include <QTest>

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

  void failedUpdateLeavesTheFolderUnchanged() {
    QTemporaryDir dir;
    const QString folder = dir.path();
    testprojects::makeVersion1Project(folder, 2);
    testprojects::writeText(folder + "/Internal/Orientations/img1.ori", "in the way");
    const QByteArray before = readText(folder + "/Project.vpr");
    QCOMPARE(vx::updateProjectStructure(utf8(folder)), 4);
    QVERIFY(QString::fromStdString(vx::lastProjectStructureError()).contains("img1.ori"));
    QCOMPARE(readText(folder + "/Project.vpr"), before);
    QVERIFY(QFileInfo(folder + "/Orientations/img0.ori").isFile());
    QVERIFY(!QFileInfo::exists(folder + "/Project.vpr.backup"));
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
