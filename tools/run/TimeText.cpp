#include "tools/run/TimeText.h"

QString timeText(qint64 seconds) {
  if (seconds < 0) return QStringLiteral("--:--:--");
  const qint64 hours = seconds / 3600;
  const qint64 minutes = (seconds / 60) % 60;
  return QStringLiteral("%1:%2:%3")
      .arg(hours, 2, 10, QLatin1Char('0'))
      .arg(minutes, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
