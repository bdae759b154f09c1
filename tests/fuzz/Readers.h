#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace fuzz {

// What a reader made of an input. A crash or a hang is seen only by the parent process.
enum class Outcome { Accepted, Rejected };

// One reader of the editor and the corpus files whose mutations it is fed. Paths are relative to
// the corpus folder; a mutated seed replaces the file at the same place in a copy of the corpus,
// and the reader is given `entry` (the replaced file itself when empty).
struct Reader {
  QString name;
  QStringList seeds;
  QString entry;
  Outcome (*read)(const QString& entryPath);
};

// All readers, in the order of the report.
const std::vector<Reader>& readers();
// Null when there is no reader of that name.
const Reader* findReader(const QString& name);

}  // namespace fuzz
