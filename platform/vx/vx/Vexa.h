#pragma once

#include <cstddef>
#include <string>

namespace vx {

// Called from the editor's signal handler before the default action: records the signal in the
// crash log ("<home>/.VEXA/vexa_crash.log", beside the init file) using only async-signal-safe
// calls. The log is appended to only when it is a regular file of this user, never through a
// link, and is created readable and writable by this user alone.
void handleFatalSignal(int signalNumber);
// Number of the last signal handed to handleFatalSignal (0 when none), for tests.
int lastFatalSignal();
// Where handleFatalSignal writes (UTF-8; empty: nowhere). Set before any signal can arrive: the
// handler may not allocate, so the path is kept ready in a fixed buffer.
void setCrashLogPath(const std::string& utf8Path);
std::string crashLogPath();

// Project structure update. Folder paths are UTF-8. Every call returns 0 on success, else
// 1 (missing argument or too small buffer), 2 (no such folder), 3 (Project.vpr missing or unreadable)
// or 4 (the update failed; the folder is left as it was). A malformed Project.vpr needs no update:
// loading it reports the problem.
// checkProjectStructure: needsUpdate is set when the folder's Project.vpr is of an older file
// version; messageLength is the length of the update message including its terminating zero.
int checkProjectStructure(const char* projectFolder, bool* needsUpdate, size_t* messageLength);
// Fills the update message (zero-terminated) into a buffer of `length` bytes.
int projectStructureUpdateMessage(const char* projectFolder, char* buffer, size_t length);
// Migrates the project folder to the current structure (keeps Project.vpr.backup).
int updateProjectStructure(const char* projectFolder);
// Text of the last failure of the three calls above on this thread.
std::string lastProjectStructureError();

// The processing engine. Processing modules arrive with later work; the editor owns one per runner.
class VEXA {
 public:
  VEXA();
  ~VEXA();
  VEXA(const VEXA&) = delete;
  VEXA& operator=(const VEXA&) = delete;
};

}  // namespace vx
