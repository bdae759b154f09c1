// vexa-scenecheck: reads scene files for the editor so that a reader crashing or hanging on a
// damaged file takes down this process only. One request per line on standard input: a path, or
// a path, a tab and an output path, to which the scene read is written in OpenSceneGraph's binary
// format with its images inside. One verdict per line on standard output: "ok" or "unreadable".
// Runs until its input ends.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <sys/stat.h>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
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
  struct stat info {};
  const std::uint64_t size = ::stat(path.c_str(), &info) == 0 ? std::uint64_t(info.st_size) : 0;
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

}  // namespace

int main() {
  osg::setNotifyHandler(new StderrNotifyHandler);
  osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
  options->setObjectCacheHint(osgDB::Options::CACHE_NONE);
  osg::ref_ptr<osgDB::Options> writeOptions = new osgDB::Options("WriteImageHint=IncludeData");
  std::string request;
  while (std::getline(std::cin, request)) {
    const std::size_t tab = request.find('\t');
    const std::string path = request.substr(0, tab);
    limitMemoryFor(path);
    osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile(path, options.get());
    bool ok = node.valid();
    if (ok && tab != std::string::npos) ok = osgDB::writeNodeFile(*node, request.substr(tab + 1), writeOptions.get());
    std::cout << (ok ? "ok" : "unreadable") << std::endl;
  }
  return 0;
}
