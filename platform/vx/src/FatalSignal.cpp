#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
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

// Per user, beside the init file: a shared temporary folder would let another user point the
// log at the victim's files with a link.
const bool defaultPathSet = [] {
#ifdef _WIN32
  const char* home = std::getenv("USERPROFILE");
#else
  const char* home = std::getenv("HOME");
#endif
  if (home && *home) storePath(detail::utf8(detail::pathFromUtf8(home) / ".VEXA" / "vexa_crash.log"));
  return true;
}();

// Appends `line` to the log, only to a regular file of this user, never through a link, and
// creates it readable by this user alone. Only async-signal-safe calls.
void appendToLog(const char* line, size_t length) {
  if (logPath[0] == '\0') return;
#ifdef _WIN32
  const int fd = _open(logPath, _O_WRONLY | _O_CREAT | _O_APPEND | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return;
  (void)_write(fd, line, static_cast<unsigned>(length));
  _close(fd);
#else
  // Non-blocking: a FIFO put in place of the log must not hang the dying process.
  const int fd = open(logPath, O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
  if (fd < 0) return;
  struct stat status {};
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == geteuid()) {
    if ((status.st_mode & 077) != 0) (void)fchmod(fd, 0600);
    const auto written = write(fd, line, length);
    (void)written;
  }
  close(fd);
#endif
}

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
  appendToLog(line, length);
}

}  // namespace vx
