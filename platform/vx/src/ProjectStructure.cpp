// Project structure update. File version 1 kept the orientation files in a top-level folder
// "Orientations" and had no editor folder; version 2 keeps them in "Internal/Orientations" and has
// "Internal/Editor".

#include <stdexcept>
#include <system_error>

#include "ProjectXml.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

namespace vx {

namespace {

using namespace detail;

enum Status : int { Ok = 0, BadArguments = 1, NoFolder = 2, NoProjectFile = 3, UpdateFailed = 4 };

thread_local std::string lastError;

int failure(int status, const std::string& message) {
  lastError = message;
  return status;
}

const fs::path kOldOrientations = "Orientations";
const fs::path kNewOrientations = fs::path("Internal") / "Orientations";
const fs::path kEditor = fs::path("Internal") / "Editor";

struct UpdatePlan {
  fs::path folder;
  fs::path projectFile;
  ptree root;
  bool needed = false;
  std::vector<fs::path> moves;  // entries of the old orientation folder, relative to it
  std::vector<fs::path> missingFolders;
  int rewrittenImages = 0;
};

// Version-1 orientation paths point into the old folder; they move with the files.
bool rewriteOrientationPath(std::string& path) {
  const std::string old = kOldOrientations.u8string();
  if (path.size() <= old.size() || path.compare(0, old.size(), old) != 0 ||
      (path[old.size()] != '/' && path[old.size()] != '\\')) {
    return false;
  }
  path = "Internal/Orientations/" + path.substr(old.size() + 1);
  return true;
}

// Reads what the update would do. Returns a status; `plan.needed` tells whether anything is to do.
int planUpdate(const char* folderUtf8, UpdatePlan& plan) {
  if (!folderUtf8) return failure(BadArguments, "No project folder was given.");
  std::error_code error;
  plan.folder = pathFromUtf8(folderUtf8);
  if (!fs::is_directory(plan.folder, error)) {
    return failure(NoFolder, "The project folder " + std::string(folderUtf8) + " does not exist.");
  }
  plan.projectFile = plan.folder / "Project.vpr";
  try {
    readFile(plan.projectFile);
  } catch (const std::runtime_error&) {
    return failure(NoProjectFile, "The project file " + utf8(plan.projectFile) +
                                      " is missing or cannot be read.");
  }
  // A malformed file needs no structure update: loading it reports the problem.
  try {
    plan.root = readProjectTree(plan.projectFile);
    plan.needed = projectFileVersion(plan.root, plan.projectFile) < VEXAProject::kFileVersion;
  } catch (const std::runtime_error&) {
    plan.needed = false;
  }
  if (!plan.needed) return Ok;

  const fs::path oldFolder = plan.folder / kOldOrientations;
  if (fs::is_directory(oldFolder, error)) {
    for (const auto& entry : fs::directory_iterator(oldFolder, error)) {
      plan.moves.push_back(entry.path().filename());
    }
    if (error) return failure(UpdateFailed, "Cannot list " + utf8(oldFolder) + ": " + error.message());
  }
  for (const fs::path& sub : {fs::path("Internal"), kNewOrientations, kEditor}) {
    if (!fs::is_directory(plan.folder / sub, error)) plan.missingFolders.push_back(sub);
  }
  if (auto images = plan.root.get_child_optional("images")) {
    for (auto& [key, node] : *images) {
      std::string path = node.get<std::string>("orientation", "");
      if (key == "image" && rewriteOrientationPath(path)) {
        node.put("orientation", path);
        ++plan.rewrittenImages;
      }
    }
  }
  plan.root.put("version", VEXAProject::kFileVersion);
  return Ok;
}

std::string updateMessage(const UpdatePlan& plan) {
  if (!plan.needed) return {};
  std::string text = "The project in " + utf8(plan.folder) +
                     " has an older folder structure and must be updated to project file version " +
                     std::to_string(VEXAProject::kFileVersion) + ":";
  if (!plan.moves.empty()) {
    text += "\n- move " + std::to_string(plan.moves.size()) + " file(s) from \"" +
            kOldOrientations.u8string() + "\" to \"" + kNewOrientations.u8string() + "\"";
  }
  if (plan.rewrittenImages > 0) {
    text += "\n- point the orientation files of " + std::to_string(plan.rewrittenImages) +
            " image(s) in Project.vpr to \"" + kNewOrientations.u8string() + "\"";
  }
  for (const fs::path& sub : plan.missingFolders) {
    text += "\n- create the folder \"" + sub.u8string() + "\"";
  }
  text += "\n- write Project.vpr as version " + std::to_string(VEXAProject::kFileVersion) +
          " and keep the current file as Project.vpr.backup";
  return text;
}

// Moves the files back after a failed update, so that the project stays as it was.
void undoMoves(const UpdatePlan& plan, size_t movedCount) {
  std::error_code ignored;
  for (size_t i = 0; i < movedCount; ++i) {
    fs::rename(plan.folder / kNewOrientations / plan.moves[i],
               plan.folder / kOldOrientations / plan.moves[i], ignored);
  }
}

}  // namespace

std::string lastProjectStructureError() { return lastError; }

int checkProjectStructure(const char* projectFolder, bool* needsUpdate, size_t* messageLength) {
  if (!needsUpdate || !messageLength) return failure(BadArguments, "No result pointers were given.");
  UpdatePlan plan;
  if (int status = planUpdate(projectFolder, plan)) return status;
  *needsUpdate = plan.needed;
  *messageLength = plan.needed ? updateMessage(plan).size() + 1 : 0;
  return Ok;
}

int projectStructureUpdateMessage(const char* projectFolder, char* buffer, size_t length) {
  UpdatePlan plan;
  if (int status = planUpdate(projectFolder, plan)) return status;
  const std::string text = updateMessage(plan);
  if (!buffer || length < text.size() + 1) {
    if (buffer && length > 0) buffer[0] = '\0';
    return failure(BadArguments, "The buffer for the update message is too small.");
  }
  text.copy(buffer, text.size());
  buffer[text.size()] = '\0';
  return Ok;
}

int updateProjectStructure(const char* projectFolder) {
  UpdatePlan plan;
  if (int status = planUpdate(projectFolder, plan)) return status;
  if (!plan.needed) return Ok;
  std::error_code error;
  for (const fs::path& name : plan.moves) {
    if (fs::exists(plan.folder / kNewOrientations / name, error)) {
      return failure(UpdateFailed, "Cannot move " + name.u8string() + " to " +
                                       utf8(plan.folder / kNewOrientations) +
                                       ": a file of that name exists there.");
    }
  }
  for (const fs::path& sub : plan.missingFolders) {
    if (!fs::create_directories(plan.folder / sub, error) && error) {
      return failure(UpdateFailed, "Cannot create " + utf8(plan.folder / sub) + ": " + error.message());
    }
  }
  for (size_t i = 0; i < plan.moves.size(); ++i) {
    fs::rename(plan.folder / kOldOrientations / plan.moves[i],
               plan.folder / kNewOrientations / plan.moves[i], error);
    if (error) {
      undoMoves(plan, i);
      return failure(UpdateFailed, "Cannot move " + utf8(plan.folder / kOldOrientations / plan.moves[i]) +
                                       ": " + error.message());
    }
  }
  try {
    writeProjectTree(plan.projectFile, plan.root);
  } catch (const std::runtime_error& e) {
    undoMoves(plan, plan.moves.size());
    return failure(UpdateFailed, e.what());
  }
  fs::remove(plan.folder / kOldOrientations, error);  // only when empty; a leftover is harmless
  return Ok;
}

}  // namespace vx
