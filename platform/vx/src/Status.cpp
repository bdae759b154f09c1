#include "vx/Status.h"

#include <array>
#include <atomic>
#include <mutex>

#include "vx/Steps.h"

namespace vx {
namespace utils {

namespace status {

namespace {

std::mutex& callbackMutex() {
  static std::mutex mutex;
  return mutex;
}
StatusCallback g_callback = nullptr;
void* g_user = nullptr;
std::atomic<bool> g_cancelled{false};

}  // namespace

void setStatusCallbackFunction(StatusCallback callback, void* user) {
  std::lock_guard<std::mutex> lock(callbackMutex());
  g_callback = callback;
  g_user = callback ? user : nullptr;
}

void report(int code, const char* format, const double* doubles, const int* ints, const char* string) {
  // Held while the receiver runs, so that once a receiver is removed no message reaches it.
  std::lock_guard<std::mutex> lock(callbackMutex());
  if (g_callback) g_callback(code, format, doubles, ints, string, g_user);
}

void cancel(bool cancelled) { g_cancelled = cancelled; }

bool isCancelled() { return g_cancelled; }

}  // namespace status

namespace processing {

namespace {

std::mutex& statusMutex() {
  static std::mutex mutex;
  return mutex;
}
std::array<int, steps::kStepCount> g_status{};

int stepNamed(const std::string& name) {
  for (steps::Steps step : steps::kAllSteps)
    if (name == steps::stepName(step)) return step;
  return -1;
}

}  // namespace

int getProcessingStatus(const std::string& name) {
  const int step = stepNamed(name);
  if (step < 0) return -1;
  std::lock_guard<std::mutex> lock(statusMutex());
  return g_status[step];
}

void setProcessingStatus(const std::string& name, int status) {
  const int step = stepNamed(name);
  if (step < 0) return;
  std::lock_guard<std::mutex> lock(statusMutex());
  g_status[step] = status;
}

}  // namespace processing
}  // namespace utils
}  // namespace vx
