#pragma once

#include <QString>
#include <QStringList>

// Relative paths of all files below `folder`, sorted.
QStringList filesBelow(const QString& folder);

// Compares two folder trees file by file. In text files, each folder's own absolute path is
// replaced by a placeholder first, so that lists of absolute paths compare equal. Returns the
// relative paths that differ or exist on one side only.
QStringList differingFiles(const QString& folderA, const QString& folderB);
