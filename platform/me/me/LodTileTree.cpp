#include "me/LodTileTree.h"

#include <filesystem>
#include <map>
#include <system_error>

#include <osg/NodeVisitor>
#include <osg/TriangleIndexFunctor>
#include <osgDB/FileNameUtils>
#include <osgDB/ReadFile>

#include "me/FilePaths.h"
#include "vx/AtomicFile.h"

namespace vx {
namespace me {
namespace lod {

namespace {

namespace fs = std::filesystem;

struct IndexCollector {
  std::vector<unsigned> indices;
  void operator()(unsigned a, unsigned b, unsigned c) {
    if (a == b || b == c || a == c) return;
    indices.insert(indices.end(), {a, b, c});
  }
};

std::vector<unsigned> triangleIndices(const osg::Geometry& geometry) {
  osg::TriangleIndexFunctor<IndexCollector> collector;
  const_cast<osg::Geometry&>(geometry).accept(collector);
  return collector.indices;
}

std::string withoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

osg::Texture2D* textureOf(const osg::StateSet* state) {
  if (!state) return nullptr;
  return dynamic_cast<osg::Texture2D*>(
      const_cast<osg::StateAttribute*>(state->getTextureAttribute(0, osg::StateAttribute::TEXTURE)));
}

// Walks one file: collects its paged LODs, the drawables shown before finer files are loaded, and
// the finest triangles. The tile root's own transform is left out, so that everything is in tile
// coordinates.
class FileWalker : public osg::NodeVisitor {
 public:
  FileWalker(TileTree& tree, int file, const osg::Node* tileRoot)
      : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN), tree_(tree), file_(file), tileRoot_(tileRoot) {
    matrices_.push_back(osg::Matrixd::identity());
    textures_.push_back(nullptr);
  }

  // Finer files named by the paged LODs, resolved the way paging resolves them, and the paged
  // entry naming each.
  std::vector<std::string> finerPaths;
  std::vector<int> finerOwners;

  void apply(osg::Node& node) override { withState(node, [&] { traverse(node); }); }

  void apply(osg::Transform& node) override {
    withState(node, [&] {
      osg::Matrixd matrix = matrices_.back();
      if (&node != tileRoot_) node.computeLocalToWorldMatrix(matrix, this);
      matrices_.push_back(matrix);
      traverse(node);
      matrices_.pop_back();
    });
  }

  void apply(osg::PagedLOD& node) override {
    withState(node, [&] {
      const std::string folder = osgDB::getFilePath(tree_.files[file_].path);
      const std::string base = node.getDatabasePath().empty() ? folder : node.getDatabasePath();
      // The reader fills in the file's own folder; written back, it would tie the tile to this place.
      if (withoutTrailingSeparator(node.getDatabasePath()) == withoutTrailingSeparator(folder))
        node.setDatabasePath(std::string());
      PagedEntry entry;
      entry.node = &node;
      entry.toTile = matrices_.back();
      entry.file = file_;
      bool refines = false;
      for (unsigned i = node.getNumChildren(); i < node.getNumFileNames(); ++i) {
        if (node.getFileName(i).empty()) continue;
        refines = true;
        finerPaths.push_back(joinDatabasePath(base, backslashesToNative(node.getFileName(i))));
        finerOwners.push_back(static_cast<int>(tree_.paged.size()));
      }
      if (!refines) {
        traverse(node);
        return;
      }
      tree_.paged.push_back(entry);
      const int previous = coarseOf_;
      coarseOf_ = static_cast<int>(tree_.paged.size()) - 1;
      traverse(node);
      coarseOf_ = previous;
    });
  }

  void apply(osg::Geometry& geometry) override {
    withState(geometry, [&] {
      osg::Texture2D* texture = textures_.back();
      if (coarseOf_ >= 0) {
        CoarseGeometry coarse;
        coarse.geometry = &geometry;
        coarse.toTile = matrices_.back();
        coarse.texture = texture;
        coarse.paged = coarseOf_;
        coarse.triangles = countTriangles(geometry);
        tree_.coarse.push_back(coarse);
      } else {
        addFinest(geometry, texture);
      }
    });
  }

 private:
  template <typename F>
  void withState(osg::Node& node, F&& visit) {
    osg::Texture2D* texture = textureOf(node.getStateSet());
    textures_.push_back(texture ? texture : textures_.back());
    visit();
    textures_.pop_back();
  }

