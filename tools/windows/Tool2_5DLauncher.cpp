#include "tools/windows/Tool2_5DLauncher.h"

#include <QWidget>

#include "tools/windows/Tool2_5D.h"
#include "vx/VEXAProject.h"

namespace qvx {
namespace tool {

Tool2_5DLauncher::Tool2_5DLauncher(QWidget* parentWindow) : QObject(parentWindow), m_parentWindow(parentWindow) {}

Tool2_5D* Tool2_5DLauncher::tool() const { return m_tool; }

Tool2_5D* Tool2_5DLauncher::open(const std::shared_ptr<vx::VEXAProject>& project) {
  if (!project) return nullptr;
  if (m_tool && m_tool->state() == Tool2_5D::Running) {
    m_tool->raise();
    m_tool->activateWindow();
    return m_tool;
  }
  delete m_tool;
  m_tool = new Tool2_5D(m_parentWindow);
  m_tool->setAttribute(Qt::WA_DeleteOnClose);
  m_tool->resize(1100, 700);
  // The tool works on its own project: runs change neither the open project nor its file.
  m_tool->adoptSettings(*project);
  m_tool->show();
  return m_tool;
}

}  // namespace tool
}  // namespace qvx
