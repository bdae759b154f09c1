#pragma once

// The terminal's rules without the widget: which lines pass the filters, how a line is indented
// and coloured, and the lines waiting to be written, in arrival order.

#include <QColor>
#include <QString>
#include <QVector>

#include <deque>

class TerminalLines {
 public:
  // The terminal shows the newest lines only; older ones fall off the top, and lines waiting
  // beyond this many would fall off at once. A run's log stays complete in the project's log file.
  static constexpr int kMaxLines = 20000;

  enum Kind { Error, Warning, Info };
  struct Line {
    Kind kind;
    QString text;
  };

  static QColor colour(Kind kind);
  // ">>\t", one tab per level below the thousands of the process code, the text with native
  // separators.
  static QString format(const QString& msg, int process);
  // 0 tabs for a multiple of 1000, 1 for 100, 2 for 10, else 3.
  static int indentation(int process);

  bool filter(Kind kind) const { return filters_[kind]; }
  void setFilter(Kind kind, bool on) { filters_[kind] = on; }
  void setAllFilters(bool on);

  // Queues the line when its filter is on; returns whether it was queued. Of the waiting lines the
  // newest kMaxLines are kept.
  bool add(Kind kind, const QString& msg, int process);
  // The oldest `count` waiting lines (all, by default).
  QVector<Line> take(int count = kMaxLines);
  bool hasPending() const { return !pending_.empty(); }
  void clearPending() { pending_.clear(); }

 private:
  bool filters_[3] = {true, true, true};
  std::deque<Line> pending_;
};
