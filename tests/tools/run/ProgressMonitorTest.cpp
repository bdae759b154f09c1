#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "img/images/Images.h"
#include "tools/run/ProgressMonitor.h"
#include "vx/Steps.h"
#include "vx/VEXAProject.h"

namespace {
QString text(ProgressMonitor& m, const char* label) { return m.findChild<QLabel*>(label)->text(); }

// The icon on the start button is the one of `file`.
bool showsIcon(ProgressMonitor& m, const QString& file) {
  const QImage shown = m.findChild<QPushButton*>("pushOk")->icon().pixmap(50, 50).toImage();
  const QImage expected = QIcon(file).pixmap(50, 50).toImage();
  return !expected.isNull() && shown == expected;
}
}  // namespace

class ProgressMonitorTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { vexaInitImages(); }
  void statesSetButtonsTimesAndIcons();
  void progressUsesTheOwnEstimate();
  void startButtonEmitsOkAndCancel();
  void distributedProcessingAsksBeforeResetting();
};

void ProgressMonitorTest::statesSetButtonsTimesAndIcons() {
  ProgressMonitor m;
  QVERIFY(m.minimumWidth() >= 200);
  auto* pushOk = m.findChild<QPushButton*>("pushOk");
  auto* buttonDP = m.findChild<QPushButton*>("buttonDP");
  QCOMPARE(text(m, "labelPercentage"), QString("0"));
  QCOMPARE(text(m, "labelElapsed"), QString("--:--:--  elapsed"));
  QCOMPARE(text(m, "labelRemaining"), QString("--:--:--  remaining"));
  QVERIFY(showsIcon(m, ":/img/images/VEXAPlay.png"));

  m.setState(2);
  QVERIFY(pushOk->isChecked());
  QVERIFY(!buttonDP->isEnabled());
  QVERIFY(showsIcon(m, ":/img/images/VEXAPause.png"));
  m.on_TimerUpdate();
  m.on_TimerUpdate();
  QCOMPARE(m.elapsedSeconds(), 2);
  QCOMPARE(text(m, "labelElapsed"), QString("00:00:02  elapsed"));
  m.on_setSubprocessName("Dense Matching");

  m.setState(1);
  QVERIFY(!pushOk->isChecked());
  QVERIFY(buttonDP->isEnabled());
  QVERIFY(showsIcon(m, ":/img/images/VEXAPlay.png"));
  QCOMPARE(text(m, "labelSubprocess"), QString());
  QCOMPARE(text(m, "labelRemaining"), QString("--:--:--  remaining"));

  m.slot_progress(40, 0, 0);
  m.setState(0);
  QCOMPARE(m.findChild<QProgressBar*>("progressBar")->value(), 0);
  QCOMPARE(text(m, "labelPercentage"), QString("0"));
  QCOMPARE(text(m, "labelElapsed"), QString("--:--:--  elapsed"));

  ProgressMonitor inTool(true);
  QVERIFY(inTool.findChild<QPushButton*>("buttonDP")->isHidden());
}

void ProgressMonitorTest::progressUsesTheOwnEstimate() {
  ProgressMonitor m;
  m.setState(2);
  for (int i = 0; i < 10; ++i) m.on_TimerUpdate();
  m.slot_progress(25, 9999, 1000);  // 10 s for a quarter: 40 s in all
  QCOMPARE(m.findChild<QProgressBar*>("progressBar")->value(), 25);
  QCOMPARE(text(m, "labelPercentage"), QString("25"));
  QCOMPARE(text(m, "labelRemaining"), QString("00:00:30  remaining"));
  m.slot_progress(100, 0, 1000);  // no sample: the estimate stays
  QCOMPARE(text(m, "labelPercentage"), QString("100"));
  QCOMPARE(text(m, "labelRemaining"), QString("00:00:30  remaining"));
  m.setState(1);
  QCOMPARE(text(m, "labelRemaining"), QString("00:00:30  remaining"));
  m.slot_processingEnd();
  QCOMPARE(text(m, "labelRemaining"), QString("--:--:--  remaining"));

  m.on_mainProgressAndTime(60, 360000);
  QCOMPARE(text(m, "labelPercentage"), QString("60"));
  QCOMPARE(text(m, "labelRemaining"), QString("100:00:00  remaining"));
  m.on_mainProgress(70);
  QCOMPARE(m.findChild<QProgressBar*>("progressBar")->value(), 70);
}

void ProgressMonitorTest::startButtonEmitsOkAndCancel() {
  ProgressMonitor m;
  m.show();
  QVERIFY(QTest::qWaitForWindowExposed(&m));
  QSignalSpy ok(&m, &ProgressMonitor::signal_Ok);
  QSignalSpy cancel(&m, &ProgressMonitor::signal_Cancel);
  auto* pushOk = m.findChild<QPushButton*>("pushOk");
  QTest::mouseClick(pushOk, Qt::LeftButton);
  QCOMPARE(ok.count(), 1);
  QCOMPARE(cancel.count(), 0);
  QTest::mouseClick(pushOk, Qt::LeftButton);
  QCOMPARE(cancel.count(), 1);
  QCOMPARE(ok.count(), 1);
}

void ProgressMonitorTest::distributedProcessingAsksBeforeResetting() {
  auto project = std::make_shared<vx::VEXAProject>();
  ProgressMonitor m;
  QSignalSpy dp(&m, &ProgressMonitor::signal_DPActivated);
  m.setProject(project);
  QCOMPARE(dp.count(), 1);
  QVERIFY(!dp.last().at(0).toBool());
  QStringList asked;
  bool answer = false;
  m.setResetAsker([&](const QString& question) {
    asked << question;
    return answer;
  });
  auto* buttonDP = m.findChild<QPushButton*>("buttonDP");

  // Dense matching not done: no question.
  m.slot_activateDP(true);
  QVERIFY(asked.isEmpty());
  QVERIFY(project->distributedProcessing() && project->distributedDenseMatching());
  QVERIFY(buttonDP->isChecked());
  QVERIFY(dp.last().at(0).toBool());
  QVERIFY(showsIcon(m, ":/img/images/playDistributed.png"));
  m.slot_activateDP(false);
  QVERIFY(!project->distributedProcessing());

  project->setStepStatus(vx::steps::DenseMatching, vx::steps::Done);
  m.slot_activateDP(true);
  QCOMPARE(asked.size(), 1);
  QVERIFY(asked[0].startsWith("This will reset the following processing steps: \nDense Cloud, DSM"));
  QVERIFY(!project->distributedProcessing());
  QVERIFY(!buttonDP->isChecked());  // the button shows the project again
  answer = true;
  m.slot_activateDP(true);
  QVERIFY(project->distributedProcessing() && project->distributedDenseMatching());

  // While running the start button keeps the pause icon.
  m.setState(2);
  m.slot_updateDPButton();
  QVERIFY(showsIcon(m, ":/img/images/VEXAPause.png"));
  m.setState(1);
  QVERIFY(showsIcon(m, ":/img/images/playDistributed.png"));
}

QTEST_MAIN(ProgressMonitorTest)
#include "ProgressMonitorTest.moc"
