#pragma once

// The project's settings in Project.vpr, driven by the settings table.

#include "ProjectReader.h"
#include "vx/ProjectSettings.h"

namespace vx {
namespace detail {

void writeSettings(ptree& root, const ProjectSettings& settings);
// Absent elements take their defaults; a value of the wrong kind or one the setting's check
// refuses fails with the element's name.
ProjectSettings readSettings(const ProjectReader& reader);

}  // namespace detail
}  // namespace vx