  void addFinest(const osg::Geometry& geometry, osg::Texture2D* texture) {
    const auto* vertices = dynamic_cast<const osg::Vec3Array*>(geometry.getVertexArray());
    if (!vertices) return;
    const auto* uvs = dynamic_cast<const osg::Vec2Array*>(geometry.getTexCoordArray(0));
    const osg::Image* image = texture && uvs ? texture->getImage() : nullptr;
    if (image && (!image->data() || image->s() < 1 || image->t() < 1)) image = nullptr;  // an image not found
    const std::vector<unsigned> indices = triangleIndices(geometry);
    const osg::Matrixd& matrix = matrices_.back();
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
      FineTriangle triangle;
      bool valid = true;
      for (int k = 0; k < 3; ++k) {
        const unsigned index = indices[t + k];
        if (index >= vertices->size()) valid = false;
        if (!valid) break;
        triangle.p[k] = osg::Vec3(osg::Vec3d((*vertices)[index]) * matrix);
        if (image && index < uvs->size()) triangle.uv[k] = (*uvs)[index];
      }
      if (!valid) continue;
      triangle.image = image;
      tree_.finest.push_back(triangle);
    }
  }

  TileTree& tree_;
  int file_;
  const osg::Node* tileRoot_;
  int coarseOf_ = -1;
  std::vector<osg::Matrixd> matrices_;
  std::vector<osg::Texture2D*> textures_;
};

}  // namespace

size_t countTriangles(const osg::Geometry& geometry) { return triangleIndices(geometry).size() / 3; }

osg::ref_ptr<osg::Node> readNodeFile(const std::string& path, const std::string& description) {
  std::error_code error;
  const fs::file_status status = fs::status(fs::u8path(path), error);
  if (!fs::exists(status)) throw vx::FileError(description + " " + path + " does not exist.");
  if (!fs::is_regular_file(status)) throw vx::FileError(description + " " + path + " is not a regular file.");
  // Through the registry, so that the guard the editor installs there sees the file first (the
  // readers crash on some damaged files); never from the object cache, since the nodes are changed
  // in place.
  osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
  options->setObjectCacheHint(osgDB::Options::CACHE_NONE);
  osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile(path, options.get());
  if (!node) throw vx::FileError(description + " " + path + " cannot be read; it is damaged or no mesh file.");
  return node;
}

std::vector<size_t> TileTree::finestBelow(int pagedIndex) const {
  std::vector<size_t> triangles;
  std::vector<int> pending = paged[pagedIndex].finerFiles;
  std::vector<bool> seen(files.size(), false);
  while (!pending.empty()) {
    const int file = pending.back();
    pending.pop_back();
    if (seen[file]) continue;
    seen[file] = true;
    for (size_t t = files[file].finestBegin; t < files[file].finestEnd; ++t) triangles.push_back(t);
    pending.insert(pending.end(), files[file].children.begin(), files[file].children.end());
  }
  return triangles;
}

TileTree readTileTree(const std::string& rootPath) {
  TileTree tree;
  std::map<std::string, int> fileIndex;
  tree.files.emplace_back();
  tree.files[0].path = rootPath;
  tree.files[0].root = readNodeFile(rootPath, "Tile file");
  fileIndex[rootPath] = 0;
  for (size_t file = 0; file < tree.files.size(); ++file) {
    const int index = static_cast<int>(file);
    FileWalker walker(tree, index, index == 0 ? tree.files[0].root.get() : nullptr);
    tree.files[file].finestBegin = tree.finest.size();
    tree.files[file].root->accept(walker);
    tree.files[file].finestEnd = tree.finest.size();
    for (size_t i = 0; i < walker.finerPaths.size(); ++i) {
      const std::string& path = walker.finerPaths[i];
      auto known = fileIndex.find(path);
      int child = 0;
      if (known != fileIndex.end()) {
        child = known->second;
      } else {
        osg::ref_ptr<osg::Node> node = readNodeFile(path, "Level file of tile " + rootPath + ":");
        child = static_cast<int>(tree.files.size());
        fileIndex[path] = child;
        tree.files.emplace_back();
        tree.files.back().path = path;
        tree.files.back().root = node;
      }
      tree.files[file].children.push_back(child);
      tree.paged[walker.finerOwners[i]].finerFiles.push_back(child);
    }
  }
  return tree;
}

}  // namespace lod
}  // namespace me
}  // namespace vx
