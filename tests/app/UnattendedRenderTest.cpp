// The whole orientation chain, end to end: the editor run unattended on a demo project renders
// one picture per camera, and each must match the photo the demo generator drew of the same
// camera with its own CPU renderer.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/support/ImageMatch.h"

namespace {

constexpr int kProcessTimeoutMs = 300000;

struct Run {
  int exitCode = -1;
  bool finished = false;
  QString output;
};

Run runProgram(const QString& program, const QStringList& arguments, const QString& home) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  // The editor keeps its init file and verdict cache in the home folder: keep the user's clean.
  environment.insert("HOME", home);
  process.setProcessEnvironment(environment);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, arguments);
  Run run;
  run.finished = process.waitForFinished(kProcessTimeoutMs);
  if (!run.finished) process.kill();
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.output = QString::fromLocal8Bit(process.readAll());
  return run;
}

}  // namespace

class UnattendedRenderTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString project_;

  QString home() const { return dir_.filePath("home"); }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QVERIFY(QDir().mkpath(home()));
    project_ = dir_.filePath("project");
    const Run demo = runProgram(VEXA_DEMO_PROGRAM, {project_, "--tiles", "2", "--levels", "2", "--images", "6"}, home());
    QVERIFY2(demo.finished && demo.exitCode == 0, qPrintable(demo.output));
  }

  void everyRenderMatchesItsPhoto() {
    const QString renders = dir_.filePath("renders");
    const Run editor = runProgram(VEXA_EDITOR_EXECUTABLE,
                                  {"--project", QDir(project_).filePath("Project.vpr"), "--render_directory", renders},
                                  home());
    QVERIFY2(editor.finished, "the unattended run did not end");
    QVERIFY2(editor.exitCode == 0, qPrintable(editor.output));

    const QDir photos(QDir(project_).filePath("Internal/Images/Color"));
    const QStringList names = photos.entryList({"IMG_*.jpg"}, QDir::Files, QDir::Name);
    QCOMPARE(names.size(), 6);
    QCOMPARE(QDir(renders).entryList({"*.jpg"}, QDir::Files).size(), names.size());
    for (const QString& name : names) {
      const QImage photo(photos.filePath(name));
      const QImage render(QDir(renders).filePath(name));
      QVERIFY2(!render.isNull(), qPrintable("no render " + name));
      QCOMPARE(render.size(), photo.size());
      // Sky is black in the photos; the editor clears to its background grey.
      const testsupport::ImageMatch match = testsupport::matchImages(photo, render, qRgb(0, 0, 0), qRgb(26, 26, 26));
      const QString text = name + ": " + match.describe();
      qInfo().noquote() << text;
      QVERIFY2(match.coveredFraction > 0.3, qPrintable(text));
      QVERIFY2(match.meanAbsoluteDifference <= 6.0, qPrintable(text));
      QVERIFY2(std::abs(match.bestShiftX) <= 1 && std::abs(match.bestShiftY) <= 1, qPrintable(text));
    }
  }

  // Nothing to render must not leave a script waiting: the reason on standard error, a failure code.
  void nothingToRenderEndsWithAFailure() {
    const QString empty = dir_.filePath("empty.txt");
    QFile list(empty);
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.close();
    const Run noOrientations = runProgram(VEXA_EDITOR_EXECUTABLE, {"--ori", empty, "--render_directory", dir_.filePath("r1")}, home());
    QVERIFY(noOrientations.finished);
    QVERIFY2(noOrientations.exitCode != 0, qPrintable(noOrientations.output));
    QVERIFY2(noOrientations.output.contains("empty.txt"), qPrintable(noOrientations.output));

    const QString broken = dir_.filePath("broken/Project.vpr");
    QVERIFY(QDir().mkpath(dir_.filePath("broken")));
    QFile vpr(broken);
    QVERIFY(vpr.open(QIODevice::WriteOnly));
    vpr.write("<VEXAProject><version>2");
    vpr.close();
    const Run unreadable = runProgram(VEXA_EDITOR_EXECUTABLE, {"--project", broken, "--render_directory", dir_.filePath("r2")}, home());
    QVERIFY(unreadable.finished);
    QVERIFY2(unreadable.exitCode != 0, qPrintable(unreadable.output));
    QVERIFY2(unreadable.output.contains("Project.vpr"), qPrintable(unreadable.output));
  }

  // A render folder that cannot be written is a failure, not a quiet success.
  void anUnwritableRenderFolderFails() {
    const QString blocker = dir_.filePath("not-a-folder");
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const Run editor = runProgram(VEXA_EDITOR_EXECUTABLE,
                                  {"--project", QDir(project_).filePath("Project.vpr"), "--render_directory", blocker + "/renders"},
                                  home());
    QVERIFY(editor.finished);
    QVERIFY2(editor.exitCode != 0, qPrintable(editor.output));
    QVERIFY2(editor.output.contains("not-a-folder"), qPrintable(editor.output));
  }
};

QTEST_GUILESS_MAIN(UnattendedRenderTest)
#include "UnattendedRenderTest.moc"
