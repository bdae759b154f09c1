#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "project/ProjectImages.h"

class QObject;

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

// What else the editor reads of an opened project (its current resources), with what could not
// be read added to `problems`, each naming its file.
using ProjectReader = std::function<QStringList(const vx::VEXAProject& project, QStringList* problems)>;

// An opened project, what `ProjectReader` read from it, and its camera stations.
struct OpenedProject {
  std::shared_ptr<vx::VEXAProject> project;  // empty when opening failed or was declined
  QStringList resources;
  QStringList problems;
  ProjectImages images;
};

// Opens a project file: checks the folder's structure (updating it when the operator agrees),
// creates the project for the file's folder, loads its settings and runs `read` on it. Every file
// is read on the global thread pool, so the window stays responsive; `ui` and `done` are called on
// the thread of `context`, `done` once with the outcome. A failure ends without a project, after
// a message through `ui.critical` (none when the operator declined the update). Nothing is called
// once `context` is gone. Only the existence of `file` is checked at once, so a missing file is
// reported before this returns.
void openProjectInBackground(const QString& file, const ProjectOpenerUi& ui, ProjectReader read,
                             QObject* context, std::function<void(OpenedProject)> done);

}  // namespace qvx
