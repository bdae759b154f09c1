#include "tools/frames/ProcessingFrameTrueOrtho.h"

#include <QDebug>

#include <stdexcept>

#include "project/Layout.h"
#include "tools/frames/InputListChecks.h"
#include "tools/frames/ModuleArguments.h"
#include "vx/Steps.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

namespace qvx {
namespace tool {

ProcessingFrameTrueOrtho::ProcessingFrameTrueOrtho(QWidget* parent) : ProcessingFrame(tr("True Ortho"), parent) {}

int ProcessingFrameTrueOrtho::processingStep() const { return vx::steps::TrueOrtho; }

void ProcessingFrameTrueOrtho::slot_configButtonClicked() { emit signal_showParameters(1720); }

void ProcessingFrameTrueOrtho::checkInputs() {
  const auto requireList = [](const QFileInfo& folder, const std::wstring& name, const char* what) {
    const QString list = QString::fromStdWString(name);
    if (!missingLists(folder, {list}).isEmpty())
      throw std::runtime_error(QString("The passed %1 folder does not contain the list %2").arg(what, list).toStdString());
  };
  requireFolder(m_orientation, QStringLiteral("Orientation input must be a folder."));
  requireList(m_orientation, layout::OrientationIter0ListName, "orientation");
  requireFolder(m_images, QStringLiteral("Image input must be a folder."));
  requireList(m_images, layout::ImageColorIter0ListName, "image");
}

void ProcessingFrameTrueOrtho::start() {
  if (!isChecked()) {
    finishAtOnce(0);
    return;
  }
  qDebug("RUN TRUE ORTHO");
  ensureEngineAndProject();
  startJob([engine = engine(), project = project(), input3d = enginePath(m_input3d),
            orientation = enginePath(m_orientation), images = enginePath(m_images),
            folder = project()->projectFolderUtf8(), log = moduleLogFile(*project())] {
    return engine->trueOrtho(input3d, orientation, images, folder, *project, log);
  });
}

}  // namespace tool
}  // namespace qvx
