#include "tools/frames/ProjectAreaCheck.h"

#include "dialogs/MessageDialogs.h"
#include "vx/VEXAProject.h"

namespace qvx {
namespace tool {

const QString kNoProjectAreaMessage = QStringLiteral("Error: Please specify a project area.");

bool hasProjectArea(const vx::VEXAProject& project) {
  return project.hasManualArea() || project.hasAreaShapefile() || project.hasImageFootprintArea();
}

bool checkProjectArea(const vx::VEXAProject& project) {
  if (hasProjectArea(project)) return true;
  qvx::criticalBox(kNoProjectAreaMessage);
  return false;
}

}  // namespace tool
}  // namespace qvx
