#pragma once

#include <QDateTime>
#include <QString>

namespace qvx {

// The screenshot file meant by what the user typed: nothing for an empty text; a time-stamped
// "Screenshot_yy-MM-dd-hh-mm-ss.bmp" inside an existing folder; beside an existing file that is
// not a BMP, a BMP of the same complete base name; anything else as typed.
QString screenshotFileFor(const QString& typed, const QDateTime& now);

}  // namespace qvx
