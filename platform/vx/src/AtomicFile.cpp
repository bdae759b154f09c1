#include "vx/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <random>
#include <system_error>

#include "FileUtil.h"
#include "vx/WriteFaults.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vx {

namespace writefaults {
namespace {
std::atomic<int> armedStep{0};
std::atomic<int> steps{0};
std::atomic<Fault> armedFault{Fault::NoSpace};
}  // namespace

void inject(int step, Fault fault) {
  armedFault.store(fault);
  steps.store(0);
  armedStep.store(step);
}

void clear() { inject(0, Fault::NoSpace); }

int stepsTaken() { return steps.load(); }
}  // namespace writefaults

namespace {

using namespace detail;
using writefaults::Fault;

[[noreturn]] void dieNow() {
#ifdef SIGKILL
  std::raise(SIGKILL);
#endif
  std::_Exit(137);
}

// Counts one step; true when the armed fault makes it fail. A kill does not return.
bool faultAtThisStep(bool partialWriteFirst = false, int fd = -1, const char* data = nullptr,
                     size_t size = 0) {
  const int step = ++writefaults::steps;
  if (writefaults::armedStep.load() != step) return false;
  if (writefaults::armedFault.load() == Fault::NoSpace) {
    errno = ENOSPC;
    return true;
  }
  if (partialWriteFirst && fd >= 0 && size > 1) {
#ifdef _WIN32
    (void)_write(fd, data, static_cast<unsigned>(size / 2));
#else
    (void)::write(fd, data, size / 2);
#endif
  }
  dieNow();
}

std::string reason(int error) { return std::generic_category().message(error); }

[[noreturn]] void fail(const fs::path& target, const std::string& what, int error) {
  throw FileError("Cannot save " + utf8(target) + ": " + what + " (" + reason(error) + ").");
}

// Fresh from the system each time: a forked child must not repeat its parent's names.
std::string randomSuffix() { return std::to_string(std::random_device{}() % 1000000000u); }

// One open temporary file; removed unless committed.
class TemporaryFile {
 public:
  explicit TemporaryFile(const fs::path& target) : target_(target) {
    if (faultAtThisStep()) fail(target_, "cannot create a temporary file beside it", errno);
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = target;
      path_ += ".tmp-" + randomSuffix();
#ifdef _WIN32
      fd_ = _wopen(path_.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
      if (fd_ >= 0) return;
      if (errno != EEXIST) break;
    }
    fail(target_, "cannot create a temporary file beside it", errno);
  }

  ~TemporaryFile() {
    if (committed_) return;
    const int saved = errno;
    if (fd_ >= 0) closeDescriptor();
    std::error_code ignored;
    fs::remove(path_, ignored);
    errno = saved;
  }

  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  void keepPermissionsOfTarget() {
#ifndef _WIN32
    struct stat status {};
    if (::stat(target_.c_str(), &status) == 0 && S_ISREG(status.st_mode))
      (void)::fchmod(fd_, status.st_mode & 07777);
#endif
  }

  void write(std::string_view content) {
    constexpr size_t kChunk = size_t(1) << 20;
    size_t done = 0;
    while (done < content.size()) {
      const size_t size = std::min(kChunk, content.size() - done);
      const char* data = content.data() + done;
      if (faultAtThisStep(true, fd_, data, size)) fail(target_, "writing failed", errno);
#ifdef _WIN32
      const int written = _write(fd_, data, static_cast<unsigned>(size));
#else
      const ssize_t written = ::write(fd_, data, size);
#endif
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) fail(target_, "writing failed", written == 0 ? EIO : errno);
      done += static_cast<size_t>(written);
    }
  }

  void flushToDisk() {
    if (faultAtThisStep()) fail(target_, "flushing to the disk failed", errno);
#ifdef _WIN32
    if (_commit(fd_) != 0) fail(target_, "flushing to the disk failed", errno);
#else
    if (::fsync(fd_) != 0) fail(target_, "flushing to the disk failed", errno);
#endif
  }

  void close() {
    if (faultAtThisStep()) fail(target_, "closing failed", errno);
    // A failed close may report a delayed write error: the content is not to be trusted.
    if (closeDescriptor() != 0) fail(target_, "closing failed", errno);
  }

  void renameOverTarget() {
    if (faultAtThisStep()) fail(target_, "replacing it failed", errno);
#ifdef _WIN32
    if (!MoveFileExW(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      fail(target_, "replacing it failed", EIO);
#else
    if (::rename(path_.c_str(), target_.c_str()) != 0) fail(target_, "replacing it failed", errno);
#endif
    committed_ = true;
  }

 private:
  int closeDescriptor() {
    const int descriptor = fd_;
    fd_ = -1;
#ifdef _WIN32
    return _close(descriptor);
#else
    return ::close(descriptor);
#endif
  }

  fs::path target_;
  fs::path path_;
  int fd_ = -1;
  bool committed_ = false;
};

// After the rename the new name must reach the disk too, or a power cut may bring back the old file.
// The file is replaced by then, so a failure here is not reported.
void flushFolder(const fs::path& target) {
  (void)faultAtThisStep();
#ifndef _WIN32
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // the file is replaced; some file systems do not open folders
  (void)::fsync(fd);
  ::close(fd);
#endif
}

}  // namespace

void writeFileAtomically(const std::string& utf8Path, std::string_view content) {
  const fs::path target = pathFromUtf8(utf8Path);
  std::error_code error;
  if (fs::is_directory(target, error)) fail(target, "it is a folder", EISDIR);
  {
    TemporaryFile file(target);
    file.keepPermissionsOfTarget();
    file.write(content);
    file.flushToDisk();
    file.close();
    file.renameOverTarget();
  }
  flushFolder(target);
}

}  // namespace vx
