#include "tools/run/TerminalLines.h"

#include <QDir>

#include <algorithm>

QColor TerminalLines::colour(Kind kind) {
  switch (kind) {
    case Error:
      return QColor(Qt::red);
    case Warning:
      return QColor(255, 140, 0);
    case Info:
      break;
  }
  return QColor(Qt::black);
}

int TerminalLines::indentation(int process) {
  const int divisors[] = {1000, 100, 10};
  int tabs = 0;
  for (int divisor : divisors) {
    if (process % divisor == 0) return tabs;
    ++tabs;
  }
  return tabs;
}

QString TerminalLines::format(const QString& msg, int process) {
  return QStringLiteral(">>\t") + QString(indentation(process), QLatin1Char('\t')) + QDir::toNativeSeparators(msg);
}

void TerminalLines::setAllFilters(bool on) {
  for (bool& filter : filters_) filter = on;
}

bool TerminalLines::add(Kind kind, const QString& msg, int process) {
  if (!filters_[kind]) return false;
  pending_.push_back(Line{kind, format(msg, process)});
  if (pending_.size() > std::size_t(kMaxLines)) pending_.pop_front();
  return true;
}

QVector<TerminalLines::Line> TerminalLines::take(int count) {
  QVector<Line> lines;
  const int taken = std::min(count, int(pending_.size()));
  lines.reserve(taken);
  for (int i = 0; i < taken; ++i) {
    lines.append(std::move(pending_.front()));
    pending_.pop_front();
  }
  return lines;
}
