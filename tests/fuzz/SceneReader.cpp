#include "tests/fuzz/SceneReader.h"

#include <memory>

#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include "scenefiles/SceneFileGuard.h"

namespace fuzz {

namespace {

// As the editor runs: every read asks the guard first. No verdicts persist, so each mutated
// input is judged afresh, and a small-file timeout well inside the harness's own keeps a reader
// that spins a rejection instead of a hang. The processor-time budget ends most spinning reads
// long before that timeout: the corpus files read in a few milliseconds.
void installGuardOnce() {
  // Destroyed when the child ends its input, which removes the helper's copies.
  static const std::unique_ptr<scenefiles::SceneFileGuard> guard = [] {
    scenefiles::SceneFileGuard::Settings settings;
    settings.helpers = 1;
    settings.timeoutMs = 2000;
    settings.cpuBudgetMs = 100;
    auto created = std::make_unique<scenefiles::SceneFileGuard>(settings);
    scenefiles::SceneFileGuard::install(created.get());
    return created;
  }();
}

}  // namespace

osg::ref_ptr<osg::Node> readSceneFile(const std::string& utf8Path) {
  installGuardOnce();
  return osgDB::readRefNodeFile(utf8Path, osgDB::Registry::instance()->getOptions());
}

}  // namespace fuzz
