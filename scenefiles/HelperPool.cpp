#include "scenefiles/HelperPool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

#ifndef _WIN32
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

extern char** environ;
#endif

namespace scenefiles {

#ifndef _WIN32

// One socket serves as the helper's standard input and output: writes to a dead helper then
// fail with an error instead of raising SIGPIPE in the editor.
struct HelperPool::Helper {
  pid_t pid = -1;
  int socket = -1;
  std::string pending;

  ~Helper() {
    if (socket >= 0) ::close(socket);
    if (pid > 0) {
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
  }

  static std::unique_ptr<Helper> start(const QString& program, int cpuBudgetMs) {
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return nullptr;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDOUT_FILENO);
    const QByteArray path = QFile::encodeName(program);
    QByteArray budgetOption = "--cpu-budget-ms";
    QByteArray budget = QByteArray::number(cpuBudgetMs);
    char* argv[] = {const_cast<char*>(path.constData()), cpuBudgetMs > 0 ? budgetOption.data() : nullptr,
                    budget.data(), nullptr};
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, path.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(sockets[1]);
    if (failed != 0) {
      ::close(sockets[0]);
      return nullptr;
    }
    auto helper = std::make_unique<Helper>();
    helper->pid = pid;
    helper->socket = sockets[0];
    return helper;
  }

  enum class Outcome { Answered, Died, TimedOut };

  Outcome ask(const QString& request, int timeoutMs, std::string& answer) {
    const std::string line = request.toUtf8().toStdString() + '\n';
    for (std::size_t sent = 0; sent < line.size();) {
      const ssize_t n = ::send(socket, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Outcome::Died;
      sent += static_cast<std::size_t>(n);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const std::size_t end = pending.find('\n');
      if (end != std::string::npos) {
        answer = pending.substr(0, end);
        pending.erase(0, end + 1);
        return Outcome::Answered;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return Outcome::TimedOut;
      pollfd descriptor{socket, POLLIN, 0};
      const int ready = ::poll(&descriptor, 1, static_cast<int>(left.count()));
      if (ready < 0 && errno == EINTR) continue;
      if (ready < 0) return Outcome::Died;
      if (ready == 0) continue;
      char buffer[256];
      const ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Outcome::Died;
      pending.append(buffer, static_cast<std::size_t>(n));
    }
  }
};

#else

// No isolation on this platform yet: every file is read in the editor's process.
struct HelperPool::Helper {
  static std::unique_ptr<Helper> start(const QString&, int) { return nullptr; }
};

#endif

HelperPool::HelperPool(QString program, int size, int timeoutMs, int cpuBudgetMs)
    : program_(std::move(program)), size_(size < 1 ? 1 : size), timeoutMs_(timeoutMs), cpuBudgetMs_(cpuBudgetMs) {}

HelperPool::~HelperPool() = default;

int HelperPool::allowedMilliseconds(const QString& path) const {
  // Big meshes legitimately take long to read; a damaged small file that spins does not.
  constexpr qint64 kBytesPerExtraSecond = 4 << 20;
  const qint64 extraMs = QFileInfo(path).size() / kBytesPerExtraSecond * 1000;
  return int(std::min<qint64>(timeoutMs_ + extraMs, std::numeric_limits<int>::max()));
}

int HelperPool::startedHelpers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return started_;
}

std::unique_ptr<HelperPool::Helper> HelperPool::acquire() {
  std::unique_lock<std::mutex> lock(mutex_);
  idleChanged_.wait(lock, [this] { return !idle_.empty() || running_ < size_; });
  if (!idle_.empty()) {
    std::unique_ptr<Helper> helper = std::move(idle_.back());
    idle_.pop_back();
    return helper;
  }
  ++running_;
  ++started_;
  lock.unlock();
  std::unique_ptr<Helper> helper = Helper::start(program_, cpuBudgetMs_);
  if (!helper) release(nullptr);
  return helper;
}

void HelperPool::release(std::unique_ptr<Helper> helper) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (helper) {
      idle_.push_back(std::move(helper));
    } else {
      --running_;
    }
  }
  idleChanged_.notify_one();
}

Verdict HelperPool::check(const QString& path, const QString& copyTo) {
  std::unique_ptr<Helper> helper = acquire();
  Verdict verdict;
  if (!helper) return verdict;
#ifndef _WIN32
  const QString shown = QDir::toNativeSeparators(path);
  const int allowedMs = allowedMilliseconds(path);
  std::string answer;
  const QString request = copyTo.isEmpty() ? path : path + '\t' + copyTo;
  switch (helper->ask(request, allowedMs, answer)) {
    case Helper::Outcome::Answered:
      if (answer == "slow") {
        verdict.state = Verdict::Bad;
        verdict.message = "File takes more than " + QString::number(cpuBudgetMs_ / 1000.0) +
                          " s of work to read, left out: " + shown;
        break;
      }
      verdict.state = answer == "ok" ? Verdict::Good : Verdict::Bad;
      if (verdict.isBad()) verdict.message = "Could not read file, left out: " + shown;
      if (!verdict.isBad()) verdict.readInstead = copyTo;
      release(std::move(helper));
      return verdict;
    case Helper::Outcome::Died:
      verdict.state = Verdict::Bad;
      verdict.message = "Damaged file (its reader crashed), left out: " + shown;
      break;
    case Helper::Outcome::TimedOut:
      verdict.state = Verdict::Bad;
      verdict.message = "File takes longer than " + QString::number(allowedMs / 1000.0) +
                        " s to read, left out: " + shown;
      break;
  }
  // The helper went down with the file (or ended after a slow read); the next check starts a new one.
  helper.reset();
  release(nullptr);
#endif
  return verdict;
}

}  // namespace scenefiles
