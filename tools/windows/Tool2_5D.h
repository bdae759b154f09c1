#pragma once

#include <memory>

#include "tools/ToolBaseModuleWorkflow.h"

namespace qvx {
namespace tool {

class ProcessingFrameDsm;
class ProcessingFrameTrueOrtho;
class ProcessingFrameDsmMesh;
class ProcessingFrameDsmMeshTexturing;

// The 2.5D workflow: DSM from point clouds, then true ortho, DSM mesh and its texturing, each
// taking what the one before it wrote into the output folder.
class Tool2_5D : public ToolBaseModuleWorkflow {
  Q_OBJECT

 public:
  explicit Tool2_5D(QWidget* parent = nullptr);

  ProcessingFrameDsm* dsmRow() const { return m_dsm.get(); }
  ProcessingFrameTrueOrtho* trueOrthoRow() const { return m_trueOrtho.get(); }
  ProcessingFrameDsmMesh* dsmMeshRow() const { return m_dsmMesh.get(); }
  ProcessingFrameDsmMeshTexturing* dsmMeshTexturingRow() const { return m_dsmMeshTexturing.get(); }

 protected:
  void prepareRun() override;
  void setupModule(ModuleList::iterator it) override;

 private:
  std::shared_ptr<ProcessingFrameDsm> m_dsm;
  std::shared_ptr<ProcessingFrameTrueOrtho> m_trueOrtho;
  std::shared_ptr<ProcessingFrameDsmMesh> m_dsmMesh;
  std::shared_ptr<ProcessingFrameDsmMeshTexturing> m_dsmMeshTexturing;
};

}  // namespace tool
}  // namespace qvx
