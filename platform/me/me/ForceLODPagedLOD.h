#pragma once

#include <string>
#include <vector>

#include <osg/PagedLOD>

namespace vx {
namespace me {
namespace forceLOD {

// The library's paged LOD node. Made from a tile's osg::PagedLOD, it remembers the files the tile
// was loaded from, so edited or reprocessed versions can be re-pointed into the scene and compared
// against the originals. File names written by other producers with backslashes are normalised to
// the platform's separator.
class ForceLODPagedLOD : public osg::PagedLOD {
 public:
  ForceLODPagedLOD();
  explicit ForceLODPagedLOD(const osg::PagedLOD& source,
                            const osg::CopyOp& copyop = osg::CopyOp::SHALLOW_COPY);
  ForceLODPagedLOD(const ForceLODPagedLOD& other, const osg::CopyOp& copyop = osg::CopyOp::SHALLOW_COPY);
  META_Node(vxme, ForceLODPagedLOD);

  // The file name i and database path as they were when this node was made.
  std::string getOriginalFilename(unsigned int i) const;
  std::string getOriginalDatabasePath() const;
  // Absolute path of the original file 0 (database path joined with file name 0).
  std::string getOriginalFilePath() const;
  // Absolute path of the current file 0.
  std::string getFilePath() const;
  // Index of the child with the smallest minimum range when the node was made.
  unsigned int getOriginalMinRangeIndex() const;

 private:
  std::vector<std::string> originalFilenames_;
  std::string originalDatabasePath_;
  unsigned int originalMinRangeIndex_ = 0;
};

}  // namespace forceLOD
}  // namespace me
}  // namespace vx
