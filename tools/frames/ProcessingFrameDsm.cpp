#include "tools/frames/ProcessingFrameDsm.h"

#include <QDebug>

#include "tools/frames/ModuleArguments.h"
#include "tools/frames/ProjectAreaCheck.h"
#include "vx/Steps.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

namespace qvx {
namespace tool {

ProcessingFrameDsm::ProcessingFrameDsm(QWidget* parent) : ProcessingFrame(tr("DSM"), parent) {}

int ProcessingFrameDsm::processingStep() const { return vx::steps::DSM; }

void ProcessingFrameDsm::slot_configButtonClicked() { emit signal_showParameters(1710); }

void ProcessingFrameDsm::start() {
  if (!isChecked()) {
    finishAtOnce(0);
    return;
  }
  qDebug("RUN DSM PROCESSING");
  ensureEngineAndProject();
  const bool hasCorrection = QFileInfo(m_correctionShapefile.absoluteFilePath()).isFile();
  const std::string correction = hasCorrection ? enginePath(m_correctionShapefile) : std::string();
  startJob([engine = engine(), project = project(), input3d = enginePath(m_input3d),
            folder = project()->projectFolderUtf8(), log = moduleLogFile(*project()), correction] {
    return engine->dsm(input3d, folder, *project, log, correction);
  });
}

void ProcessingFrameDsm::onSucceeded() { checkProjectArea(*project()); }

}  // namespace tool
}  // namespace qvx
