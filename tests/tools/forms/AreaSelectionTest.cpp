#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "ModalAnswer.h"
#include "dialogs/MessageDialogs.h"
#include "tests/platform/vx/TestProjects.h"
#include "tools/forms/AreaSelection.h"
#include "vx/VEXAProject.h"

using modalanswer::answerMessage;

namespace {

// Five nadir cameras 100 m up at x = 0, 50, ..., 200, each seeing 80 m x 60 m of the ground.
std::shared_ptr<vx::VEXAProject> cameraRow(const QString& folder) {
  auto project = std::make_shared<vx::VEXAProject>();
  QDir().mkpath(folder + "/Internal/Orientations");
  project->setOutputFolder(folder.toStdString(), 0, 0);
  for (int i = 0; i < 5; ++i) {
    const std::string name = "img" + std::to_string(i);
    const std::string ori = "Internal/Orientations/" + name + ".ori";
    testprojects::nadirOrientation(name + ".jpg", i * 50.0).writeFile(folder.toStdString() + "/" + ori);
    project->addImage({name + ".jpg", "Images/" + name + ".jpg", ori, true});
  }
  return project;
}

}  // namespace

class AreaSelectionTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { qvx::setUnattended(false); }

  void answeringNoSwitchesTheSelectionOff() {
    QTemporaryDir dir;
    auto project = cameraRow(dir.path());
    project->setAreaBasedImageSelection(true);
    qvx::setUnattended(true);  // nobody answers: the question is declined
    qvx::AreaSelection selection(project);
    QSignalSpy busy(&selection, &qvx::AreaSelection::signal_busy);
    QVERIFY(!selection.run());
    QVERIFY(!project->areaBasedImageSelection());
    QCOMPARE(project->selectedImageCount(), size_t(5));
    QCOMPARE(busy.count(), 0);
  }

  void withoutAnAreaAllImagesAreUsed() {
    QTemporaryDir dir;
    auto project = cameraRow(dir.path());
    project->setAreaBasedImageSelection(false);
    QString info;
    answerMessage(QMessageBox::Yes);
    qvx::AreaSelection selection(project);
    // The information box follows the question.
    QTimer::singleShot(0, [&] { answerMessage(QMessageBox::Ok, &info); });
    QVERIFY(!selection.run());
    QCOMPARE(info, QString("Using the full input imagery."));
    QVERIFY(project->areaBasedImageSelection());
    QCOMPARE(project->selectedImageCount(), size_t(5));
  }

  void selectsTheImagesOfTheAreaOnAWorker() {
    QTemporaryDir dir;
    auto project = cameraRow(dir.path());
    project->setAxisRange(0, 100, 130);
    project->setAxisRange(1, -10, 10);
    qvx::AreaSelection selection(project);
    QSignalSpy busy(&selection, &qvx::AreaSelection::signal_busy);
    QString info;
    answerMessage(QMessageBox::Yes);
    QTimer::singleShot(0, [&] { answerMessage(QMessageBox::Ok, &info); });
    QVERIFY(!selection.run());
    QCOMPARE(info, QString("Based on your area, VEXA selected 2 images out of 5 total images for processing."));
    QCOMPARE(project->selectedImageCount(), size_t(2));
    QCOMPARE(busy.count(), 2);
    QCOMPARE(busy.at(0).at(0).toBool(), true);
    QCOMPARE(busy.at(0).at(1).toString(), QString("Applying area based image selection."));
    QCOMPARE(busy.at(1).at(0).toBool(), false);
  }

  void failuresAreReportedAndKeepTheImages_data() {
    QTest::addColumn<bool>("brokenOrientation");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no image sees the area") << false << "Could not apply area based image selection.";
    QTest::newRow("unreadable orientation") << true << "Couldn't filter project: Orientation file ";
  }
  void failuresAreReportedAndKeepTheImages() {
    QFETCH(bool, brokenOrientation);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    auto project = cameraRow(dir.path());
    project->setAxisRange(0, brokenOrientation ? 0 : 5000, brokenOrientation ? 10 : 5100);
    project->setAxisRange(1, 0, 10);
    if (brokenOrientation) testprojects::writeText(dir.filePath("Internal/Orientations/img3.ori"), "VEXA-ORI 1\n");
    qvx::AreaSelection selection(project);
    QString error;
    answerMessage(QMessageBox::Yes);
    QTimer::singleShot(0, [&] { answerMessage(QMessageBox::Ok, &error); });
    QVERIFY(selection.run());
    QVERIFY2(error.startsWith(expected), qPrintable(error));
    if (brokenOrientation) {
      QVERIFY(error.contains(dir.filePath("Internal/Orientations/img3.ori")));
      QVERIFY(error.endsWith(".\nPlease adjust your area or init terrain height settings."));
    }
    QCOMPARE(project->selectedImageCount(), size_t(5));
  }
};

QTEST_MAIN(AreaSelectionTest)
#include "AreaSelectionTest.moc"
