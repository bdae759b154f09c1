// vexa-scenecheck: reads scene files for the editor so that a reader crashing or hanging on a
// damaged file takes down this process only. One request per line on standard input: a path, or
// a path, a tab and an output path, to which the scene read is written in OpenSceneGraph's binary
// format with its images inside. One verdict per line on standard output: "ok" or "unreadable".
// Runs until its input ends.
#include <cstdio>
#include <iostream>
#include <set>
#include <string>

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
    osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile(path, options.get());
    bool ok = node.valid();
    if (ok && tab != std::string::npos) ok = osgDB::writeNodeFile(*node, request.substr(tab + 1), writeOptions.get());
    std::cout << (ok ? "ok" : "unreadable") << std::endl;
  }
  return 0;
}
