#pragma once

// Answers the next modal dialog from inside its event loop, as an operator would.

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>

namespace modalanswer {

// Calls `answer` with the next modal dialog once it is shown.
inline void whenModal(std::function<void(QWidget*)> answer) {
  QTimer::singleShot(5, [answer] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      answer(modal);
    } else {
      whenModal(answer);
    }
  });
}

// Clicks `button` of the next message box that has one and keeps its text in `text`.
inline void answerMessage(QMessageBox::StandardButton button, QString* text = nullptr) {
  whenModal([button, text](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box || !box->button(button)) {
      answerMessage(button, text);  // an earlier box still waits for its answer
      return;
    }
    if (text) *text = box->text();
    box->button(button)->click();
  });
}

}  // namespace modalanswer
