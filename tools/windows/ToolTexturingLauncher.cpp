#include "tools/windows/ToolTexturingLauncher.h"

#include <QDir>
#include <QWidget>

#include "dialogs/MessageDialogs.h"
#include "me/Application.h"
#include "project/Layout.h"
#include "tools/frames/ModifiedTilesListFile.h"
#include "tools/inputs/DataInputField.h"
#include "tools/windows/ToolTexturing.h"
#include "vx/VEXAProject.h"

namespace qvx {
namespace tool {

namespace {
const QString kModifiedTilesListName = QStringLiteral("mesheditor_modifiedTilesList.txt");
}  // namespace

ToolTexturingLauncher::ToolTexturingLauncher(QWidget* parentWindow)
    : QObject(parentWindow), m_parentWindow(parentWindow) {}

ToolTexturing* ToolTexturingLauncher::tool() const { return m_tool; }

ToolTexturing* ToolTexturingLauncher::open(const std::shared_ptr<vx::VEXAProject>& project) {
  if (!project) return nullptr;
  if (m_tool && m_tool->state() == ToolTexturing::Running) {
    m_tool->raise();
    m_tool->activateWindow();
    return m_tool;
  }
  delete m_tool;
  const QString temporary = QDir(layout::projectPath(*project, layout::EditorDir)).filePath("tmp");
  auto application = std::make_shared<vx::me::Application>();
  application->getTemporaryFilesController().setTemporaryFolderName(temporary.toStdString());
  // The tool does not exist yet when its tile source is made; the source asks its field later.
  auto listField = std::make_shared<QPointer<DataInputField>>();
  auto tiles =
      std::make_shared<ModifiedTilesListFile>([listField] { return *listField ? (*listField)->value() : QString(); });
  m_tool = new ToolTexturing(application, tiles, m_parentWindow);
  *listField = m_tool->input3dField();
  m_tool->setAttribute(Qt::WA_DeleteOnClose);
  m_tool->resize(1100, 700);
  m_tool->adoptSettings(*project);
  m_tool->input3dField()->setData(QDir(temporary).filePath(kModifiedTilesListName));
  // Only a version this run added is undone: a run that failed before adding one leaves the
  // versions of earlier runs alone.
  auto versionAtStart = std::make_shared<int>(0);
  connect(m_tool, &ToolBase::signal_processingStart, m_tool, [application, versionAtStart] {
    *versionAtStart = application->getTemporaryFilesController().currentVersion();
  });
  connect(m_tool, &ToolTexturing::signal_texturingFinished, m_tool, [application, versionAtStart](int result) {
    if (result == 0 || application->getTemporaryFilesController().currentVersion() <= *versionAtStart) return;
    try {
      application->getVersionController().undo();
    } catch (const std::exception& error) {
      qvx::criticalBox(QString::fromUtf8(error.what()));
    }
  });
  m_tool->show();
  return m_tool;
}

}  // namespace tool
}  // namespace qvx
