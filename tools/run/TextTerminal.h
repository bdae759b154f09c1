#pragma once

// The coloured log of a processing run. Lines arrive in floods from the engine (queued signals);
// they are buffered and written in one insert per event-loop turn so that the window stays
// responsive, and the view keeps only the newest lines.

#include <QString>
#include <QWidget>

#include "tools/run/TerminalLines.h"

class QCheckBox;
class QPlainTextEdit;
class QTimer;

class TextTerminal : public QWidget {
  Q_OBJECT
 public:
  explicit TextTerminal(QWidget* parent = nullptr);

  // 0 clears the view and switches every filter on; 1 and 2 change nothing.
  void setState(int state);
  QString currentModule() const { return module_; }
  // The text of the view, with every buffered line written first.
  QString plainText();
  // Writes the buffered lines now.
  void flush();

 public slots:
  void on_errorMsg(QString msg, int process = 0);
  void on_warningMsg(QString msg, int process = 0);
  void on_infoMsg(QString msg, int process = 0);
  void on_addLine(QString msg, int process);
  void on_InfoBox_clicked(bool checked);
  void on_WarningBox_clicked(bool checked);
  void on_ErrorBox_clicked(bool checked);
  void on_ClearButton_clicked();
  void on_startedModule(int step);
  void on_finishedModule(int step);

 private:
  void append(TerminalLines::Kind kind, const QString& msg, int process);
  void write(const QVector<TerminalLines::Line>& lines);

  QPlainTextEdit* view_;
  QCheckBox* errorBox_;
  QCheckBox* warningBox_;
  QCheckBox* infoBox_;
  QTimer* flushTimer_;
  TerminalLines lines_;
  QString module_ = QStringLiteral("<<");
};
