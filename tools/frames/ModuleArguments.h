#pragma once

#include <QFileInfo>

#include <string>

namespace vx {
class VEXAProject;
}

namespace qvx {
namespace tool {

// The engine's form of an input path: absolute, UTF-8; empty for an empty input.
std::string enginePath(const QFileInfo& input);

// The project log inside the project's folder, UTF-8. Creates its folder, so that the engine can
// append to the log of a fresh output folder.
std::string moduleLogFile(const vx::VEXAProject& project);

}  // namespace tool
}  // namespace qvx
