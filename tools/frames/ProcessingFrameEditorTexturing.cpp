#include "tools/frames/ProcessingFrameEditorTexturing.h"

#include <QDebug>
#include <QDir>

#include <stdexcept>

#include "dialogs/MessageDialogs.h"
#include "me/Application.h"
#include "tools/frames/ModifiedTilesSource.h"
#include "tools/frames/ModuleArguments.h"
#include "tools/frames/ProjectAreaCheck.h"
#include "vx/AtomicFile.h"
#include "vx/Steps.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

namespace qvx {
namespace tool {

namespace {

const QString kDsmMeshQuestion = QStringLiteral(
    "VEXA is able to improve texture quality at the borders of DSM meshes. This feature should not be used for 3D "
    "meshes though.\n\nIs the mesh you are currently editing a DSM Mesh?");
const QString kTexturingListName = QStringLiteral("mesheditor_texturingList.txt");

// The texturing finds a tile's files from its root file name alone.
bool hasFolderPart(const QString& fileName) { return fileName.contains('/') || fileName.contains('\\'); }

}  // namespace

ProcessingFrameEditorTexturing::ProcessingFrameEditorTexturing(std::shared_ptr<vx::me::Application> application,
                                                               std::shared_ptr<ModifiedTilesSource> tiles,
                                                               QWidget* parent)
    : ProcessingFrame(tr("Texturing"), parent), m_application(std::move(application)), m_tiles(std::move(tiles)) {}

int ProcessingFrameEditorTexturing::processingStep() const {
  return m_dsmMesh ? vx::steps::DSMMeshTexturing : vx::steps::MeshTexturing;
}

void ProcessingFrameEditorTexturing::checkInputs() {
  if (m_orientation.filePath().isEmpty() || m_images.filePath().isEmpty())
    throw std::runtime_error("Ori and img paths are required for texturing.");
  m_dsmMesh = qvx::yesNoQuestion(kDsmMeshQuestion) == QMessageBox::Yes;
  if (!project()) return;
  project()->setStepActive(vx::steps::MeshTexturing, !m_dsmMesh);
  project()->setStepActive(vx::steps::DSMMeshTexturing, m_dsmMesh);
}

bool ProcessingFrameEditorTexturing::prepareTiles() {
  auto& temporaryFiles = m_application->getTemporaryFilesController();
  std::vector<ModifiedTile> tiles;
  try {
    tiles = m_tiles->modifiedTiles();
    std::vector<std::string> rootPaths;
    for (const ModifiedTile& tile : tiles)
      if (!tile.rootPath.isEmpty()) rootPaths.push_back(tile.rootPath.toStdString());
    m_application->getVersionController().addNewVersion();
    temporaryFiles.duplicateTilesToCurrentVersion(rootPaths);
  } catch (const std::exception& error) {
    qvx::criticalBox(QString::fromUtf8(error.what()));
    return false;
  }

  QString list;
  bool leftOut = false;
  for (const ModifiedTile& tile : tiles) {
    if (tile.nodeFileName.isEmpty() || tile.rootPath.isEmpty()) {
      leftOut = true;
      continue;
    }
    if (hasFolderPart(tile.nodeFileName)) {
      qvx::warningBox("Tile \"" + tile.name + "\" has incompatible name for texturing: \"" + tile.nodeFileName + "\".");
      leftOut = true;
      continue;
    }
    list += QDir(tile.rootPath).filePath(tile.nodeFileName) + '\n';
  }
  if (leftOut)
    qvx::warningBox(
        "Not all tiles that require retexturing could be prepared for retexturing. Continuing with all other tiles.");

  const QString listFile =
      QDir(QString::fromStdString(temporaryFiles.getTemporaryFolderName())).filePath(kTexturingListName);
  try {
    vx::writeFileAtomically(listFile.toStdString(), list.toStdString());
  } catch (const std::exception& error) {
    qvx::criticalBox(QString::fromUtf8(error.what()));
    return false;
  }
  m_texturingListFile = listFile;
  return true;
}

void ProcessingFrameEditorTexturing::start() {
  if (!isChecked()) {
    finishAtOnce(0);
    return;
  }
  qDebug(m_dsmMesh ? "RUN DSM MESH TEXTURING" : "RUN 3D MESH TEXTURING");
  ensureEngineAndProject();
  const bool prepared = prepareTiles();
  if (!checkProjectArea(*project()) || !prepared) {
    colourFinished(false);
    finishAtOnce(1);
    return;
  }
  // The run writes its own files (log, lists) into the session's temporary folder, not the project.
  vx::VEXAProject& run = *project();
  if (run.setOutputFolder(m_application->getTemporaryFilesController().getTemporaryFolderName(), 0, 0) != 0) {
    qvx::criticalBox("Cannot use the temporary folder " +
                     QString::fromStdString(m_application->getTemporaryFilesController().getTemporaryFolderName()));
    colourFinished(false);
    finishAtOnce(1);
    return;
  }
  // Only the listed tiles are textured, from scratch, whatever an earlier run left as done.
  run.setModeValue(0);
  run.setStepStatus(vx::steps::Steps(processingStep()), vx::steps::NotStarted);
  startJob([engine = engine(), project = project(), list = m_texturingListFile.toStdString(), dsmMesh = m_dsmMesh,
            orientation = enginePath(m_orientation), images = enginePath(m_images),
            folder = project()->projectFolderUtf8(), log = moduleLogFile(*project())] {
    return engine->texturing(list, dsmMesh, orientation, images, folder, *project, log);
  });
}

}  // namespace tool
}  // namespace qvx
