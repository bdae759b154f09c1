#include <QtTest>

#include "tools/run/ProcessTimePredictor.h"

class ProcessTimePredictorTest : public QObject {
  Q_OBJECT
 private slots:
  void averagesEstimates();
};

void ProcessTimePredictorTest::averagesEstimates() {
  ProcessTimePredictor p;
  QCOMPARE(p.remainingSeconds(), 0);
  p.addSample(0.25, 10.0);  // total 40
  QCOMPARE(p.remainingSeconds(), 30);
}

QTEST_GUILESS_MAIN(ProcessTimePredictorTest)
#include "ProcessTimePredictorTest.moc"
