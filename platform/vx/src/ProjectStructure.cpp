// Project structure update. File version 1 kept the orientation files in a top-level folder
// "Orientations" and had no editor folder; version 2 keeps them in "Internal/Orientations" and has
// "Internal/Editor".

#include <stdexcept>
#include <system_error>

#include "ProjectXml.h"
#include "vx/AtomicFile.h"
#include "vx/SafeRead.h"
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
// Orientation files and their lists are text of a few kilobytes; lists of huge projects a few megabytes.
constexpr std::uint64_t kMaxOrientationFileBytes = std::uint64_t(256) << 20;

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
    plan.root = readProjectTree(plan.projectFile);
    plan.needed = projectFileVersion(plan.root, plan.projectFile) < VEXAProject::kFileVersion;
  } catch (const std::runtime_error&) {
    if (!fs::exists(plan.projectFile, error)) {
      return failure(NoProjectFile, "The project file " + utf8(plan.projectFile) + " is missing or cannot be read.");
    }
    // A malformed, oversized or special file needs no structure update: loading it reports the problem.
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

// Why the update may not touch the old orientation folder, or an empty text. Checked before
// anything changes, so that a refused update leaves the folder as it was.
std::string refusalReason(const UpdatePlan& plan) {
  std::error_code error;
  const fs::path oldFolder = plan.folder / kOldOrientations;
  if (fs::is_symlink(oldFolder, error)) {
    return "The folder " + utf8(oldFolder) + " is a link to " + utf8(fs::read_symlink(oldFolder, error)) +
           ". The update moves only the project's own files: replace the link by a copy of the folder "
           "and open the project again.";
  }
  for (const fs::path& name : plan.moves) {
    const fs::path source = oldFolder / name;
    if (!fs::is_regular_file(fs::symlink_status(source, error))) {
      return "The entry " + utf8(source) + " is not a plain file (a link, folder or device). The update "
             "moves only the project's own files: move it out of the folder and open the project again.";
    }
    const fs::path target = plan.folder / kNewOrientations / name;
    if (fs::exists(fs::symlink_status(target, error))) {
      // An identical copy is left over from an update that was interrupted; it is taken as it is.
      bool same = false;
      try {
        same = fs::is_regular_file(fs::symlink_status(target, error)) &&
               readRegularFile(utf8(source), kMaxOrientationFileBytes, "The file") ==
                   readRegularFile(utf8(target), kMaxOrientationFileBytes, "The file");
      } catch (const FileError&) {
        same = false;
      }
      if (!same) {
        return "Cannot move " + name.u8string() + " to " + utf8(plan.folder / kNewOrientations) +
               ": a different file of that name exists there.";
      }
    }
  }
  return {};
}

// What the update has changed so far, undone when a later step fails.
struct Undo {
  std::vector<fs::path> createdFolders;
  std::vector<fs::path> copiedFiles;

  void run() const {
    std::error_code ignored;
    for (auto it = copiedFiles.rbegin(); it != copiedFiles.rend(); ++it) fs::remove(*it, ignored);
    for (auto it = createdFolders.rbegin(); it != createdFolders.rend(); ++it) fs::remove(*it, ignored);
  }
};

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

// The files are copied, the new Project.vpr is the commit point and only then are the old files
// removed: a process that dies on the way leaves either the old project or the new one whole.
int updateProjectStructure(const char* projectFolder) {
  UpdatePlan plan;
  if (int status = planUpdate(projectFolder, plan)) return status;
  if (!plan.needed) return Ok;
  if (const std::string reason = refusalReason(plan); !reason.empty()) return failure(UpdateFailed, reason);

  Undo undo;
  std::error_code error;
  for (const fs::path& sub : plan.missingFolders) {
    const fs::path folder = plan.folder / sub;
    const bool created = fs::create_directory(folder, error);
    if (error) {
      undo.run();
      return failure(UpdateFailed, "Cannot create " + utf8(folder) + ": " + error.message() + ".");
    }
    if (created) undo.createdFolders.push_back(folder);
  }
  try {
    for (const fs::path& name : plan.moves) {
      const fs::path target = plan.folder / kNewOrientations / name;
      if (fs::exists(target, error)) continue;  // the identical copy of an interrupted update
      const std::string content =
          readRegularFile(utf8(plan.folder / kOldOrientations / name), kMaxOrientationFileBytes, "The file");
      vx::writeFileAtomically(utf8(target), content);
      undo.copiedFiles.push_back(target);
    }
    writeProjectTree(plan.projectFile, plan.root);
  } catch (const std::runtime_error& e) {
    undo.run();
    return failure(UpdateFailed, e.what());
  }
  // Committed. Leftovers of the old folder are harmless to a current project.
  for (const fs::path& name : plan.moves) fs::remove(plan.folder / kOldOrientations / name, error);
  fs::remove(plan.folder / kOldOrientations, error);
  return Ok;
}

}  // namespace vx
