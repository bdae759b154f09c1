#pragma once

#include <filesystem>
#include <string>

namespace demo {

std::filesystem::path fromUtf8(const std::string& path);
std::string toUtf8(const std::filesystem::path& path);

// Throws std::runtime_error when `folder` exists but is not an empty folder, so that nothing of
// the user's is overwritten.
void requireEmptyOrAbsent(const std::filesystem::path& folder);

// Creates `folder` (and its parents) when absent; throws as requireEmptyOrAbsent.
void prepareEmptyFolder(const std::filesystem::path& folder);

// A hidden folder beside `target` that a writer fills and then moves into place, so that a failed
// or interrupted write never leaves a half-written `target` that blocks the next attempt.
class StagingFolder {
 public:
  // Creates the parents of `target` and the staging folder. Throws std::runtime_error.
  explicit StagingFolder(const std::filesystem::path& target);
  // Removes the staging folder unless it was committed.
  ~StagingFolder();
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;

  const std::filesystem::path& path() const { return staging_; }
  // Moves the staging folder to the target, which must still be absent or empty. Throws.
  void commit();

 private:
  std::filesystem::path target_;
  std::filesystem::path staging_;
  bool committed_ = false;
};

// Writes a small text file (UTF-8, LF line ends). Throws std::runtime_error.
void writeTextFile(const std::filesystem::path& file, const std::string& text);

}  // namespace demo
