#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "img/images/Images.h"
#include "tools/inputs/DragArrow.h"
#include "tools/inputs/RangeSelection.h"
#include "tools/inputs/RangeSelector.h"

namespace {
void drag(DragArrow* arrow, int dx) {
  const QPoint start(arrow->width() / 2, arrow->height() / 2);
  QTest::mousePress(arrow, Qt::LeftButton, Qt::NoModifier, start);
  // QTest::mouseMove does not carry the held button; send the move event itself.
  QMouseEvent move(QEvent::MouseMove, start + QPoint(dx, 0), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(arrow, &move);
  QTest::mouseRelease(arrow, Qt::LeftButton, Qt::NoModifier, start + QPoint(dx, 0));
}

void manual(RangeSelector& selector) {
  QTest::mouseClick(selector.findChild<QPushButton*>("buttonAuto"), Qt::LeftButton);
  QVERIFY(!selector.isAuto());
}
}  // namespace

class RangeSelectorTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { vexaInitImages(); }
  void selectionWidensTheTotalAndRefusesReversedRanges();
  void arrowPositionsAndMoves();
  void collectingAnnouncesOnlyNarrowerOrAutomaticRanges();
  void arrowDragStaysInsideAndOrdered();
  void selectorPlacesArrowsAndFollowsDrags();
  void autoButtonAndSpinBoxes();
  void focusRangeBecomesTheTotal();
};

void RangeSelectorTest::selectionWidensTheTotalAndRefusesReversedRanges() {
  RangeSelection s;
  s.setTotal(0, 100);
  QVERIFY(s.select(10, 20));
  QCOMPARE(s.selectedMin(), 10.0);
  QCOMPARE(s.selectedMax(), 20.0);
  QVERIFY(s.select(-5, 120));
  QCOMPARE(s.totalMin(), -5.0);
  QCOMPARE(s.totalMax(), 120.0);
  // hi below lo: only the total range moves.
  QVERIFY(!s.select(-60, -70));
  QVERIFY(!s.select(300, 250));
  QCOMPARE(s.totalMin(), -60.0);
  QCOMPARE(s.totalMax(), 250.0);
  QCOMPARE(s.selectedMin(), -5.0);
  QCOMPARE(s.selectedMax(), 120.0);
  // A smaller total keeps the selection inside it.
  s.setTotal(0, 50);
  QCOMPARE(s.selectedMin(), 0.0);
  QCOMPARE(s.selectedMax(), 50.0);
}

void RangeSelectorTest::arrowPositionsAndMoves() {
  RangeSelection s;
  s.setTotal(100, 300);
  s.select(150, 250);
  QCOMPARE(s.minArrowX(200), 50);
  QCOMPARE(s.maxArrowX(200, 12), 150 - 12);
  s.select(100.5, 300);
  QCOMPARE(s.minArrowX(200), 1);  // rounded up
  QCOMPARE(s.maxArrowX(200, 12), 188);

  s.select(150, 250);
  s.moveMin(20, 200);  // 20 px of 200 is a tenth of 200
  QCOMPARE(s.selectedMin(), 150.0 + double(0.1f) * 200.0);
  s.moveMax(-10, 200);
  QCOMPARE(s.selectedMax(), 250.0 - double(0.05f) * 200.0);
  // The selection stays ordered and inside the total range.
  s.moveMin(400, 200);
  QCOMPARE(s.selectedMin(), s.selectedMax());
  s.moveMax(-400, 200);
  QCOMPARE(s.selectedMax(), s.selectedMin());
  s.moveMin(-1000, 200);
  QCOMPARE(s.selectedMin(), 100.0);
  s.moveMax(1000, 200);
  QCOMPARE(s.selectedMax(), 300.0);
  // A bar of no width moves nothing.
  s.moveMax(-10, 0);
  QCOMPARE(s.selectedMax(), 300.0);

  // A zero-width total range puts the arrows at the ends.
  RangeSelection flat;
  flat.setTotal(5, 5);
  QCOMPARE(flat.minArrowX(200), 0);
  QCOMPARE(flat.maxArrowX(200, 12), 188);
}

void RangeSelectorTest::collectingAnnouncesOnlyNarrowerOrAutomaticRanges() {
  RangeSelection s;
  s.setTotal(0, 10);
  s.select(0, 10);
  QVERIFY(s.collect(false).isEmpty());
  s.select(0, 9);
  QVector<RangeSelection::Emission> e = s.collect(false);
  QCOMPARE(e.size(), 1);
  QVERIFY(!e[0].automatic);
  QCOMPARE(e[0].max, 9.0);
  s.select(1, 10);
  QCOMPARE(s.collect(false).size(), 1);

  e = s.collect(true);
  QCOMPARE(e.size(), 2);
  QVERIFY(!e[0].automatic && e[1].automatic);
  QCOMPARE(e[0].min, 0.0);
  QCOMPARE(e[1].max, 10.0);
  QCOMPARE(s.selectedMin(), 0.0);
  QCOMPARE(s.selectedMax(), 10.0);
}

