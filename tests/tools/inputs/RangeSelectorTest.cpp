#include <QtTest>

#include "tools/inputs/DragArrow.h"

class RangeSelectorTest : public QObject {
  Q_OBJECT
 private slots:
  void arrowMovesTo();
};

void RangeSelectorTest::arrowMovesTo() {
  QWidget parent;
  parent.resize(200, 20);
  DragArrow arrow(&parent);
  arrow.slot_moveTo(30);
  QCOMPARE(arrow.x(), 30);
}

QTEST_MAIN(RangeSelectorTest)
#include "RangeSelectorTest.moc"
