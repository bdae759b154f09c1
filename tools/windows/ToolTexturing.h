#pragma once

#include <memory>

#include "tools/ToolBaseModuleWorkflow.h"

namespace vx {
namespace me {
class Application;
}
}  // namespace vx

namespace qvx {
namespace tool {

class ModifiedTilesSource;
class ProcessingFrameEditorTexturing;
class ProcessingFrameLodUpdate;

// Retexturing of the tiles edited in the mesh editor, followed by the update of their levels of
// detail. Works in the editing session's temporary folder; the modified tiles list names the tiles.
class ToolTexturing : public ToolBaseModuleWorkflow {
  Q_OBJECT

 public:
  ToolTexturing(std::shared_ptr<vx::me::Application> application, std::shared_ptr<ModifiedTilesSource> tiles,
                QWidget* parent = nullptr);
  ~ToolTexturing() override;

  ProcessingFrameEditorTexturing* texturingRow() const { return m_texturing.get(); }
  ProcessingFrameLodUpdate* lodUpdateRow() const { return m_lodUpdate.get(); }
  // Takes the project's orientation and image folders; the output is the session's temporary folder.
  void initFromProject(std::shared_ptr<vx::VEXAProject> project) override;

 signals:
  // The texturing row's end, with its return code.
  void signal_texturingFinished(int result);

 public slots:
  // Retextured tiles need their levels of detail updated: while texturing is on, so is the update.
  void slot_selectionChanged();
  void slot_lodUpdateStarted();
  void slot_lodUpdateFinished(int result);

 protected:
  void prepareRun() override;
  void setInputsEnabled(const bool& enabled) override;
  void detachStatusCallback() override;

 private:
  std::shared_ptr<vx::me::Application> m_application;
  std::shared_ptr<ProcessingFrameEditorTexturing> m_texturing;
  std::shared_ptr<ProcessingFrameLodUpdate> m_lodUpdate;
  bool m_lodUpdateRunning = false;
};

}  // namespace tool
}  // namespace qvx
