#include "tools/frames/ProcessingFrameLodUpdate.h"

#include <QDebug>

#include <string>
#include <vector>

#include "me/Application.h"
#include "tools/frames/ModifiedTilesListFile.h"

namespace qvx {
namespace tool {

ProcessingFrameLodUpdate::ProcessingFrameLodUpdate(std::shared_ptr<vx::me::Application> application, QWidget* parent)
    : ProcessingFrame(tr("LOD Update"), parent), m_application(std::move(application)) {}

void ProcessingFrameLodUpdate::start() {
  if (!isChecked()) {
    finishAtOnce(0);
    return;
  }
  qDebug("RUN LOD Update");
  std::vector<std::string> tilePaths;
  try {
    for (const ModifiedTile& tile : readTileList(m_input3d.filePath()))
      tilePaths.push_back(tileRootFile(tile).toStdString());
  } catch (const std::exception& error) {
    emit signal_error(QString::fromUtf8(error.what()));
    colourFinished(false);
    finishAtOnce(1);
    return;
  }
  emit signal_lodUpdateStarted();
  startJob([application = m_application, tilePaths] {
    return application->getUpdateLODsController().updateLODs(tilePaths);
  });
}

}  // namespace tool
}  // namespace qvx
