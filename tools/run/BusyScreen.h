#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QMovie;

// The modal "working" overlay shown while a long operation blocks the user interface.
// It is application modal so that nothing else (such as a second load) can be started meanwhile,
// and only Cancel or closeScreen() take it away.
class BusyScreen : public QDialog {
  Q_OBJECT

 public:
  explicit BusyScreen(QWidget* parent = nullptr);

  QString msg() const;

 signals:
  void signal_cancel();

 public slots:
  void setMsg(QString msg);
  void closeScreen();
  void showScreen();
  void on_buttonCancel_clicked();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Escape must not hide the screen while the work goes on.
  void reject() override {}

 private:
  QLabel* m_message;
  QMovie* m_animation;
};
