#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include <optional>

#include "project/ProjectOpener.h"
#include "tests/platform/vx/TestProjects.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

using testprojects::readText;
using testprojects::writeText;

namespace {
// Records the dialogs and answers the update question as told.
struct Dialogs {
  bool acceptUpdate = false;
  QStringList questions, criticals;
  qvx::ProjectOpenerUi ui() {
    return {[this](const QString& q) { questions << q; return acceptUpdate; },
            [this](const QString& m) { criticals << m; }};
  }
};
// Opens on the pool and waits for the outcome, which the central widget does not.
std::shared_ptr<vx::VEXAProject> openAndWait(const QString& file, const qvx::ProjectOpenerUi& ui,
                                             qvx::ProjectReader read = {}) {
  QObject context;
  std::optional<qvx::OpenedProject> opened;
  qvx::openProjectInBackground(file, ui, read, &context, [&](qvx::OpenedProject result) { opened = result; });
  if (!QTest::qWaitFor([&] { return opened.has_value(); }, 30000)) return nullptr;
  return opened->project;
}

}  // namespace

class ProjectOpenerTest : public QObject {
  Q_OBJECT

 private slots:
  void missingFile() {
    QTemporaryDir dir;
    Dialogs dialogs;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());  // the message names the absolute path of a relative one
    QVERIFY(!openAndWait("none/Project.vpr", dialogs.ui()));
    QDir::setCurrent(previous);
    QCOMPARE(dialogs.criticals, QStringList{"File " + dir.filePath("none/Project.vpr") + " does not exist."});
    QVERIFY(QDir(dir.path()).mkpath("folder.vpr"));
    QVERIFY(!openAndWait(dir.filePath("folder.vpr"), dialogs.ui()));
    QCOMPARE(dialogs.criticals.last(), "File " + dir.filePath("folder.vpr") + " is a folder or device, not a project file.");
    QVERIFY(dialogs.questions.isEmpty());
  }

  void currentProjectOpensWithoutQuestions() {
    QTemporaryDir dir;
    vx::VEXAProject saved;
    saved.setName("current");
    saved.saveProjectFile(dir.filePath("Project.vpr").toStdString());
    Dialogs dialogs;
    auto project = openAndWait(dir.filePath("Project.vpr"), dialogs.ui());
    QVERIFY(project);
    QCOMPARE(project->name(), std::string("current"));
    QCOMPARE(QString::fromStdWString(project->projectFolder()), dir.path());
    QVERIFY(dialogs.questions.isEmpty() && dialogs.criticals.isEmpty());
  }

  void structureUpdateIsAskedForAndOnlyDoneWhenAccepted() {
    QTemporaryDir dir;
    testprojects::makeVersion1Project(dir.path(), 2);
    const QByteArray before = readText(dir.filePath("Project.vpr"));
    std::vector<char> message(4096);
    QCOMPARE(vx::projectStructureUpdateMessage(dir.path().toUtf8().constData(), message.data(), message.size()), 0);
    Dialogs dialogs;
    QVERIFY(!openAndWait(dir.filePath("Project.vpr"), dialogs.ui()));
    QCOMPARE(dialogs.questions, QStringList{QString::fromUtf8(message.data()) + "\nDo you want to perform the update?"});
    QCOMPARE(readText(dir.filePath("Project.vpr")), before);
    QVERIFY(QFileInfo(dir.filePath("Orientations/img0.ori")).isFile());

    dialogs.acceptUpdate = true;
    auto project = openAndWait(dir.filePath("Project.vpr"), dialogs.ui());
    QVERIFY(project);
    QCOMPARE(dialogs.questions.size(), 2);
    QVERIFY(dialogs.criticals.isEmpty());
    QCOMPARE(project->image(0).orientationPath, std::string("Internal/Orientations/img0.ori"));
    QCOMPARE(project->imageOrientation(project->image(1)).imageName(), std::string("img1.jpg"));
    QVERIFY(QFileInfo(dir.filePath("Internal/Editor")).isDir());
  }

  void failedUpdateIsReported() {
    QTemporaryDir dir;
    testprojects::makeVersion1Project(dir.path(), 1);
    writeText(dir.filePath("Internal/Orientations/img0.ori"), "in the way");
    Dialogs dialogs;
    dialogs.acceptUpdate = true;
    QVERIFY(!openAndWait(dir.filePath("Project.vpr"), dialogs.ui()));
    QCOMPARE(dialogs.criticals.size(), 1);
    QVERIFY2(dialogs.criticals.first().startsWith("The project structure of " + dir.path() + " could not be updated: ") &&
                 dialogs.criticals.first().contains("img0.ori"),
             qPrintable(dialogs.criticals.first()));
  }

  void unreadableProjectsAreReported_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");  // the start of the message
    const QString malformed = dir_.filePath("a/Project.vpr"), newer = dir_.filePath("b/Project.vpr");
    QTest::newRow("malformed") << malformed << QByteArray("<VEXAProject><version>2</version>")
                               << "VEXA wasn't able to read the Project: The project file " + malformed + " is not valid XML: ";
    QTest::newRow("newer") << newer << QByteArray("<VEXAProject><version>3</version></VEXAProject>")
                           << "VEXA wasn't able to read the Project: The project file " + newer + " has file version 3";
    QTest::newRow("beside no project") << dir_.filePath("c/other.vpr")
                                       << QByteArray("<VEXAProject><version>2</version></VEXAProject>")
                                       << "Could not check the project structure of " + dir_.filePath("c") +
                                              ": The project file " + dir_.filePath("c/Project.vpr") +
                                              " is missing or cannot be read.";
  }
  void unreadableProjectsAreReported() {
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    writeText(file, content);
    Dialogs dialogs;
    QVERIFY(!openAndWait(file, dialogs.ui()));
    QCOMPARE(dialogs.criticals.size(), 1);
    QVERIFY2(dialogs.criticals.first().startsWith(expected), qPrintable(dialogs.criticals.first()));
  }

  // Everything that touches files happens on the pool; the question and the outcome come back to
  // the caller's thread.
  void backgroundOpeningReadsOffTheCallingThread() {
    QTemporaryDir dir;
    testprojects::makeVersion1Project(dir.path(), 1);
    Dialogs dialogs;
    dialogs.acceptUpdate = true;
    QThread* askedOn = nullptr;
    QThread* readOn = nullptr;
    QThread* doneOn = nullptr;
    qvx::ProjectOpenerUi ui = dialogs.ui();
    ui.askUpdate = [&, ask = ui.askUpdate](const QString& question) {
      askedOn = QThread::currentThread();
      return ask(question);
    };
    auto read = [&](const vx::VEXAProject& project, QStringList* problems) {
      readOn = QThread::currentThread();
      *problems << "one problem";
      return QStringList{QString::fromStdString(project.projectFolderUtf8()) + "/Mesh.osgb"};
    };
    QObject context;
    std::optional<qvx::OpenedProject> opened;
    qvx::openProjectInBackground(dir.filePath("Project.vpr"), ui, read, &context, [&](qvx::OpenedProject result) {
      doneOn = QThread::currentThread();
      opened = result;
    });
    QVERIFY(!opened);
    QTRY_VERIFY_WITH_TIMEOUT(opened.has_value(), 30000);
    QVERIFY(opened->project);
    QCOMPARE(opened->resources, QStringList{dir.path() + "/Mesh.osgb"});
    QCOMPARE(opened->problems, QStringList{"one problem"});
    QCOMPARE(dialogs.questions.size(), 1);
    QVERIFY(dialogs.criticals.isEmpty());
    QCOMPARE(askedOn, QThread::currentThread());
    QCOMPARE(doneOn, QThread::currentThread());
    QVERIFY(readOn && readOn != QThread::currentThread());
  }

  void backgroundFailuresEndWithoutAProject() {
    QTemporaryDir dir;
    testprojects::makeVersion1Project(dir.path(), 1);
    writeText(dir.filePath("broken/Project.vpr"), "<VEXAProject>");
    bool read = false;
    auto reader = [&](const vx::VEXAProject&, QStringList*) {
      read = true;
      return QStringList();
    };
    Dialogs missing, declined, broken;
    QVERIFY(!openAndWait(dir.filePath("none.vpr"), missing.ui(), reader));
    QCOMPARE(missing.criticals, QStringList{"File " + dir.filePath("none.vpr") + " does not exist."});
    QVERIFY(!openAndWait(dir.filePath("Project.vpr"), declined.ui(), reader));
    QCOMPARE(declined.questions.size(), 1);
    QVERIFY(declined.criticals.isEmpty());
    QVERIFY(!openAndWait(dir.filePath("broken/Project.vpr"), broken.ui(), reader));
    QCOMPARE(broken.criticals.size(), 1);
    QVERIFY2(broken.criticals[0].startsWith("VEXA wasn't able to read the Project: "), qPrintable(broken.criticals[0]));
    QVERIFY(!read);
  }

  void nothingIsCalledOnceTheContextIsGone() {
    QTemporaryDir dir;
    testprojects::makeVersion1Project(dir.path(), 1);
    Dialogs dialogs;
    bool called = false;
    auto context = std::make_unique<QObject>();
    qvx::openProjectInBackground(dir.filePath("Project.vpr"), dialogs.ui(), {}, context.get(),
                                 [&](qvx::OpenedProject) { called = true; });
    context.reset();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
    QVERIFY(!called);
    QVERIFY(dialogs.questions.isEmpty());
  }

  void emptyCallbacksAreSafe() {
    QTemporaryDir dir;
    testprojects::makeVersion1Project(dir.path(), 1);
    QVERIFY(!openAndWait(dir.filePath("Project.vpr"), {}));
    QVERIFY(!openAndWait(dir.filePath("none.vpr"), {}));
  }

 private:
  QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(ProjectOpenerTest)
#include "ProjectOpenerTest.moc"
