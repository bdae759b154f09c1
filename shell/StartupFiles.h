#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace qvx {

// What the main window does with a file named at start.
enum class StartupAction {
  OrientationList,  // load into the camera stations
  Project,          // open as a project
  Mesh              // load as a mesh resource
};

// The three independent tests on `path` exactly as given, in this order: an existing file with
// suffix "txt" is an orientation list, an existing file with suffix "vpr" is a project, and a
// suffix listed in `meshExtensions` is a mesh whether or not the file exists (the loader
// reports a missing one). Suffixes are compared case-sensitively. Empty for anything else.
QList<StartupAction> startupActionsFor(const QString& path, const QStringList& meshExtensions);

}  // namespace qvx
