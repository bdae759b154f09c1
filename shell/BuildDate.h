#pragma once

#include <QString>

namespace qvx {

// Turns the compiler's date string ("Apr 29 2020", "Dec  6 2026") into "yyyy-MM-dd"; an
// unparsable date gives an empty string.
QString formatBuildDate(const QString& compilerDate);

}  // namespace qvx
