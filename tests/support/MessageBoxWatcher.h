#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include <functional>

// Answers the modal message boxes that the code under test opens, from inside their own event
// loops, and records what they showed. Without it an exec() would wait for a user forever.
class MessageBoxWatcher : public QObject {
 public:
  struct Box {
    QString title;
    QString text;
    Qt::WindowFlags flags;
    bool hasParent;
  };

  // `prepare` acts on each box before `answer` is pressed, e.g. ticks a check box.
  explicit MessageBoxWatcher(QMessageBox::StandardButton answer = QMessageBox::Ok,
                             std::function<void(QMessageBox*)> prepare = {}) {
    connect(&timer_, &QTimer::timeout, this, [this, answer, prepare] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      boxes_ << Box{box->windowTitle(), box->text(), box->windowFlags(), box->parentWidget() != nullptr};
      if (prepare) prepare(box);
      QAbstractButton* button = box->button(answer);
      if (!button) button = box->escapeButton() ? box->escapeButton() : box->buttons().value(0);
      if (button)
        button->click();
      else
        box->close();
    });
    timer_.start(5);
  }

  const QList<Box>& boxes() const { return boxes_; }
  QStringList texts() const {
    QStringList texts;
    for (const Box& box : boxes_) texts << box.text;
    return texts;
  }

 private:
  QTimer timer_;
  QList<Box> boxes_;
};