void RangeSelectorTest::arrowDragStaysInsideAndOrdered() {
  QWidget parent;
  parent.resize(200, 20);
  DragArrow arrow(&parent);
  parent.show();
  QVERIFY(QTest::qWaitForWindowExposed(&parent));
  arrow.slot_moveTo(50);
  QCOMPARE(arrow.x(), 50);
  QSignalSpy moved(&arrow, &DragArrow::signal_moved);

  drag(&arrow, 30);
  QCOMPARE(arrow.x(), 80);
  QCOMPARE(moved.count(), 1);
  QCOMPARE(moved.takeFirst().at(0).toInt(), 30);

  drag(&arrow, -80);  // would reach x 0
  QCOMPARE(arrow.x(), 80);
  drag(&arrow, 200 - 80 - arrow.width() + 1);  // right edge one past the parent
  QCOMPARE(arrow.x(), 80);
  QCOMPARE(moved.count(), 0);

  arrow.setLimits(INT_MIN, 90);  // the other arrow
  drag(&arrow, 20);
  QCOMPARE(arrow.x(), 80);
  drag(&arrow, 10);
  QCOMPARE(arrow.x(), 90);
  QCOMPARE(moved.count(), 1);
}

void RangeSelectorTest::selectorPlacesArrowsAndFollowsDrags() {
  RangeSelector selector;
  selector.resize(600, 40);
  selector.show();
  QVERIFY(QTest::qWaitForWindowExposed(&selector));
  manual(selector);
  QWidget* bar = selector.findChild<QWidget*>("bar");
  auto* minArrow = selector.findChild<DragArrow*>("arrowMin");
  auto* maxArrow = selector.findChild<DragArrow*>("arrowMax");
  const int w = bar->width();

  QSignalSpy moveMin(&selector, &RangeSelector::signal_moveMin);
  selector.setSelection(0, 100);
  selector.setSelection(25, 75);
  QCOMPARE(minArrow->x(), static_cast<int>(std::ceil(w * 0.25)));
  QCOMPARE(maxArrow->x(), static_cast<int>(std::ceil(w * 0.75)) - maxArrow->width());
  QCOMPARE(moveMin.last().at(0).toInt(), minArrow->x());

  QSignalSpy values(&selector, &RangeSelector::signal_valuesChanged);
  drag(minArrow, 10);
  QCOMPARE(values.count(), 1);
  QVERIFY(!values.last().at(0).toBool());
  QCOMPARE(values.last().at(1).toDouble(), 25.0 + double(float(10) / float(w)) * 100.0);
  QCOMPARE(selector.findChild<QDoubleSpinBox*>("spinSelectedMin")->value(), std::round((25.0 + 1000.0 / w) * 100) / 100);

  // The minimum arrow cannot pass the maximum one.
  const int maxRight = maxArrow->x() + maxArrow->width();
  drag(minArrow, maxRight - minArrow->x() + 5);
  QVERIFY(minArrow->x() <= maxRight);
  QVERIFY(selector.selection().selectedMin() <= selector.selection().selectedMax());

  // A resize places the arrows again for the same values.
  selector.resize(900, 40);
  QTRY_VERIFY(bar->width() > w);
  QCOMPARE(maxArrow->x(), static_cast<int>(std::ceil(bar->width() * 0.75)) - maxArrow->width());
}

void RangeSelectorTest::autoButtonAndSpinBoxes() {
  RangeSelector selector;
  selector.show();
  QVERIFY(QTest::qWaitForWindowExposed(&selector));
  auto* selectedMax = selector.findChild<QDoubleSpinBox*>("spinSelectedMax");
  QVERIFY(selector.isAuto());
  QVERIFY(!selectedMax->isEnabled());
  QVERIFY(!selector.findChild<DragArrow*>("arrowMin")->isEnabled());

  manual(selector);
  QVERIFY(selectedMax->isEnabled());
  selector.slot_focusRangeChanged(0, 50);
  QSignalSpy values(&selector, &RangeSelector::signal_valuesChanged);
  selectedMax->setFocus();
  selectedMax->selectAll();
  QTest::keyClicks(selectedMax, "40");
  QTest::keyClick(selectedMax, Qt::Key_Return);
  QCOMPARE(values.count(), 1);
  QCOMPARE(values.last().at(2).toDouble(), 40.0);
  QCOMPARE(selector.selection().selectedMax(), 40.0);

  values.clear();
  QTest::mouseClick(selector.findChild<QPushButton*>("buttonAuto"), Qt::LeftButton);
  QCOMPARE(values.count(), 2);
  QCOMPARE(values.at(0), (QList<QVariant>{false, 0.0, 50.0}));
  QCOMPARE(values.at(1), (QList<QVariant>{true, 0.0, 50.0}));
  QCOMPARE(selectedMax->value(), 50.0);
  QVERIFY(!selectedMax->isEnabled());
}

void RangeSelectorTest::focusRangeBecomesTheTotal() {
  RangeSelector selector;
  QSignalSpy values(&selector, &RangeSelector::signal_valuesChanged);
  selector.slot_focusRangeChanged(10, 90);
  QCOMPARE(selector.selection().selectedMin(), 10.0);
  QCOMPARE(selector.selection().selectedMax(), 90.0);
  QCOMPARE(values.count(), 0);  // automatic: the colouring already follows the data

  selector.findChild<QPushButton*>("buttonAuto")->setChecked(false);
  selector.setSelection(20, 80);
  selector.slot_focusRangeChanged(0, 200);  // the selection fits: nothing changes
  QCOMPARE(values.count(), 0);
  QCOMPARE(selector.selection().totalMax(), 200.0);
  selector.slot_focusRangeChanged(30, 60);  // it no longer fits: the clipped selection is announced
  QCOMPARE(values.count(), 1);
  QCOMPARE(values.last(), (QList<QVariant>{false, 30.0, 60.0}));
}

QTEST_MAIN(RangeSelectorTest)
#include "RangeSelectorTest.moc"
