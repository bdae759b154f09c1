#include "demo/DemoProject.h"
#include "img/images/Images.h"
#include "shell/MeshViewer.h"
#include "tests/shell/ShownMainWindow.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tools/run/BusyScreen.h"
#include "tools/run/ProgressMonitor.h"
#include "tools/run/TextTerminal.h"
#include "tools/run/VexaProcess.h"
#include "tools/inputs/DataInputFolder.h"
#include "tools/windows/Tool2_5D.h"
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
    QStringList top;
    for (QAction* action : viewer_->processingMenu()->actions())
      if (!action->isSeparator()) top << action->text();
    QCOMPARE(top, (QStringList{"Run up to", "Full run", "VEXA 2.5D Tool...", "VEXA Texturing Tool..."}));
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

    // The demo's own processing has made the DSM mesh already; a run up to the DSM leaves it alone.
    const int dsmMeshBefore = viewer_->project()->stepStatus(vx::steps::DSMMesh);
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
    QCOMPARE(project->stepStatus(vx::steps::DSMMesh), dsmMeshBefore);
    QVERIFY(!log.contains("DSM Mesh started"));
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

    const int dsmMeshBefore = viewer_->project()->stepStatus(vx::steps::DSMMesh);
    runUpTo("DSM Mesh")->trigger();
    QVERIFY(finished.wait(60000));
    disconnect(runner, &VexaProcess::signal_tileProgress, this, nullptr);
    QVERIFY(clicked);
    QVERIFY(finished[0][0].toInt() != 0);
    QCOMPARE(cancelled.size(), 1);
    QTRY_VERIFY(!viewer_->isProcessing());
    QVERIFY(!button->isChecked());
    QCOMPARE(viewer_->project()->stepStatus(vx::steps::DSMMesh), dsmMeshBefore);
    QCOMPARE(boxes.texts(), QStringList());  // a cancel is no error
  }

  void theTwoAndAHalfDToolOpensOnTheOpenProject() {
    QAction* open = nullptr;
    for (QAction* action : viewer_->processingMenu()->actions())
      if (action->text() == "VEXA 2.5D Tool...") open = action;
    QVERIFY(open && open->isEnabled());
    open->trigger();
    auto* tool = viewer_->findChild<qvx::tool::Tool2_5D*>();
    QVERIFY(tool && tool->isVisible() && tool->isWindow());
    const QString folder = QDir::cleanPath(QFileInfo(projectFile_).absolutePath());
    const QString output = QDir::cleanPath(tool->outputField()->value());
    QVERIFY2(output.startsWith(folder + "/VEXA_2_5_D-"), qPrintable(output));
    QCOMPARE(tool->project()->tileSize(), viewer_->project()->tileSize());
    QVERIFY(tool->project() != viewer_->project());  // runs in the tool leave the open project alone
    QVERIFY(tool->close());
    QTRY_VERIFY(!viewer_->findChild<qvx::tool::Tool2_5D*>());
  }
};

QTEST_MAIN(MeshViewerProcessingTest)
#include "MeshViewerProcessingTest.moc"
