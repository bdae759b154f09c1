#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

namespace vx {
class VEXAProject;
}

namespace qvx {
namespace tool {

class ToolTexturing;

// Opens the texturing tool on a project: one tool window at a time, a window of `parentWindow`.
class ToolTexturingLauncher : public QObject {
  Q_OBJECT

 public:
  explicit ToolTexturingLauncher(QWidget* parentWindow);

  // Shows a new tool with the project's settings, an editing session whose temporary folder is the
  // project's Internal/Editor/tmp, and the tiles that the tool's "Modified Tiles List" names
  // (proposed: the session's mesheditor_modifiedTilesList.txt when there is one). A failed
  // texturing is undone. The previous tool goes, unless it still runs, when it is only brought to
  // the front. Nothing without a project.
  ToolTexturing* open(const std::shared_ptr<vx::VEXAProject>& project);
  ToolTexturing* tool() const;

 private:
  QWidget* m_parentWindow;
  QPointer<ToolTexturing> m_tool;
};

}  // namespace tool
}  // namespace qvx
