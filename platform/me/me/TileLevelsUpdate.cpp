#include "me/TileLevelsUpdate.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include <osg/BoundingBox>

#include "me/LodRebuild.h"
#include "me/LodTileTree.h"
#include "me/StagedFiles.h"
#include "vx/AtomicFile.h"

namespace vx {
namespace me {
namespace lod {

namespace {

osg::BoundingBox boxOf(const std::vector<FineTriangle>& finest, const std::vector<size_t>& which) {
  osg::BoundingBox box;
  for (size_t t : which)
    for (const osg::Vec3& p : finest[t].p) box.expandBy(p);
  return box;
}

// Puts `surface` (tile coordinates) into `target`, which lies under `toTile`.
void replaceSurface(osg::Geometry& target, const osg::Geometry& surface, const osg::Matrixd& toTile,
                    const Extent* textureExtent) {
  const osg::Matrixd toLocal = osg::Matrixd::inverse(toTile);
  const auto* vertices = static_cast<const osg::Vec3Array*>(surface.getVertexArray());
  const auto* normals = dynamic_cast<const osg::Vec3Array*>(surface.getNormalArray());
  osg::ref_ptr<osg::Vec3Array> localVertices = new osg::Vec3Array;
  osg::ref_ptr<osg::Vec3Array> localNormals = new osg::Vec3Array;
  osg::ref_ptr<osg::Vec2Array> uvs = new osg::Vec2Array;
  for (size_t i = 0; i < vertices->size(); ++i) {
    const osg::Vec3& p = (*vertices)[i];
    localVertices->push_back(osg::Vec3(osg::Vec3d(p) * toLocal));
    if (normals && i < normals->size()) {
      osg::Vec3 n = osg::Matrixd::transform3x3(toTile, (*normals)[i]);
      n.normalize();
      localNormals->push_back(n);
    }
    if (textureExtent) uvs->push_back(textureExtent->textureCoordinate(p));
  }
  target.setVertexArray(localVertices.get());
  target.setNormalArray(localNormals->size() == localVertices->size() ? localNormals.get() : nullptr,
                        osg::Array::BIND_PER_VERTEX);
  target.setTexCoordArrayList(osg::Geometry::ArrayList());
  if (textureExtent) target.setTexCoordArray(0, uvs.get(), osg::Array::BIND_PER_VERTEX);
  // Per-vertex values of the old surface fit none of the new vertices.
  if (target.getColorArray() && target.getColorArray()->getBinding() != osg::Array::BIND_OVERALL)
    target.setColorArray(nullptr);
  target.setSecondaryColorArray(nullptr);
  target.setFogCoordArray(nullptr);
  target.setVertexAttribArrayList(osg::Geometry::ArrayList());
  target.removePrimitiveSet(0, target.getNumPrimitiveSets());
  for (unsigned i = 0; i < surface.getNumPrimitiveSets(); ++i)
    target.addPrimitiveSet(const_cast<osg::PrimitiveSet*>(surface.getPrimitiveSet(i)));
  target.dirtyBound();
}

// The triangles of a rebuilt surface (tile coordinates), as the input of the next coarser level.
std::vector<FineTriangle> trianglesOf(const osg::Geometry& surface) {
  std::vector<FineTriangle> triangles;
  const auto* vertices = dynamic_cast<const osg::Vec3Array*>(surface.getVertexArray());
  if (!vertices) return triangles;
  for (unsigned i = 0; i < surface.getNumPrimitiveSets(); ++i) {
    const auto* elements = dynamic_cast<const osg::DrawElements*>(surface.getPrimitiveSet(i));
    if (!elements || elements->getMode() != GL_TRIANGLES) continue;
    for (unsigned k = 0; k + 2 < elements->getNumIndices(); k += 3) {
      FineTriangle t;
      for (int c = 0; c < 3; ++c) t.p[c] = (*vertices)[elements->index(k + unsigned(c))];
      triangles.push_back(t);
    }
  }
  return triangles;
}

void clearSurface(osg::Geometry& target) {
  target.removePrimitiveSet(0, target.getNumPrimitiveSets());
  target.dirtyBound();
}

// A user value of the root, kept in the type it was written with.
void setCorner(osg::Node& root, const std::string& name, const osg::Vec3& value) {
  osg::Vec3d asDouble;
  if (root.getUserValue(name, asDouble)) {
    root.setUserValue(name, osg::Vec3d(value));
  } else {
    root.setUserValue(name, value);
  }
}

}  // namespace

void updateTileLevels(const std::string& rootPath) {
  TileTree tree = readTileTree(rootPath);
  if (tree.coarse.empty())
    throw vx::FileError("Tile file " + rootPath + " has no coarser levels of detail to rebuild.");
  if (tree.finest.empty()) throw vx::FileError("Tile file " + rootPath + " has no finest level to rebuild them from.");

  std::vector<std::vector<size_t>> finestOf(tree.paged.size());
  for (size_t p = 0; p < tree.paged.size(); ++p) finestOf[p] = tree.finestBelow(static_cast<int>(p));

  // Nodes sharing a texture get one new texture over all of them, as they had one before.
  std::map<osg::Texture2D*, Extent> textureExtents;
  {
    std::map<osg::Texture2D*, std::set<int>> pagedOf;
    for (const CoarseGeometry& coarse : tree.coarse)
      if (coarse.texture) pagedOf[coarse.texture].insert(coarse.paged);
    for (const auto& [texture, paged] : pagedOf) {
      std::vector<size_t> which;
      for (int p : paged) which.insert(which.end(), finestOf[p].begin(), finestOf[p].end());
      const Extent extent = extentOf(tree.finest, which);
      if (!extent.valid()) continue;
      textureExtents[texture] = extent;
      const osg::Image* former = texture->getImage();
      const int width = former && former->s() > 0 ? former->s() : 256;
      const int height = former && former->t() > 0 ? former->t() : 256;
      texture->setImage(bakeTexture(tree.finest, which, extent, width, height, former).get());
    }
  }

  std::map<int, size_t> targetTriangles;
  for (const CoarseGeometry& coarse : tree.coarse) targetTriangles[coarse.paged] += coarse.triangles;

  // Each coarse node is made from the rebuilt nodes one level finer below it, the nodes just
  // above the finest level from the finest: the simplifier then never sees more than four times
  // a node's own triangles, however many levels the tile has.
  std::vector<std::vector<int>> finerPaged(tree.paged.size());
  for (size_t p = 0; p < tree.paged.size(); ++p)
    for (size_t q = 0; q < tree.paged.size(); ++q)
      if (std::find(tree.paged[p].finerFiles.begin(), tree.paged[p].finerFiles.end(), tree.paged[q].file) !=
          tree.paged[p].finerFiles.end())
        finerPaged[p].push_back(int(q));
  std::vector<int> height(tree.paged.size(), -1);
  const std::function<int(int)> heightOf = [&](int p) {
    if (height[size_t(p)] >= 0) return height[size_t(p)];
    int h = 0;
    for (int q : finerPaged[size_t(p)]) h = std::max(h, heightOf(q) + 1);
    return height[size_t(p)] = h;
  };
  std::vector<const CoarseGeometry*> order;
  for (const CoarseGeometry& coarse : tree.coarse) order.push_back(&coarse);
  std::stable_sort(order.begin(), order.end(), [&](const CoarseGeometry* a, const CoarseGeometry* b) {
    return heightOf(a->paged) < heightOf(b->paged);
  });
  std::map<int, std::vector<FineTriangle>> rebuiltSurface;
  std::set<int> rebuilt;
  for (const CoarseGeometry* coarse : order) {
    // A coarse node drawn by several drawables gets the whole rebuilt surface in its first one.
    if (!rebuilt.insert(coarse->paged).second || finestOf[coarse->paged].empty()) {
      clearSurface(*coarse->geometry);
      continue;
    }
    std::vector<FineTriangle> finer;
    bool fromRebuilt = !finerPaged[size_t(coarse->paged)].empty();
    for (int q : finerPaged[size_t(coarse->paged)]) {
      const auto found = rebuiltSurface.find(q);
      if (found == rebuiltSurface.end()) {
        fromRebuilt = false;
        break;
      }
      finer.insert(finer.end(), found->second.begin(), found->second.end());
    }
    const std::vector<FineTriangle>& input = fromRebuilt ? finer : tree.finest;
    std::vector<size_t> which;
    if (fromRebuilt) {
      which.resize(finer.size());
      for (size_t t = 0; t < which.size(); ++t) which[t] = t;
    }
    const osg::ref_ptr<osg::Geometry> surface =
        simplifiedSurface(input, fromRebuilt ? which : finestOf[coarse->paged], targetTriangles[coarse->paged]);
    rebuiltSurface[coarse->paged] = trianglesOf(*surface);
    auto extent = textureExtents.find(coarse->texture);
    replaceSurface(*coarse->geometry, *surface, coarse->toTile,
                   extent == textureExtents.end() ? nullptr : &extent->second);
  }

  std::set<int> rewritten;
  for (size_t p = 0; p < tree.paged.size(); ++p) {
    const PagedEntry& entry = tree.paged[p];
    rewritten.insert(entry.file);
    if (entry.node->getCenterMode() == osg::LOD::USE_BOUNDING_SPHERE_CENTER || finestOf[p].empty()) continue;
    const osg::BoundingBox box = boxOf(tree.finest, finestOf[p]);
    const osg::Matrixd toLocal = osg::Matrixd::inverse(entry.toTile);
    entry.node->setCenter(osg::Vec3(osg::Vec3d(box.center()) * toLocal));
    entry.node->setRadius(box.radius());
  }

  std::vector<size_t> all(tree.finest.size());
  for (size_t t = 0; t < all.size(); ++t) all[t] = t;
  const osg::BoundingBox bounds = boxOf(tree.finest, all);
  osg::Node& root = *tree.files[0].root;
  setCorner(root, "MinXYZ", bounds._min);
  setCorner(root, "MaxXYZ", bounds._max);
  root.setUserValue("EditState", 1);

  StagedFiles staged;
  // The root last: a tile whose root is replaced is complete.
  for (int file : rewritten)
    if (file != 0) staged.stage(*tree.files[file].root, tree.files[file].path);
  staged.stage(root, rootPath);
  staged.commit();
}

}  // namespace lod
}  // namespace me
}  // namespace vx
