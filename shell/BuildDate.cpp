#include "shell/BuildDate.h"

#include <QDate>
#include <QLocale>

namespace qvx {

QString formatBuildDate(const QString& compilerDate) {
  const QDate date = QLocale::c().toDate(compilerDate.simplified(), QStringLiteral("MMM d yyyy"));
  return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

}  // namespace qvx
