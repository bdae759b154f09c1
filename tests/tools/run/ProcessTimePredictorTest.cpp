#include <QtTest>

#include "tools/run/ProcessTimePredictor.h"
#include "tools/run/TimeText.h"

class ProcessTimePredictorTest : public QObject {
  Q_OBJECT
 private slots:
  void averagesSuccessiveTotals();
  void endpointsAndBadTimesAddNoSample();
  void channelsAreSeparate();
  void timeTexts();
};

void ProcessTimePredictorTest::averagesSuccessiveTotals() {
  ProcessTimePredictor p;
  QVERIFY(!p.hasEstimate());
  QCOMPARE(p.remainingSeconds(), 0);
  p.addSample(0.25, 10.0);  // total 40
  QCOMPARE(p.remainingSeconds(), 30);
  p.addSample(0.5, 30.0);  // total 60, averaged with 40 -> 50
  QCOMPARE(p.remainingSeconds(), 20);
  p.addSample(0.75, 33.0);  // total 44, averaged with 50 -> 47
  QCOMPARE(p.remainingSeconds(), 14);
  p.addSample(0.3, 10.1);  // total 33.67, with 47 -> 40.33; 30.23 left, rounded up
  QCOMPARE(p.remainingSeconds(), 31);
  p.reset();
  QVERIFY(!p.hasEstimate());
}

void ProcessTimePredictorTest::endpointsAndBadTimesAddNoSample() {
  ProcessTimePredictor p;
  p.addSample(0.0, 5.0);
  p.addSample(1.0, 5.0);
  p.addSample(0.5, 0.0);
  QVERIFY(!p.hasEstimate());
  p.addSample(0.5, 10.0);
  QCOMPARE(p.remainingSeconds(), 10);
  // The end of a run must not pull the estimate: it stays as it was.
  p.addSample(1.0, 40.0);
  p.addSample(0.0, 41.0);
  QCOMPARE(p.remainingSeconds(), 10);
}

void ProcessTimePredictorTest::channelsAreSeparate() {
  ProcessTimePredictor p;
  p.addSample(0.5, 10.0, 2);
  QVERIFY(!p.hasEstimate(0));
  QCOMPARE(p.remainingSeconds(2), 10);
  p.addSample(0.5, 10.0, -1);
  QVERIFY(!p.hasEstimate(-1));
}

void ProcessTimePredictorTest::timeTexts() {
  QCOMPARE(timeText(0), QString("00:00:00"));
  QCOMPARE(timeText(59), QString("00:00:59"));
  QCOMPARE(timeText(3600 + 2 * 60 + 3), QString("01:02:03"));
  QCOMPARE(timeText(99 * 3600 + 3599), QString("99:59:59"));
  QCOMPARE(timeText(100 * 3600), QString("100:00:00"));
  QCOMPARE(timeText(1234 * 3600 + 61), QString("1234:01:01"));
  QCOMPARE(timeText(-1), QString("--:--:--"));
}

QTEST_GUILESS_MAIN(ProcessTimePredictorTest)
#include "ProcessTimePredictorTest.moc"
