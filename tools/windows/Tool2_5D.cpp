#include "tools/windows/Tool2_5D.h"

#include <QDir>

#include "project/Layout.h"
#include "tools/frames/ProcessingFrameDsm.h"
#include "tools/frames/ProcessingFrameDsmMesh.h"
#include "tools/frames/ProcessingFrameDsmMeshTexturing.h"
#include "tools/frames/ProcessingFrameTrueOrtho.h"
#include "tools/inputs/DataInputField.h"
#include "tools/inputs/DataInputFolder.h"

namespace qvx {
namespace tool {

Tool2_5D::Tool2_5D(QWidget* parent)
    : ToolBaseModuleWorkflow(parent, true),
      m_dsm(std::make_shared<ProcessingFrameDsm>()),
      m_trueOrtho(std::make_shared<ProcessingFrameTrueOrtho>()),
      m_dsmMesh(std::make_shared<ProcessingFrameDsmMesh>()),
      m_dsmMeshTexturing(std::make_shared<ProcessingFrameDsmMeshTexturing>()) {
  m_prefix = QStringLiteral("VEXA_2_5_D-");
  m_helpUrl = QUrl(QStringLiteral("https://docs.zentrik.example/vexa-editor/tools/2.5d-tool"));
  setWindowTitle(tr("VEXA 2.5D Tool"));
  addModule(m_dsm);
  addModule(m_trueOrtho);
  addModule(m_dsmMesh);
  addModule(m_dsmMeshTexturing);
  adoptSettings(*m_project);
}

void Tool2_5D::prepareRun() {
  for (DataInputField* field : {orientationField(), imagesField(), input3dField(), lidarField(), correctionField()})
    field->validateForRun();
}

void Tool2_5D::setupModule(ModuleList::iterator it) {
  ToolBaseModuleWorkflow::setupModule(it);
  if (it == m_modules.end()) return;
  const QString output = outputFolderPath();
  const QString orientation = orientationField()->value();
  const QString images = imagesField()->value();
  const auto list = [&output](const std::wstring& file) { return QDir(output).filePath(QString::fromStdWString(file)); };
  ProcessingFrame* row = it->get();
  if (row == m_dsm.get()) {
    row->setInputs(input3dField()->value(), orientation, images, output, correctionField()->value());
  } else if (row == m_dsmMeshTexturing.get()) {
    row->setInputs(list(layout::DsmMeshUntexturedListFile), orientation, images, output, QString());
  } else {
    row->setInputs(list(layout::DsmExtendedListFile), orientation, images, output, QString());
  }
}

}  // namespace tool
}  // namespace qvx
