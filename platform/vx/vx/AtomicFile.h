#pragma once

// The one way the editor and its libraries replace a file, so that a crash or a full disk never
// leaves a file half written.

#include <stdexcept>
#include <string>
#include <string_view>

namespace vx {

// A file that could not be written or read. what() names the file and the reason.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Replaces the file at `utf8Path` by `content`: writes a temporary file beside it, checks every
// write, flushes it to the disk, closes it and only then renames it over the target, so that the
// file is always either the old one or the new one, whole. A new file gets the permissions the
// process would give it; a replaced one keeps its own. On any failure the temporary file is
// removed, the target is left untouched and vx::FileError is thrown naming the target.
void writeFileAtomically(const std::string& utf8Path, std::string_view content);

}  // namespace vx
