#include "tests/fuzz/SceneReader.h"

#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include "scenefiles/SceneFileGuard.h"

namespace fuzz {

namespace {

// As the editor runs: every read asks the guard first. No verdicts persist, so each mutated
// input is judged afresh, and a small-file timeout well inside the harness's own keeps a reader
// that spins a rejection instead of a hang.
void installGuardOnce() {
  static scenefiles::SceneFileGuard* const guard = [] {
    scenefiles::SceneFileGuard::Settings settings;
    settings.helpers = 1;
    settings.timeoutMs = 2000;
    auto* created = new scenefiles::SceneFileGuard(settings);
    scenefiles::SceneFileGuard::install(created);
    return created;
  }();
  (void)guard;
}

}  // namespace

osg::ref_ptr<osg::Node> readSceneFile(const std::string& utf8Path) {
  installGuardOnce();
  return osgDB::readRefNodeFile(utf8Path, osgDB::Registry::instance()->getOptions());
}

}  // namespace fuzz
