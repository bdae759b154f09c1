#pragma once

#include <QFileInfo>
#include <QStringList>

namespace qvx {
namespace tool {

// Throws std::runtime_error(`message`) unless `folder` names an existing folder.
void requireFolder(const QFileInfo& folder, const QString& message);

// The names of `lists` that are no file in `folder`, in the order given.
QStringList missingLists(const QFileInfo& folder, const QStringList& lists);

}  // namespace tool
}  // namespace qvx
