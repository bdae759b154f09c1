#pragma once

// The terminal's rules without the widget: which lines pass the filters, how a line is indented
// and coloured, and the lines waiting to be written, in arrival order.

#include <QColor>
#include <QString>
#include <QVector>

class TerminalLines {
 public:
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

  // Queues the line when its filter is on; returns whether it was queued.
  bool add(Kind kind, const QString& msg, int process);
  QVector<Line> take();
  bool hasPending() const { return !pending_.isEmpty(); }
  void clearPending() { pending_.clear(); }

 private:
  bool filters_[3] = {true, true, true};
  QVector<Line> pending_;
};
