#include "tools/windows/ToolTexturing.h"

#include <QDir>
#include <QPushButton>

#include "me/Application.h"
#include "project/Layout.h"
#include "tools/forms/ControlFormViewer.h"
#include "tools/frames/ProcessingFrameEditorTexturing.h"
#include "tools/frames/ProcessingFrameLodUpdate.h"
#include "tools/inputs/DataInputField.h"
#include "tools/inputs/DataInputFolder.h"
#include "tools/run/ProgressMonitor.h"
#include "tools/run/TextTerminal.h"
#include "tools/run/VexaMsgInterface.h"
#include "vx/Status.h"
#include "vx/VEXAProject.h"

namespace qvx {
namespace tool {

namespace {
// The tool whose terminal the utility channel feeds: a tool going away unplugs only itself.
ToolTexturing* g_statusReceiver = nullptr;
}  // namespace

ToolTexturing::ToolTexturing(std::shared_ptr<vx::me::Application> application,
                             std::shared_ptr<ModifiedTilesSource> tiles, QWidget* parent)
    : ToolBaseModuleWorkflow(parent, false, FormSetting::TexturingTool),
      m_application(application),
      m_texturing(std::make_shared<ProcessingFrameEditorTexturing>(application, std::move(tiles))),
      m_lodUpdate(std::make_shared<ProcessingFrameLodUpdate>(application)) {
  m_prefix = QStringLiteral("VEXA_Retexturing-");
  m_helpUrl = QUrl(QStringLiteral("https://docs.zentrik.example/vexa-editor/tools/texturing-tool"));
  setWindowTitle(tr("VEXA Texturing Tool"));
  input3dField()->setLabel(tr("Modified Tiles List"));
  input3dField()->setToolTip(tr("Path to the list of modified tiles"));
  alignLabels({orientationField(), imagesField(), input3dField()});
  outputField()->hide();
  // No row of this tool reads a correction shapefile.
  correctionField()->hide();

  addModule(m_texturing);
  addModule(m_lodUpdate);
  for (ProcessingFrame* row :
       {static_cast<ProcessingFrame*>(m_texturing.get()), static_cast<ProcessingFrame*>(m_lodUpdate.get())})
    connect(row, &ProcessingFrame::signal_clicked, this, &ToolTexturing::slot_selectionChanged);
  connect(m_texturing.get(), &ProcessingFrame::signal_finished, this, &ToolTexturing::signal_texturingFinished);
  connect(m_lodUpdate.get(), &ProcessingFrameLodUpdate::signal_lodUpdateStarted, this,
          &ToolTexturing::slot_lodUpdateStarted);
  connect(m_lodUpdate.get(), &ProcessingFrame::signal_finished, this, &ToolTexturing::slot_lodUpdateFinished);
  connect(m_lodUpdate.get(), &ProcessingFrame::signal_error, m_terminal,
          [this](QString message) { m_terminal->on_errorMsg(message, 0); });
  // The LOD update reports through the utility library's channel, not through the engine.
  vx::utils::status::setStatusCallbackFunction(&VexaMsgInterface::callback, m_msgInterface.get());
  g_statusReceiver = this;
  slot_selectionChanged();
  adoptSettings(*m_project);
}

ToolTexturing::~ToolTexturing() { detachStatusCallback(); }

void ToolTexturing::initFromProject(std::shared_ptr<vx::VEXAProject> project) {
  const QString temporary =
      QString::fromStdString(m_application->getTemporaryFilesController().getTemporaryFolderName());
  if (!temporary.isEmpty() && QDir().mkpath(temporary)) {
    outputField()->setName(QString());
    outputField()->setData(temporary);
  }
  if (!project) return;
  parameterDialog()->bindProject(m_project);
  const QString folder = QString::fromStdWString(project->projectFolder());
  if (folder.isEmpty() || !QDir(folder).exists()) return;
  for (auto [field, relative] :
       {std::pair{orientationField(), layout::OrientationsDir}, std::pair{imagesField(), layout::ImagesColorDir}}) {
    const QString path = layout::projectPath(*project, relative);
    if (QFileInfo::exists(path)) field->setData(path);
  }
}

void ToolTexturing::prepareRun() { input3dField()->validateForRun(); }

void ToolTexturing::setInputsEnabled(const bool& enabled) {
  for (DataInputField* field :
       {orientationField(), imagesField(), input3dField(), static_cast<DataInputField*>(outputField())})
    field->setEnabled(enabled);
  if (enabled)
    parameterDialog()->slot_enable();
  else
    parameterDialog()->slot_disable();
}

void ToolTexturing::detachStatusCallback() {
  ToolBaseModuleWorkflow::detachStatusCallback();
  if (g_statusReceiver != this) return;
  vx::utils::status::setStatusCallbackFunction(nullptr);
  g_statusReceiver = nullptr;
}

void ToolTexturing::slot_selectionChanged() {
  if (m_texturing->isChecked()) {
    m_lodUpdate->setChecked(true);
    m_lodUpdate->setEnabled(false);
  } else {
    m_lodUpdate->setEnabled(true);
  }
}

void ToolTexturing::slot_lodUpdateStarted() {
  m_lodUpdateRunning = true;
  m_progressMonitor->startPauseButton()->setEnabled(false);
  m_terminal->on_infoMsg(tr("Starting LOD update for edited tiles, this might take a bit and can't be cancelled."), 0);
}

void ToolTexturing::slot_lodUpdateFinished(int) {
  // An unchecked row or a list that could not be read ends without an update.
  if (!m_lodUpdateRunning) return;
  m_lodUpdateRunning = false;
  m_progressMonitor->startPauseButton()->setEnabled(true);
  m_terminal->on_infoMsg(tr("Finished LOD update for edited tiles."), 0);
}

}  // namespace tool
}  // namespace qvx
