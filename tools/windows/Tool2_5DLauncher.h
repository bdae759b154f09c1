#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

namespace vx {
class VEXAProject;
}

namespace qvx {
namespace tool {

class Tool2_5D;

// Opens the 2.5D tool on a project: one tool window at a time, a window of `parentWindow`.
class Tool2_5DLauncher : public QObject {
  Q_OBJECT

 public:
  explicit Tool2_5DLauncher(QWidget* parentWindow);

  // Shows a new tool with the project's settings and paths (its output a dated folder inside the
  // project); the previous tool goes, unless it is still running, when it is only brought to the
  // front. Nothing without a project.
  Tool2_5D* open(const std::shared_ptr<vx::VEXAProject>& project);
  Tool2_5D* tool() const;

 private:
  QWidget* m_parentWindow;
  QPointer<Tool2_5D> m_tool;
};

}  // namespace tool
}  // namespace qvx
