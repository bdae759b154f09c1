// vexa-scenecheck: reads scene files for the editor so that a reader crashing or hanging on a
// damaged file takes down this process only. One path per line on standard input, one verdict
// per line on standard output: "ok" or "unreadable". Runs until its input ends.
#include <cstdio>
#include <iostream>
#include <string>

#include <osg/Notify>
#include <osgDB/Options>
#include <osgDB/ReadFile>

namespace {

// Reader messages must not mix with the verdicts on standard output.
class StderrNotifyHandler : public osg::NotifyHandler {
 public:
  void notify(osg::NotifySeverity, const char* message) override { std::fputs(message, stderr); }
};

}  // namespace

int main() {
  osg::setNotifyHandler(new StderrNotifyHandler);
  osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
  options->setObjectCacheHint(osgDB::Options::CACHE_NONE);
  std::string path;
  while (std::getline(std::cin, path)) {
    osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile(path, options.get());
    std::cout << (node ? "ok" : "unreadable") << std::endl;
  }
  return 0;
}
