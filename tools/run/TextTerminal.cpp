#include "tools/run/TextTerminal.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "vx/Steps.h"

namespace {
constexpr int kMaxLines = TerminalLines::kMaxLines;
// Lines that arrive within this time are written together.
constexpr int kFlushIntervalMs = 20;
// Lines written in one turn of the event loop: a few milliseconds of work, so that a flood of
// lines never keeps the window from painting and answering.
constexpr int kLinesPerTurn = 400;
}  // namespace

TextTerminal::TextTerminal(QWidget* parent) : QWidget(parent) {
  auto* title = new QLabel(QStringLiteral("Terminal"), this);
  auto* clear = new QPushButton(QStringLiteral("Clear"), this);
  clear->setObjectName(QStringLiteral("ClearButton"));
  auto* display = new QLabel(QStringLiteral("Display: "), this);
  errorBox_ = new QCheckBox(QStringLiteral("Error"), this);
  errorBox_->setObjectName(QStringLiteral("ErrorBox"));
  warningBox_ = new QCheckBox(QStringLiteral("Warning"), this);
  warningBox_->setObjectName(QStringLiteral("WarningBox"));
  infoBox_ = new QCheckBox(QStringLiteral("Info"), this);
  infoBox_->setObjectName(QStringLiteral("InfoBox"));
  for (QCheckBox* box : {errorBox_, warningBox_, infoBox_}) box->setChecked(true);

  view_ = new QPlainTextEdit(this);
  view_->setObjectName(QStringLiteral("textEdit"));
  view_->setReadOnly(true);
  view_->setUndoRedoEnabled(false);
  view_->setLineWrapMode(QPlainTextEdit::NoWrap);
  // The indentation by process level is a few tabs: keep each one narrow.
  view_->setTabStopDistance(view_->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);

  auto* bar = new QHBoxLayout;
  bar->addWidget(title);
  bar->addWidget(clear);
  bar->addStretch(1);
  bar->addWidget(display);
  bar->addWidget(errorBox_);
  bar->addWidget(warningBox_);
  bar->addWidget(infoBox_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(view_);

  flushTimer_ = new QTimer(this);
  flushTimer_->setSingleShot(true);
  connect(flushTimer_, &QTimer::timeout, this, [this] {
    write(lines_.take(kLinesPerTurn));
    if (lines_.hasPending()) flushTimer_->start(0);
  });

  QMetaObject::connectSlotsByName(this);
}

void TextTerminal::setState(int state) {
  if (state != 0) return;
  on_ClearButton_clicked();
  lines_.setAllFilters(true);
  for (QCheckBox* box : {errorBox_, warningBox_, infoBox_}) box->setChecked(true);
}

QString TextTerminal::plainText() {
  flush();
  return view_->toPlainText();
}

void TextTerminal::flush() {
  flushTimer_->stop();
  if (lines_.hasPending()) write(lines_.take());
}

void TextTerminal::write(const QVector<TerminalLines::Line>& lines) {
  // Lines that would fall off the top at once are not written at all.
  const int first = std::max(0, lines.size() - kMaxLines);
  QTextDocument* document = view_->document();
  QTextCursor cursor(document);
  cursor.beginEditBlock();
  if (first > 0) document->clear();
  cursor.setPosition(document->characterCount() - 1);
  bool empty = document->isEmpty();
  // One insert per run of lines of one colour; each line is its own block so that the cap counts
  // lines.
  QString run;
  for (int i = first; i < lines.size(); ++i) {
    if (!empty) run += QChar::ParagraphSeparator;
    empty = false;
    run += lines[i].text;
    if (i + 1 == lines.size() || lines[i + 1].kind != lines[i].kind) {
      QTextCharFormat format;
      format.setForeground(TerminalLines::colour(lines[i].kind));
      cursor.insertText(run, format);
      run.clear();
    }
  }
  // The document's own block cap walks the removed blocks one by one and lays each out; removing
  // them as one selection does not.
  const int excess = document->blockCount() - kMaxLines;
  if (excess > 0) {
    QTextCursor top(document);
    top.setPosition(document->findBlockByNumber(excess).position(), QTextCursor::KeepAnchor);
    top.removeSelectedText();
  }
  cursor.endEditBlock();
  view_->moveCursor(QTextCursor::End);
}

void TextTerminal::append(TerminalLines::Kind kind, const QString& msg, int process) {
  if (lines_.add(kind, msg, process) && !flushTimer_->isActive()) flushTimer_->start(kFlushIntervalMs);
}

void TextTerminal::on_errorMsg(QString msg, int process) { append(TerminalLines::Error, msg, process); }
void TextTerminal::on_warningMsg(QString msg, int process) { append(TerminalLines::Warning, msg, process); }
void TextTerminal::on_infoMsg(QString msg, int process) { append(TerminalLines::Info, msg, process); }
void TextTerminal::on_addLine(QString msg, int process) { append(TerminalLines::Info, msg, process); }

void TextTerminal::on_InfoBox_clicked(bool checked) { lines_.setFilter(TerminalLines::Info, checked); }
void TextTerminal::on_WarningBox_clicked(bool checked) { lines_.setFilter(TerminalLines::Warning, checked); }
void TextTerminal::on_ErrorBox_clicked(bool checked) { lines_.setFilter(TerminalLines::Error, checked); }

void TextTerminal::on_ClearButton_clicked() {
  lines_.clearPending();
  flushTimer_->stop();
  view_->clear();
}

void TextTerminal::on_startedModule(int step) {
  const int index = vx::steps::stepOfMessageStep(step);
  module_ = vx::steps::isStep(index) ? QString::fromUtf8(vx::steps::stepName(static_cast<vx::steps::Steps>(index)))
                                     : QString::number(step);
}

void TextTerminal::on_finishedModule(int) {}
