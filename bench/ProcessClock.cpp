#include "bench/ProcessClock.h"

#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace bench {

namespace {

double bootSeconds() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Start of the process in seconds since boot, from field 22 of /proc/self/stat; -1 when unknown.
double processStartBootSeconds() {
  std::ifstream stat("/proc/self/stat");
  std::string line;
  if (!std::getline(stat, line)) return -1.0;
  // The command name (field 2) may hold blanks and parentheses; the fields after it do not.
  const std::string::size_type close = line.rfind(')');
  if (close == std::string::npos) return -1.0;
  std::istringstream fields(line.substr(close + 1));
  std::vector<std::string> rest;
  for (std::string field; fields >> field;) rest.push_back(field);
  constexpr std::size_t kStartTimeIndex = 22 - 3;
  if (rest.size() <= kStartTimeIndex) return -1.0;
  const long ticks = sysconf(_SC_CLK_TCK);
  if (ticks <= 0) return -1.0;
  return std::stod(rest[kStartTimeIndex]) / static_cast<double>(ticks);
}

double startBootSeconds() {
  static const double start = [] {
    const double now = bootSeconds();
    const double started = processStartBootSeconds();
    // A start in the future or long ago means another clock base; the first call is then the best guess.
    return started >= 0.0 && started <= now && now - started < 60.0 ? started : now;
  }();
  return start;
}

double statusMiB(const std::string& key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, key.size(), key) != 0) continue;
    std::istringstream value(line.substr(key.size()));
    double kib = 0.0;
    if (value >> kib) return kib / 1024.0;
  }
  return -1.0;
}

}  // namespace

double secondsSinceProcessStart() {
  const double start = startBootSeconds();
  return bootSeconds() - start;
}

double peakResidentMiB() { return statusMiB("VmHWM:"); }

double residentMiB() { return statusMiB("VmRSS:"); }

}  // namespace bench
