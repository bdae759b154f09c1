#pragma once

#include <string>

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

// Status messages. A message code packs a type, a step code and a sub-code; only the functions
// below know how, everyone else decodes through them.
enum Type : int {
  TYPE_NONE = 0,  // what a code outside the layout decodes to
  TYPE_PROCESS_STARTED = 2,
  TYPE_INFO = 3,
  TYPE_WARNING = 4,
  TYPE_ERROR = 5,
  TYPE_PROGRESS = 6,
  TYPE_MODULE_FINISHED = 9,
};

// Step codes of status messages. The module steps are those of vx::steps (steps::messageStep).
enum StepCode : int {
  STEP_PROCESS = 0,            // the process as a whole
  STEP_OVERALL = 1000,         // overall progress of a run
  STEP_ANALYSIS = 1300,
  STEP_SUBPROJECTS = 1310,
  STEP_DENSE_MATCHING = 1400,
  STEP_SUBPROJECT_STATUS = 1500,
  STEP_DSM = 1710,
  STEP_TRUE_ORTHO = 1720,
  STEP_DSM_MESH = 1740,
  STEP_DSM_MESH_TEXTURING = 1750,
  STEP_POINT_CLOUD = 1820,
  STEP_MESH = 1830,
  STEP_MESH_TEXTURING = 1840,
};

// Sub-codes with a fixed meaning.
enum SubCode : int {
  SUB_NONE = 0,
  SUB_STATUS_UPDATED = 1,         // info of STEP_PROCESS: a step's processing status changed
  SUB_SUBPROJECTS_CREATED = 1,    // info of STEP_SUBPROJECTS
  SUB_SUBPROJECT_PENDING = 1,     // messages of STEP_SUBPROJECT_STATUS: "<name> ..."
  SUB_SUBPROJECT_STARTED = 2,
  SUB_SUBPROJECT_FINISHED = 3,
  SUB_OLD_PROJECT_STRUCTURE = 26,  // error of STEP_OVERALL: the project predates this structure
};

constexpr int kMaxStepCode = 9999;
constexpr int kMaxSubCode = 99;

// -1 when the type is not 0..9, the step not 0..kMaxStepCode or the sub-code not 0..kMaxSubCode.
int makeCode(int type, int step, int subCode);
// A negative code decodes to type 0, step 0, sub-code 0.
int typeOfCode(int code);
int stepOfCode(int code);
int subCodeOfCode(int code);
// Printable name of a step code ("Analysis", "Overall Progress", ...); "Step <code>" for others.
std::string stepName(int stepCode);
// Whether the step code is that of a module that runs a processing step.
bool isModuleStep(int stepCode);

}  // namespace MSG
}  // namespace vx
