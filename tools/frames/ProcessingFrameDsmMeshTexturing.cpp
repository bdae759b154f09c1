#include "tools/frames/ProcessingFrameDsmMeshTexturing.h"

#include <QDebug>

#include <stdexcept>

#include "project/Layout.h"
#include "tools/frames/InputListChecks.h"
#include "tools/frames/ModuleArguments.h"
#include "tools/frames/ProjectAreaCheck.h"
#include "vx/Steps.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

namespace qvx {
namespace tool {

namespace {

QStringList names(std::initializer_list<std::wstring> lists) {
  QStringList result;
  for (const std::wstring& list : lists) result << QString::fromStdWString(list);
  return result;
}

QString listing(const QString& intro, const QStringList& lists) {
  QString text = intro;
  for (const QString& list : lists) text += list + '\n';
  return text;
}

}  // namespace

ProcessingFrameDsmMeshTexturing::ProcessingFrameDsmMeshTexturing(QWidget* parent)
    : ProcessingFrame(tr("Dsm Mesh Texturing"), parent) {}

int ProcessingFrameDsmMeshTexturing::processingStep() const { return vx::steps::DSMMeshTexturing; }

void ProcessingFrameDsmMeshTexturing::slot_configButtonClicked() { emit signal_showParameters(1750); }

void ProcessingFrameDsmMeshTexturing::checkInputs() {
  requireFolder(m_orientation, QStringLiteral("Orientation input must be a folder."));
  const QStringList missingOrientations =
      missingLists(m_orientation, names({layout::OrientationIter0ListName, layout::OrientationIter1ListName,
                                         layout::OrientationIter2ListName}));
  requireFolder(m_images, QStringLiteral("Image input must be a folder."));
  const QStringList missingImages = missingLists(
      m_images, names({layout::ImageColorIter0ListName, layout::ImageColorIter1ListName, layout::ImageColorIter2ListName}));
  if (!missingOrientations.isEmpty())
    throw std::runtime_error(
        listing("The passed orientation folder does not contain the following lists:\n", missingOrientations)
            .toStdString());
  if (!missingImages.isEmpty())
    throw std::runtime_error(
        listing("The passed image folder does not contain the following lists:\n", missingImages).toStdString());
}

void ProcessingFrameDsmMeshTexturing::start() {
  if (!isChecked()) {
    finishAtOnce(0);
    return;
  }
  qDebug("RUN DSM MESH TEXTURING");
  ensureEngineAndProject();
  if (!checkProjectArea(*project())) {
    colourFinished(false);
    finishAtOnce(1);
    return;
  }
  startJob([engine = engine(), project = project(), input3d = enginePath(m_input3d),
            orientation = enginePath(m_orientation), images = enginePath(m_images),
            folder = project()->projectFolderUtf8(), log = moduleLogFile(*project())] {
    return engine->texturing(input3d, true, orientation, images, folder, *project, log);
  });
}

}  // namespace tool
}  // namespace qvx
