#pragma once

#include <QDialog>
#include <QString>

class QPushButton;

// The branded dialog: heading, logo, message and two buttons, titled "VEXA".
// Object names of the parts: "labelHeading", "labelLogo", "labelMessage", "button_left"
// ("Cancel") and "button_right" ("Ok").
class qVexaDialog : public QDialog {
  Q_OBJECT

 public:
  qVexaDialog(QWidget* parent, const QString& heading, const QString& message);

 public slots:
  bool on_button_left();
  bool on_button_right();

 protected:
  QPushButton* leftButton() const { return m_buttonLeft; }

 private:
  QPushButton* m_buttonLeft;
};

// Information: heading "Info", only the "Ok" button.
class qVexaInfoDialog : public qVexaDialog {
  Q_OBJECT

 public:
  qVexaInfoDialog(QWidget* parent, const QString& message);
};

// Error: heading "Error", only the "Ok" button.
class qVexaErrorDialog : public qVexaDialog {
  Q_OBJECT

 public:
  qVexaErrorDialog(QWidget* parent, const QString& message);
};
