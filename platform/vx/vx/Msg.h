#pragma once

namespace vx {
namespace MSG {

// Process codes under which processing modules register their results in the project database.
// The editor loads the current results of PRC_MESH .. PRC_DSM_MESH_TEXTURING when a project opens.
enum PRC : int {
  PRC_NONE = 0,
  PRC_DSM = 1720,
  PRC_TRUE_ORTHO = 1725,
  PRC_DSM_MESH_FOR_EDITING = 1730,
  PRC_MESH = 1740,
  PRC_MESH_TEXTURING = 1741,
  PRC_DSM_MESH = 1742,
  PRC_DSM_MESH_TEXTURING = 1743,
};

}  // namespace MSG
}  // namespace vx
