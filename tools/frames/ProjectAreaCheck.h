#pragma once

#include <QString>

namespace vx {
class VEXAProject;
}

namespace qvx {
namespace tool {

// What the operator reads when a module needs a project area and the project has none.
extern const QString kNoProjectAreaMessage;

// A project has an area when the operator set one (axes by hand or an area shapefile) or the
// analysis took it from the images' footprints.
bool hasProjectArea(const vx::VEXAProject& project);

// Shows kNoProjectAreaMessage in the error dialog when the project has no area; true when it has one.
bool checkProjectArea(const vx::VEXAProject& project);

}  // namespace tool
}  // namespace qvx
