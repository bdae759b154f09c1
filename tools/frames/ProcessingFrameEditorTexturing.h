#pragma once

#include <memory>

#include "tools/ProcessingFrame.h"

namespace vx {
namespace me {
class Application;
}
}  // namespace vx

namespace qvx {
namespace tool {

class ModifiedTilesSource;

// Retextures the tiles the operator edited, in place. Before the run the tiles are duplicated
// into a new version of the editing session, so that a failed run can be undone.
class ProcessingFrameEditorTexturing : public ProcessingFrame {
  Q_OBJECT

 public:
  ProcessingFrameEditorTexturing(std::shared_ptr<vx::me::Application> application,
                                 std::shared_ptr<ModifiedTilesSource> tiles, QWidget* parent = nullptr);

  // Needs the orientation and image paths, then asks whether the mesh is a DSM mesh and switches
  // the project's texturing steps to match.
  void checkInputs() override;
  // Prepares the tiles; without a project area the row ends with 1 and starts nothing.
  void start() override;
  int processingStep() const override;
  bool isDsmMesh() const { return m_dsmMesh; }
  // The list of tile root files handed to the texturing, once the tiles are prepared.
  const QString& texturingListFile() const { return m_texturingListFile; }

 private:
  // Duplicates the modified tiles into a new version and writes the list of the tiles that can be
  // textured; false, after telling why, when that could not be done.
  bool prepareTiles();

  std::shared_ptr<vx::me::Application> m_application;
  std::shared_ptr<ModifiedTilesSource> m_tiles;
  bool m_dsmMesh = false;
  QString m_texturingListFile;
};

}  // namespace tool
}  // namespace qvx
