#include "me/ForceLODPagedLOD.h"

#include "me/FilePaths.h"

namespace vx {
namespace me {
namespace forceLOD {

namespace {

// A request still pending for the copied node would deliver its child there, never here.
void dropPendingRequests(osg::PagedLOD& node) {
  for (unsigned int i = 0; i < node.getNumFileNames(); ++i) node.getDatabaseRequest(i) = nullptr;
}

}  // namespace

ForceLODPagedLOD::ForceLODPagedLOD() = default;

ForceLODPagedLOD::ForceLODPagedLOD(const osg::PagedLOD& source, const osg::CopyOp& copyop)
    : osg::PagedLOD(source, copyop) {
  dropPendingRequests(*this);
  for (unsigned int i = 0; i < getNumFileNames(); ++i) setFileName(i, backslashesToNative(getFileName(i)));
  // Recorded after normalising, so that an untouched node never counts as modified.
  originalFilenames_.reserve(getNumFileNames());
  for (unsigned int i = 0; i < getNumFileNames(); ++i) originalFilenames_.push_back(getFileName(i));
  originalDatabasePath_ = getDatabasePath();
  for (unsigned int i = 1; i < getNumRanges(); ++i) {
    if (getMinRange(i) < getMinRange(originalMinRangeIndex_)) originalMinRangeIndex_ = i;
  }
}

ForceLODPagedLOD::ForceLODPagedLOD(const ForceLODPagedLOD& other, const osg::CopyOp& copyop)
    : osg::PagedLOD(other, copyop),
      originalFilenames_(other.originalFilenames_),
      originalDatabasePath_(other.originalDatabasePath_),
      originalMinRangeIndex_(other.originalMinRangeIndex_) {
  dropPendingRequests(*this);
}

std::string ForceLODPagedLOD::getOriginalFilename(unsigned int i) const {
  return i < originalFilenames_.size() ? originalFilenames_[i] : std::string();
}

std::string ForceLODPagedLOD::getOriginalDatabasePath() const { return originalDatabasePath_; }

std::string ForceLODPagedLOD::getOriginalFilePath() const {
  return joinDatabasePath(originalDatabasePath_, getOriginalFilename(0));
}

std::string ForceLODPagedLOD::getFilePath() const {
  return joinDatabasePath(getDatabasePath(), getNumFileNames() > 0 ? getFileName(0) : std::string());
}

unsigned int ForceLODPagedLOD::getOriginalMinRangeIndex() const { return originalMinRangeIndex_; }

}  // namespace forceLOD
}  // namespace me
}  // namespace vx
