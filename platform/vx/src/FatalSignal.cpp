#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#define vx_open _open
#define vx_write _write
#define vx_close _close
#else
#include <unistd.h>
#define vx_open open
#define vx_write write
#define vx_close close
#endif

#include "FileUtil.h"
#include "vx/Vexa.h"

namespace vx {

namespace {

std::atomic<int> lastSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

// The handler may not allocate, so the path lives in a fixed buffer prepared beforehand.
char logPath[4096];

void storePath(const std::string& path) {
  std::strncpy(logPath, path.c_str(), sizeof logPath - 1);
  logPath[sizeof logPath - 1] = '\0';
}

const bool defaultPathSet = [] {
  std::error_code error;
  detail::fs::path folder = detail::fs::temp_directory_path(error);
  if (error) folder = ".";
  storePath(detail::utf8(folder / "vexa_crash.log"));
  return true;
}();

}  // namespace

void setCrashLogPath(const std::string& utf8Path) { storePath(utf8Path); }

std::string crashLogPath() { return logPath; }

int lastFatalSignal() { return lastSignal.load(); }

void handleFatalSignal(int signalNumber) {
  lastSignal.store(signalNumber);
  char line[64] = "VEXA terminated by fatal signal ";
  size_t length = std::strlen(line);
  // Digits by hand: no formatting functions are async-signal-safe.
  char digits[16];
  int count = 0;
  unsigned value = signalNumber < 0 ? 0u - static_cast<unsigned>(signalNumber) : signalNumber;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0 && count < 15);
  if (signalNumber < 0) line[length++] = '-';
  while (count > 0) line[length++] = digits[--count];
  line[length++] = '\n';
  const int fd = vx_open(logPath, O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return;
  const auto written = vx_write(fd, line, length);
  (void)written;
  vx_close(fd);
}

}  // namespace vx
