#pragma once

#include <QFrame>

class CtrlParameter;
class QToolButton;

// A parameter row with a configure button beside it, for values edited in a dialog of their own.
// Takes the row as a child.
class ConfigurableCtrlFormWidget : public QFrame {
  Q_OBJECT

 public:
  explicit ConfigurableCtrlFormWidget(CtrlParameter* row, QWidget* parent = nullptr);

  QToolButton* configureButton() const { return m_button; }

 signals:
  void signal_configurePressed();

 public slots:
  void slot_applyEnabledCondition();

 private:
  CtrlParameter* m_row;
  QToolButton* m_button;
};
