#pragma once

#include <string>
#include <vector>

#include <osg/Node>

namespace vx {
namespace me {
namespace lod {

// Replaces several node files together: each new file is first written whole beside its target
// (through vx::writeFileAtomically) and read back; only when all of them are staged are they
// renamed over their targets. Staged files not committed are removed when this object goes.
class StagedFiles {
 public:
  StagedFiles() = default;
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;
  ~StagedFiles();

  // Writes `node` (textures included) for `target`. Throws vx::FileError naming the target.
  void stage(const osg::Node& node, const std::string& target);
  // Renames the staged files over their targets in the order they were staged; a replaced file
  // keeps its permissions. Throws vx::FileError naming the target that could not be replaced.
  void commit();

 private:
  struct Staged {
    std::string staged;
    std::string target;
  };
  std::vector<Staged> files_;
};

}  // namespace lod
}  // namespace me
}  // namespace vx
