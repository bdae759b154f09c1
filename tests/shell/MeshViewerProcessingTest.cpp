#include "demo/DemoProject.h"
#include "img/images/Images.h"
#include "shell/MeshViewer.h"
#include "tests/shell/ShownMainWindow.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tools/run/BusyScreen.h"
#include "tools/run/ProgressMonitor.h"
#include "tools/run/TextTerminal.h"
#include "tools/run/VexaProcess.h"
#include "viewer/MeshViewerCanvas.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class MeshViewerProcessingTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::unique_ptr<MeshViewer> viewer_;
  QString projectFile_;

  QAction* runUpTo(const QString& step) const {
    for (QAction* entry : viewer_->processingMenu()->actions())
      if (entry->menu())
        for (QAction* action : entry->menu()->actions())
          if (action->text() == step) return action;
    return nullptr;
  }
  QList<QAction*> entries() const {
    QList<QAction*> all = viewer_->processingMenu()->actions();
    for (QAction* entry : viewer_->processingMenu()->actions())
      if (entry->menu()) all += entry->menu()->actions();
    return all;
  }

 private slots:
  void initTestCase() {
    vexaInitImages();
    projectFile_ = shelltest::writeSmallDemo(dir_.path(), 4);
    viewer_ = shelltest::showMainWindow();
    QVERIFY(viewer_);
  }

  void cleanupTestCase() { viewer_.reset(); }

  void theMenuNamesEveryStepAndWaitsForAProject() {
    QStringList names;
    for (QAction* action : runUpTo("Analysis")->associatedWidgets().value(0)->actions()) names << action->text();
    QCOMPARE(names, (QStringList{"Analysis", "Dense Matching", "DSM", "True Ortho", "DSM Mesh", "Point Cloud", "Mesh",
                                 "Mesh Texturing", "DSM Mesh Texturing"}));
    QCOMPARE(viewer_->processingMenu()->actions().last()->text(), QString("Full run"));
    for (QAction* action : entries()) QVERIFY(!action->isEnabled());

    QVERIFY(shelltest::openProject(*viewer_, projectFile_));
    for (QAction* action : entries()) QVERIFY(action->isEnabled());
  }

  void aRunUpToDsmShowsProgressAndLogAndMarksTheSteps() {
    MessageBoxWatcher boxes;
    vx::VEXA::setSimulatedTileWork(std::chrono::milliseconds(20));
    auto* runner = viewer_->findChild<VexaProcess*>();
    auto* bar = viewer_->findChild<ProgressMonitor*>()->findChild<QProgressBar*>("progressBar");
    auto* terminal = viewer_->findChild<TextTerminal*>();
    QSignalSpy finished(runner, &VexaProcess::signal_finished);
    QSignalSpy progress(runner, &VexaProcess::signal_progressVexa);

    runUpTo("DSM")->trigger();
    QVERIFY(viewer_->isProcessing());
    QVERIFY(viewer_->findChild<QFrame*>("processingPanel")->isVisible());
    QVERIFY(!viewer_->findChild<BusyScreen*>()->isVisible());
    for (QAction* action : entries()) QVERIFY(!action->isEnabled());  // one run at a time
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished[0][0].toInt(), 0);
    QTRY_VERIFY(!viewer_->isProcessing());
    for (QAction* action : entries()) QVERIFY(action->isEnabled());

    QVERIFY(progress.size() >= 4);
    for (int i = 1; i < progress.size(); ++i) QVERIFY(progress[i][0].toInt() >= progress[i - 1][0].toInt());
    QCOMPARE(progress.last()[0].toInt(), 100);
    QTRY_COMPARE(bar->value(), 100);
    const QString log = terminal->plainText();
    QVERIFY(log.contains("Processing Tile 1 of 4"));
    QVERIFY(log.contains("Processing status: DSM done"));
    QCOMPARE(boxes.texts(), QStringList());
    const auto project = viewer_->project();
    for (vx::steps::Steps step : {vx::steps::Analysis, vx::steps::DenseMatching, vx::steps::DSM})
      QCOMPARE(project->stepStatus(step), int(vx::steps::Done));
    QCOMPARE(project->stepStatus(vx::steps::DSMMesh), int(vx::steps::NotStarted));
  }

  void unCheckingTheStartButtonCancelsTheRun() {
    MessageBoxWatcher boxes;
    vx::VEXA::setSimulatedTileWork(std::chrono::milliseconds(200));
    auto* runner = viewer_->findChild<VexaProcess*>();
    auto* button = viewer_->findChild<ProgressMonitor*>()->findChild<QPushButton*>("pushOk");
    QSignalSpy finished(runner, &VexaProcess::signal_finished);
    QSignalSpy cancelled(runner, &VexaProcess::signal_cancelled);
    bool clicked = false;
    connect(runner, &VexaProcess::signal_tileProgress, this, [&] {
      if (clicked) return;
      clicked = true;
      QVERIFY(button->isChecked());
      QTest::mouseClick(button, Qt::LeftButton);
    }, Qt::QueuedConnection);

    runUpTo("DSM Mesh")->trigger();
    QVERIFY(finished.wait(60000));
    disconnect(runner, &VexaProcess::signal_tileProgress, this, nullptr);
    QVERIFY(clicked);
    QVERIFY(finished[0][0].toInt() != 0);
    QCOMPARE(cancelled.size(), 1);
    QTRY_VERIFY(!viewer_->isProcessing());
    QVERIFY(!button->isChecked());
    QCOMPARE(viewer_->project()->stepStatus(vx::steps::DSMMesh), int(vx::steps::NotStarted));
    QCOMPARE(boxes.texts(), QStringList());  // a cancel is no error
  }
};

QTEST_MAIN(MeshViewerProcessingTest)
#include "MeshViewerProcessingTest.moc"
