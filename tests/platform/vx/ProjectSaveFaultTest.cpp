#include <QTemporaryDir>
#include <QTest>

#include "SaveFaults.h"
#include "TestProjects.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

using savefaults::Fault;
Q_DECLARE_METATYPE(savefaults::Fault)
using testprojects::folderSnapshot;
using testprojects::readText;

namespace {

vx::VEXAProject namedProject(const std::string& name) {
  vx::VEXAProject project;
  project.setName(name);
  project.addImage({"a.jpg", "Images/a.jpg", "Internal/Orientations/a.ori", true});
  return project;
}

std::string loadedName(const QString& file) {
  vx::VEXAProject project;
  project.loadProjectFile(file.toStdString());
  return project.name();
}

int projectVersion(const QString& folder) {
  return readText(folder + "/Project.vpr").contains("<version>1</version>") ? 1 : 2;
}

void update(const QString& folder) {
  if (vx::updateProjectStructure(folder.toUtf8()) != 0) throw std::runtime_error(vx::lastProjectStructureError());
}

// A version-2 project whose images all find their orientation files.
void verifyUpdated(const QString& folder) {
  vx::VEXAProject project;
  project.loadProjectFile((folder + "/Project.vpr").toStdString());
  QCOMPARE(project.imageCount(), size_t(2));
  QCOMPARE(project.imageOrientation(project.image(1)).imageName(), std::string("img1.jpg"));
  QCOMPARE(vx::readOrientationList((folder + "/Internal/Orientations/orientation_list.txt").toStdString()).size(),
           size_t(2));
}

}  // namespace

// Every save of the core library, stopped at every step by a full disk or a kill, leaves a project
// that opens: the old one or the new one.
class ProjectSaveFaultTest : public QObject {
  Q_OBJECT

 private:
  QByteArray oldFile_;

 private slots:
  void initTestCase() {
    QTemporaryDir dir;
    namedProject("old").saveProjectFile(dir.filePath("Project.vpr").toStdString());
    oldFile_ = readText(dir.filePath("Project.vpr"));
  }

  void savingTheProjectFile_data() {
    QTest::addColumn<Fault>("fault");
    QTest::newRow("full disk") << Fault::NoSpace;
    QTest::newRow("kill") << Fault::Kill;
  }
  void savingTheProjectFile() {
    QFETCH(Fault, fault);
    QTemporaryDir dir;
    const QString file = dir.filePath("Project.vpr");
    const int steps = savefaults::forEachStep(
        fault,
        [&] {
          QFile::remove(file + ".backup");
          testprojects::writeText(file, oldFile_);
        },
        [&] { namedProject("new").saveProjectFile(file.toStdString()); },
        [&](int step, bool completed) {
          const std::string name = loadedName(file);
          QVERIFY2(name == "new" || (!completed && name == "old"), qPrintable(QString::number(step)));
          if (name == "new") QCOMPARE(readText(file + ".backup"), oldFile_);
          if (fault == Fault::NoSpace && !completed)
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"Project.vpr"}));
        });
    QCOMPARE(steps, 2 * 6);  // the backup and the file, six steps each
  }

  void updatingAVersion1Project_data() { savingTheProjectFile_data(); }
  void updatingAVersion1Project() {
    QFETCH(Fault, fault);
    QTemporaryDir dir;
    const QString folder = dir.filePath("project");
    QMap<QString, QByteArray> before;
    const int steps = savefaults::forEachStep(
        fault,
        [&] {
          QDir(folder).removeRecursively();
          testprojects::makeVersion1Project(folder, 2);
          before = folderSnapshot(folder);
        },
        [&] { update(folder); },
        [&](int step, bool completed) {
          const QString where = QString("step %1").arg(step);
          if (projectVersion(folder) == 2) {
            verifyUpdated(folder);
            return;
          }
          QVERIFY2(!completed, qPrintable(where));
          if (fault == Fault::NoSpace) {
            QVERIFY2(folderSnapshot(folder) == before, qPrintable(where));
            return;
          }
          // Killed before the commit: the old project is whole and the update can be run again.
          QCOMPARE(loadedName(folder + "/Project.vpr"), std::string("Old"));
          for (const QString name : {"img0.ori", "img1.ori", "orientation_list.txt"})
            QCOMPARE(readText(folder + "/Orientations/" + name), before.value("Orientations/" + name));
          update(folder);
          verifyUpdated(folder);
        });
    QCOMPARE(steps, 5 * 6);  // three copies, the backup and Project.vpr
  }

  void aFullDiskKeepsTheProject() {
    QTemporaryDir dir;
    savefaults::SmallDisk disk(dir.filePath("disk"));
    if (!disk.mounted()) QSKIP("this process may not mount a file system; the injected faults cover it");
    const QString folder = dir.filePath("disk/project");
    testprojects::makeVersion1Project(folder, 2);
    testprojects::writeText(folder + "/Saved.vpr", oldFile_);
    disk.fill();
    const QMap<QString, QByteArray> before = folderSnapshot(folder);

    QCOMPARE(vx::updateProjectStructure(folder.toUtf8()), 4);
    QVERIFY2(QString::fromStdString(vx::lastProjectStructureError()).contains("space"),
             vx::lastProjectStructureError().c_str());
    QVERIFY(folderSnapshot(folder) == before);

    QVERIFY_EXCEPTION_THROWN(namedProject("new").saveProjectFile((folder + "/Saved.vpr").toStdString()),
                             std::runtime_error);
    QVERIFY(folderSnapshot(folder) == before);
    QCOMPARE(loadedName(folder + "/Saved.vpr"), std::string("old"));
  }
};

QTEST_GUILESS_MAIN(ProjectSaveFaultTest)
#include "ProjectSaveFaultTest.moc"
