// vexa-scenecheck: reads scene files for the editor so that a reader crashing or hanging on a
// damaged file takes down this process only. One request per line on standard input: a path, or
// a path, a tab and an output path, to which the scene read is written in OpenSceneGraph's binary
// format with its images inside. One verdict per line on standard output: "ok" or "unreadable",
// or "slow" when the read took more processor time than `--cpu-budget-ms N` (plus a second per
// 4 MiB of file) allows; the helper then ends. Runs until its input ends.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <thread>
#include <sys/stat.h>

#ifdef __linux__
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <csignal>
#endif

#include <osg/Notify>
#include <osgDB/Options>
#include <osgDB/ReadFile>
#include <osgDB/WriteFile>

namespace {

// Reader messages must not mix with the verdicts on standard output. A reader stuck on a cut
// file repeats the same complaint thousands of times; each is said once.
class StderrNotifyHandler : public osg::NotifyHandler {
 public:
  void notify(osg::NotifySeverity, const char* message) override {
    if (said_.count(message)) return;
    if (said_.size() < 1000) said_.insert(message);
    std::fputs(message, stderr);
  }

 private:
  std::set<std::string> said_;
};

std::uint64_t fileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? std::uint64_t(info.st_size) : 0;
}

#ifdef __linux__
std::uint64_t mappedBytes() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  statm >> pages;
  return pages * std::uint64_t(::sysconf(_SC_PAGESIZE));
}
#endif

// A damaged file may claim an array of gigabytes in a few bytes; its reader would take the
// machine's memory (several helpers check at once) before it fails. Each read gets room for what
// a real file of its size unpacks to, and an allocation beyond that fails in this process only.
void limitMemoryFor(const std::string& path) {
#ifdef __linux__
  constexpr std::uint64_t kMinimum = std::uint64_t(768) << 20;
  constexpr std::uint64_t kMaximum = std::uint64_t(16) << 30;
  constexpr std::uint64_t kPerFileByte = 64;
  const std::uint64_t size = fileSize(path);
  std::uint64_t room = size > kMaximum / kPerFileByte ? kMaximum : size * kPerFileByte;
  if (room < kMinimum) room = kMinimum;
  rlimit limit{};
  if (::getrlimit(RLIMIT_AS, &limit) != 0) return;
  rlim_t wanted = rlim_t(mappedBytes() + room);
  if (limit.rlim_max != RLIM_INFINITY && wanted > limit.rlim_max) wanted = limit.rlim_max;
  limit.rlim_cur = wanted;
  ::setrlimit(RLIMIT_AS, &limit);
#else
  (void)path;
#endif
}

#ifdef __linux__
// Some damaged files make a reader spin without end (a count read past the end of the stream).
// Processor time, unlike the editor's wall-clock timeout, does not grow with the machine's load,
// so such a read can be cut short after a small budget without refusing good files on a busy
// machine. Only async-signal-safe calls here: the reader is interrupted anywhere.
extern "C" void endSlowRead(int) {
  static const char kSlow[] = "slow\n";
  [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, kSlow, sizeof kSlow - 1);
  ::_exit(0);
}
#endif

void armCpuBudget(std::uint64_t budgetMs, const std::string& path) {
#ifdef __linux__
  if (budgetMs == 0) return;
  constexpr std::uint64_t kBytesPerExtraSecond = 4 << 20;
  const std::uint64_t allowedMs = budgetMs + fileSize(path) / kBytesPerExtraSecond * 1000;
  itimerval timer{};
  timer.it_value.tv_sec = time_t(allowedMs / 1000);
  timer.it_value.tv_usec = suseconds_t(allowedMs % 1000 * 1000);
  ::setitimer(ITIMER_PROF, &timer, nullptr);
#else
  (void)budgetMs;
  (void)path;
#endif
}

void disarmCpuBudget() {
#ifdef __linux__
  itimerval off{};
  ::setitimer(ITIMER_PROF, &off, nullptr);
#endif
}

// A helper spinning on a file outlives an editor that crashed or was killed, and nothing would
// ever end it: it ends when its parent is gone.
void endWithParent() {
#ifdef __linux__
  const pid_t parent = ::getppid();
  std::thread([parent] {
    while (::getppid() == parent) std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::_exit(0);
  }).detach();
#endif
}

std::uint64_t cpuBudgetFrom(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--cpu-budget-ms") return std::strtoull(argv[i + 1], nullptr, 10);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t cpuBudgetMs = cpuBudgetFrom(argc, argv);
#ifdef __linux__
  std::signal(SIGPROF, endSlowRead);
#endif
  endWithParent();
  osg::setNotifyHandler(new StderrNotifyHandler);
  osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
  options->setObjectCacheHint(osgDB::Options::CACHE_NONE);
  osg::ref_ptr<osgDB::Options> writeOptions = new osgDB::Options("WriteImageHint=IncludeData");
  std::string request;
  while (std::getline(std::cin, request)) {
    const std::size_t tab = request.find('\t');
    const std::string path = request.substr(0, tab);
    limitMemoryFor(path);
    armCpuBudget(cpuBudgetMs, path);
    osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile(path, options.get());
    bool ok = node.valid();
    if (ok && tab != std::string::npos) ok = osgDB::writeNodeFile(*node, request.substr(tab + 1), writeOptions.get());
    disarmCpuBudget();
    std::cout << (ok ? "ok" : "unreadable") << std::endl;
  }
  return 0;
}
