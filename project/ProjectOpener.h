#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace vx {
class VEXAProject;
}

namespace qvx {

// The questions and messages of opening a project; the central widget wires them to its dialogs.
struct ProjectOpenerUi {
  // OK/Cancel question; true means OK.
  std::function<bool(const QString& question)> askUpdate;
  std::function<void(const QString& message)> critical;
};

// Opens a project file: checks the folder's structure (updating it when the operator agrees),
// creates the project for the file's folder and loads its settings. Empty on any failure, after
// a message through `ui.critical` (none when the operator declined the update).
std::shared_ptr<vx::VEXAProject> openProjectFile(const QString& file, const ProjectOpenerUi& ui);

}  // namespace qvx
