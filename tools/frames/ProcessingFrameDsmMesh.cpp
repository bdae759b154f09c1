#include "tools/frames/ProcessingFrameDsmMesh.h"

#include <QDebug>

#include "tools/frames/ModuleArguments.h"
#include "vx/Steps.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

namespace qvx {
namespace tool {

ProcessingFrameDsmMesh::ProcessingFrameDsmMesh(QWidget* parent) : ProcessingFrame(tr("Dsm Mesh"), parent) {}

int ProcessingFrameDsmMesh::processingStep() const { return vx::steps::DSMMesh; }

void ProcessingFrameDsmMesh::slot_configButtonClicked() { emit signal_showParameters(1740); }

void ProcessingFrameDsmMesh::start() {
  if (!isChecked()) {
    finishAtOnce(0);
    return;
  }
  qDebug("RUN DSM MESH");
  ensureEngineAndProject();
  startJob([engine = engine(), project = project(), input3d = enginePath(m_input3d),
            folder = project()->projectFolderUtf8(), log = moduleLogFile(*project())] {
    return engine->dsmMesh(input3d, folder, *project, log);
  });
}

}  // namespace tool
}  // namespace qvx
