#include "me/StagedFiles.h"

#include <filesystem>
#include <set>
#include <sstream>
#include <system_error>

#include <osg/NodeVisitor>
#include <osg/PagedLOD>
#include <osgDB/FileNameUtils>
#include <osgDB/Registry>

#include "me/LodTileTree.h"
#include "vx/AtomicFile.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vx {
namespace me {
namespace lod {

namespace {

namespace fs = std::filesystem;

// Beside the target, with its extension, so that the registry reads it back with the same reader.
std::string stagedPathOf(const std::string& target) {
  return osgDB::getNameLessExtension(target) + ".lod-update." + osgDB::getFileExtension(target);
}

// What a written file must read back as: its nodes, paged file names and triangles.
struct Shape {
  size_t nodes = 0;
  size_t triangles = 0;
  std::vector<std::string> fileNames;
  bool operator==(const Shape& other) const {
    return nodes == other.nodes && triangles == other.triangles && fileNames == other.fileNames;
  }
};

class ShapeVisitor : public osg::NodeVisitor {
 public:
  ShapeVisitor() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
  Shape shape;
  void apply(osg::Node& node) override {
    ++shape.nodes;
    traverse(node);
  }
  void apply(osg::PagedLOD& node) override {
    for (unsigned i = 0; i < node.getNumFileNames(); ++i) shape.fileNames.push_back(node.getFileName(i));
    apply(static_cast<osg::Node&>(node));
  }
  void apply(osg::Geometry& geometry) override {
    shape.triangles += countTriangles(geometry);
    apply(static_cast<osg::Node&>(geometry));
  }
};

Shape shapeOf(const osg::Node& node) {
  ShapeVisitor visitor;
  const_cast<osg::Node&>(node).accept(visitor);
  return visitor.shape;
}

// The new names must reach the disk too, or a power cut may bring back the old files.
void flushFolder(const std::string& file) {
#ifndef _WIN32
  std::string folder = osgDB::getFilePath(file);
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
#endif
}

}  // namespace

StagedFiles::~StagedFiles() {
  for (const Staged& file : files_) {
    std::error_code ignored;
    fs::remove(fs::u8path(file.staged), ignored);
  }
}

void StagedFiles::stage(const osg::Node& node, const std::string& target) {
  osgDB::ReaderWriter* writer =
      osgDB::Registry::instance()->getReaderWriterForExtension(osgDB::getLowerCaseFileExtension(target));
  if (!writer) throw vx::FileError("Cannot save " + target + ": its format cannot be written.");
  static const osg::ref_ptr<osgDB::Options> options = new osgDB::Options("WriteImageHint=IncludeData");
  std::ostringstream out(std::ios::out | std::ios::binary);
  const osgDB::ReaderWriter::WriteResult result = writer->writeNode(node, out, options.get());
  if (!result.success() || !out) {
    const std::string reason = result.message().empty() ? std::string("the writer failed") : result.message();
    throw vx::FileError("Cannot save " + target + ": " + reason + ".");
  }
  const std::string staged = stagedPathOf(target);
  try {
    vx::writeFileAtomically(staged, out.str());
  } catch (const vx::FileError& error) {
    throw vx::FileError("Cannot save " + target + ": its new content could not be written beside it (" + error.what() + ")");
  }
  files_.push_back({staged, target});
  osg::ref_ptr<osg::Node> back;
  try {
    back = readNodeFile(staged, "Written file");
  } catch (const vx::FileError& error) {
    throw vx::FileError("Cannot save " + target + ": the written file does not read back (" + error.what() + ")");
  }
  if (!(shapeOf(*back) == shapeOf(node)))
    throw vx::FileError("Cannot save " + target + ": the written file does not read back as it was written.");
}

void StagedFiles::commit() {
  while (!files_.empty()) {
    const Staged file = files_.front();
#ifndef _WIN32
    struct stat status {};
    if (::stat(file.target.c_str(), &status) == 0 && S_ISREG(status.st_mode))
      (void)::chmod(file.staged.c_str(), status.st_mode & 07777);
#endif
    std::error_code error;
    fs::rename(fs::u8path(file.staged), fs::u8path(file.target), error);
    if (error) throw vx::FileError("Cannot save " + file.target + ": replacing it failed (" + error.message() + ").");
    files_.erase(files_.begin());
    flushFolder(file.target);
  }
}

}  // namespace lod
}  // namespace me
}  // namespace vx
