#pragma once

#include <QString>
#include <QStringList>

namespace qvx {

// The suffixes (without the dot, compared case-sensitively) of the mesh files the editor reads.
// Start-up, drop, the resource tree and the open dialogs all take this one list.
const QStringList& meshSuffixes();

// The open dialogs' filter: every suffix of meshSuffixes() under "All supported", then each alone.
QString meshFileDialogFilter();

}  // namespace qvx
