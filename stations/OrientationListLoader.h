#pragma once

#include <functional>

#include <QObject>
#include <QString>
#include <QStringList>

#include "project/ProjectImages.h"

namespace qvx {
namespace osgcam {

struct OrientationListRead {
  ProjectImages images;  // every entry selected, no topology
  // One text per entry that could not be read, naming the list, line and file (the first 20,
  // then one line with the count of the others), or the one reason the list itself was refused.
  QStringList errors;
};

// Reads an orientation list through the core's list reader (format and limits there): a bad entry
// is reported and skipped; the others are kept.
//
// Photo lookup for a bare list: the image name beside the list, else in ../Images/Color relative to
// the list's folder (the project layout, for a list in the project's Lists folder). When neither
// exists the path beside the list is kept, so that the message on opening names a file.
OrientationListRead readOrientationListEntries(const QString& listPath);

// The same on the global thread pool; `done` runs on `context`'s thread when the read has ended,
// and not at all when `context` is gone by then.
void loadOrientationListInBackground(const QString& listPath, QObject* context,
                                     std::function<void(const OrientationListRead&)> done);

}  // namespace osgcam
}  // namespace qvx
