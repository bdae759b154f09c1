#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Answers the modal message boxes that the code under test opens, from inside their own event
// loops, and records their texts. Without it an exec() would wait for a user forever.
class MessageBoxWatcher : public QObject {
 public:
  explicit MessageBoxWatcher(QMessageBox::StandardButton answer = QMessageBox::Ok) : answer_(answer) {
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      texts_ << box->text();
      icons_ << box->icon();
      QAbstractButton* button = box->button(answer_);
      if (!button) button = box->escapeButton() ? box->escapeButton() : box->buttons().value(0);
      if (button)
        button->click();
      else
        box->close();
    });
    timer_.start(5);
  }

  const QStringList& texts() const { return texts_; }
  const QList<QMessageBox::Icon>& icons() const { return icons_; }

 private:
  QMessageBox::StandardButton answer_;
  QTimer timer_;
  QStringList texts_;
  QList<QMessageBox::Icon> icons_;
};
