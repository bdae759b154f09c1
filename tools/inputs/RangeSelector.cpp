#include "tools/inputs/RangeSelector.h"

#include <QDebug>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

#include "tools/inputs/DragArrow.h"

namespace {
constexpr double kSpinLimit = 1e9;
constexpr int kBarHeight = 16;
constexpr int kSpinWidth = 70;
constexpr int kStripHeight = 4;

// The strip along which the arrows move, drawn in the colours of the height map it controls.
class RangeBar : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QLinearGradient gradient(0, 0, width(), 0);
    gradient.setColorAt(0.0, QColor(68, 1, 84));
    gradient.setColorAt(0.5, QColor(33, 145, 140));
    gradient.setColorAt(1.0, QColor(253, 231, 37));
    painter.fillRect(0, 0, width(), kStripHeight, gradient);
  }
};

QDoubleSpinBox* makeSpinBox(const char* name, const QString& tip, QWidget* parent) {
  auto* box = new QDoubleSpinBox(parent);
  box->setObjectName(QLatin1String(name));
  box->setToolTip(tip);
  box->setRange(-kSpinLimit, kSpinLimit);
  box->setDecimals(2);
  box->setButtonSymbols(QAbstractSpinBox::NoButtons);
  box->setKeyboardTracking(false);
  // Sized for heights, not for the widest value the box takes: the selector sits in a title bar.
  box->setMinimumWidth(kSpinWidth / 2);
  box->setMaximumWidth(kSpinWidth);
  return box;
}
}  // namespace

RangeSelector::RangeSelector(QWidget* parent) : QWidget(parent) {
  totalMin_ = makeSpinBox("spinTotalMin", QStringLiteral("Lowest value"), this);
  selectedMin_ = makeSpinBox("spinSelectedMin", QStringLiteral("Selected minimum"), this);
  selectedMax_ = makeSpinBox("spinSelectedMax", QStringLiteral("Selected maximum"), this);
  totalMax_ = makeSpinBox("spinTotalMax", QStringLiteral("Highest value"), this);
  bar_ = new RangeBar(this);
  bar_->setObjectName(QStringLiteral("bar"));
  bar_->setFixedHeight(kBarHeight);
  bar_->setMinimumWidth(40);
  bar_->installEventFilter(this);
  minArrow_ = new DragArrow(bar_);
  minArrow_->setObjectName(QStringLiteral("arrowMin"));
  maxArrow_ = new DragArrow(bar_);
  maxArrow_->setObjectName(QStringLiteral("arrowMax"));
  for (DragArrow* arrow : {minArrow_, maxArrow_}) arrow->move(0, kBarHeight - arrow->height());
  auto_ = new QPushButton(QStringLiteral("Auto"), this);
  auto_->setObjectName(QStringLiteral("buttonAuto"));
  auto_->setCheckable(true);
  auto_->setChecked(true);
  auto_->setMinimumWidth(36);
  auto_->setMaximumWidth(48);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(totalMin_);
  layout->addWidget(selectedMin_);
  layout->addWidget(bar_, 1);
  layout->addWidget(selectedMax_);
  layout->addWidget(totalMax_);
  layout->addWidget(auto_);

  connect(minArrow_, &DragArrow::signal_moved, this, &RangeSelector::slot_movedMin);
  connect(maxArrow_, &DragArrow::signal_moved, this, &RangeSelector::slot_movedMax);
  connect(this, &RangeSelector::signal_moveMin, minArrow_, &DragArrow::slot_moveTo);
  connect(this, &RangeSelector::signal_moveMax, maxArrow_, &DragArrow::slot_moveTo);
  connect(auto_, &QPushButton::clicked, this, &RangeSelector::slot_collectValues);
  // While automatic, the range follows the data: nothing to edit or drag.
  for (QWidget* input : std::initializer_list<QWidget*>{totalMin_, totalMax_, selectedMin_, selectedMax_,
                                                       minArrow_, maxArrow_}) {
    connect(auto_, &QPushButton::clicked, input, &QWidget::setDisabled);
    input->setDisabled(true);
  }
  for (QDoubleSpinBox* box : {totalMin_, totalMax_, selectedMin_, selectedMax_})
    connect(box, &QDoubleSpinBox::editingFinished, this, &RangeSelector::applySpinBoxes);
  showValues();
}

bool RangeSelector::isAuto() const { return auto_->isChecked(); }

void RangeSelector::setSelection(double lo, double hi) {
  selection_.select(lo, hi);
  placeArrows();
  qDebug() << "range selected:" << selection_.totalMin() << selection_.totalMax() << selection_.selectedMin()
           << selection_.selectedMax();
  showValues();
}

void RangeSelector::slot_focusRangeChanged(double min, double max) {
  const double lo = selection_.selectedMin();
  const double hi = selection_.selectedMax();
  selection_.setTotal(min, max);
  if (isAuto()) {
    selection_.collect(true);  // the data's range is already what the colouring follows
  } else if (selection_.selectedMin() != lo || selection_.selectedMax() != hi) {
    emit signal_valuesChanged(false, selection_.selectedMin(), selection_.selectedMax());
  }
  placeArrows();
  showValues();
}

void RangeSelector::slot_collectValues() {
  const bool automatic = isAuto();
  for (const RangeSelection::Emission& e : selection_.collect(automatic))
    emit signal_valuesChanged(e.automatic, e.min, e.max);
  if (automatic) placeArrows();
  showValues();
}

void RangeSelector::slot_movedMin(int dist) {
  selection_.moveMin(dist, bar_->width());
  limitArrows();
  slot_collectValues();
}

void RangeSelector::slot_movedMax(int dist) {
  selection_.moveMax(dist, bar_->width());
  limitArrows();
  slot_collectValues();
}

bool RangeSelector::eventFilter(QObject* watched, QEvent* event) {
  if (watched == bar_ && event->type() == QEvent::Resize) placeArrows();
  return QWidget::eventFilter(watched, event);
}

void RangeSelector::applySpinBoxes() {
  selection_.setTotal(totalMin_->value(), totalMax_->value());
  setSelection(selectedMin_->value(), selectedMax_->value());
  slot_collectValues();
}

void RangeSelector::placeArrows() {
  emit signal_moveMin(selection_.minArrowX(bar_->width()));
  emit signal_moveMax(selection_.maxArrowX(bar_->width(), maxArrow_->width()));
  limitArrows();
}

void RangeSelector::limitArrows() {
  // The arrows never pass each other: the minimum's left edge stays at or left of the maximum's
  // right edge.
  minArrow_->setLimits(INT_MIN, maxArrow_->x() + maxArrow_->width());
  maxArrow_->setLimits(minArrow_->x() - maxArrow_->width(), INT_MAX);
}

void RangeSelector::showValues() {
  const QSignalBlocker b1(totalMin_), b2(totalMax_), b3(selectedMin_), b4(selectedMax_);
  totalMin_->setValue(selection_.totalMin());
  totalMax_->setValue(selection_.totalMax());
  selectedMin_->setValue(selection_.selectedMin());
  selectedMax_->setValue(selection_.selectedMax());
}
