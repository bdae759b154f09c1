#pragma once

#include <QDialog>

class QDoubleSpinBox;

// Asks for the minimum and maximum of one project area axis.
class AreaSetterPopUp : public QDialog {
  Q_OBJECT

 public:
  // `title` may be empty (the "Edit" button of a manual axis gives none).
  AreaSetterPopUp(const QString& title, double min, double max, QWidget* parent = nullptr);

  double minimum() const;
  double maximum() const;
  QDoubleSpinBox* minBox() const { return m_min; }
  QDoubleSpinBox* maxBox() const { return m_max; }

 public slots:
  void slot_okClicked();
  void slot_cancelClicked();

 private:
  QDoubleSpinBox* m_min;
  QDoubleSpinBox* m_max;
};
