#include "me/LodRebuild.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include <osgUtil/Simplifier>
#include <osgUtil/SmoothingVisitor>

namespace vx {
namespace me {
namespace lod {

namespace {

// The finest triangles bucketed on a grid in x, y, so that each texel finds the surface below it.
class SurfaceFromAbove {
 public:
  SurfaceFromAbove(const std::vector<FineTriangle>& finest, const std::vector<size_t>& which, const Extent& extent)
      : finest_(finest), extent_(extent) {
    cells_ = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(which.size()) / 2.0)));
    buckets_.resize(static_cast<size_t>(cells_) * cells_);
    for (size_t t : which) {
      const FineTriangle& triangle = finest[t];
      float minX = triangle.p[0].x(), maxX = minX, minY = triangle.p[0].y(), maxY = minY;
      for (int k = 1; k < 3; ++k) {
        minX = std::min(minX, triangle.p[k].x());
        maxX = std::max(maxX, triangle.p[k].x());
        minY = std::min(minY, triangle.p[k].y());
        maxY = std::max(maxY, triangle.p[k].y());
      }
      for (int j = cellY(minY); j <= cellY(maxY); ++j)
        for (int i = cellX(minX); i <= cellX(maxX); ++i) buckets_[static_cast<size_t>(j) * cells_ + i].push_back(t);
    }
  }

  // The highest triangle over (x, y) and the weights of its corners there; null when none.
  const FineTriangle* triangleAt(float x, float y, osg::Vec3& weights) const {
    const FineTriangle* best = nullptr;
    float bestZ = 0.0f;
    for (size_t t : buckets_[static_cast<size_t>(cellY(y)) * cells_ + cellX(x)]) {
      const FineTriangle& tri = finest_[t];
      const osg::Vec3 &a = tri.p[0], &b = tri.p[1], &c = tri.p[2];
      const float d = (b.y() - c.y()) * (a.x() - c.x()) + (c.x() - b.x()) * (a.y() - c.y());
      if (std::fabs(d) < 1e-12f) continue;  // a wall, seen from above
      const float l0 = ((b.y() - c.y()) * (x - c.x()) + (c.x() - b.x()) * (y - c.y())) / d;
      const float l1 = ((c.y() - a.y()) * (x - c.x()) + (a.x() - c.x()) * (y - c.y())) / d;
      const float l2 = 1.0f - l0 - l1;
      constexpr float kSlack = -1e-4f;
      if (l0 < kSlack || l1 < kSlack || l2 < kSlack) continue;
      const float z = l0 * a.z() + l1 * b.z() + l2 * c.z();
      if (best && z <= bestZ) continue;
      best = &tri;
      bestZ = z;
      weights.set(l0, l1, l2);
    }
    return best;
  }

  // Colour of the highest finest triangle over (x, y); false when there is none.
  bool colourAt(float x, float y, osg::Vec4& colour) const {
    osg::Vec3 w;
    const FineTriangle* triangle = triangleAt(x, y, w);
    if (!triangle || !triangle->image) return false;
    colour = bilinear(*triangle->image, triangle->uv[0] * w[0] + triangle->uv[1] * w[1] + triangle->uv[2] * w[2]);
    return true;
  }

 private:
  int cellX(float x) const { return cellOf((x - extent_.x0) / (extent_.x1 - extent_.x0)); }
  int cellY(float y) const { return cellOf((y - extent_.y0) / (extent_.y1 - extent_.y0)); }
  int cellOf(float fraction) const {
    return std::clamp(static_cast<int>(std::floor(fraction * cells_)), 0, cells_ - 1);
  }

  static osg::Vec4 bilinear(const osg::Image& image, const osg::Vec2& uv) {
    const float s = std::clamp(uv.x(), 0.0f, 1.0f) * image.s() - 0.5f;
    const float t = std::clamp(uv.y(), 0.0f, 1.0f) * image.t() - 0.5f;
    const int s0 = static_cast<int>(std::floor(s));
    const int t0 = static_cast<int>(std::floor(t));
    const float fs = s - s0;
    const float ft = t - t0;
    const auto at = [&](int i, int j) {
      return image.getColor(static_cast<unsigned>(std::clamp(i, 0, image.s() - 1)),
                            static_cast<unsigned>(std::clamp(j, 0, image.t() - 1)));
    };
    return (at(s0, t0) * (1 - fs) + at(s0 + 1, t0) * fs) * (1 - ft) +
           (at(s0, t0 + 1) * (1 - fs) + at(s0 + 1, t0 + 1) * fs) * ft;
  }

  const std::vector<FineTriangle>& finest_;
  Extent extent_;
  int cells_ = 1;
  std::vector<std::vector<size_t>> buckets_;
};

// Samples per texel side: enough to average the finest texels a coarse texel covers.
int samplesPerTexel(const std::vector<FineTriangle>& finest, const std::vector<size_t>& which, int width, int height) {
  std::set<const osg::Image*> images;
  for (size_t t : which)
    if (finest[t].image) images.insert(finest[t].image);
  double texels = 0.0;
  for (const osg::Image* image : images) texels += static_cast<double>(image->s()) * image->t();
  const double ratio = std::sqrt(texels / (static_cast<double>(width) * height));
  return std::clamp(static_cast<int>(std::lround(ratio)), 1, 4);
}

size_t triangleCount(const osg::Geometry& geometry) {
  size_t count = 0;
  for (unsigned i = 0; i < geometry.getNumPrimitiveSets(); ++i)
    if (geometry.getPrimitiveSet(i)->getMode() == GL_TRIANGLES) count += geometry.getPrimitiveSet(i)->getNumIndices() / 3;
  return count;
}

// Indices of the `points` farther than `gap` vertically from `surface`, both in tile coordinates.
std::vector<unsigned> pointsOffSurface(const osg::Geometry& surface, const osg::Vec3Array& points, double gap) {
  const auto* vertices = static_cast<const osg::Vec3Array*>(surface.getVertexArray());
  std::vector<FineTriangle> triangles;
  for (unsigned i = 0; i < surface.getNumPrimitiveSets(); ++i) {
    const osg::PrimitiveSet& set = *surface.getPrimitiveSet(i);
    if (set.getMode() != GL_TRIANGLES) continue;
    for (unsigned k = 0; k + 2 < set.getNumIndices(); k += 3) {
      FineTriangle triangle;
      for (unsigned c = 0; c < 3; ++c) triangle.p[c] = (*vertices)[set.index(k + c)];
      triangles.push_back(triangle);
    }
  }
  std::vector<size_t> all(triangles.size());
  for (size_t t = 0; t < all.size(); ++t) all[t] = t;
  std::vector<unsigned> far;
  const Extent extent = extentOf(triangles, all);
  if (!extent.valid()) return far;
  const SurfaceFromAbove above(triangles, all, extent);
  for (unsigned i = 0; i < points.size(); ++i) {
    const osg::Vec3& p = points[i];
    osg::Vec3 w;
    const FineTriangle* triangle = above.triangleAt(p.x(), p.y(), w);
    if (!triangle) continue;
    const float z = triangle->p[0].z() * w[0] + triangle->p[1].z() * w[1] + triangle->p[2].z() * w[2];
    if (std::fabs(p.z() - z) > gap) far.push_back(i);
  }
  return far;
}

// The simplifier's error of a collapse is measured against the surface as it is by then and does
// not add up, so at high ratios it flattens raised blocks and buildings away. A bound on each
// collapse, tied to the mean edge length the target gives, keeps more of them; finest vertices the
// result still leaves by more than half that length are then protected in a further run, as long
// as it needs at most twice the target.
constexpr double kCollapseBound = 0.1;
constexpr double kAcceptedGap = 0.5;
constexpr size_t kMostTrianglesPerTarget = 2;
constexpr int kProtectingRuns = 4;

unsigned char toByte(float value) { return static_cast<unsigned char>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)); }

}  // namespace

osg::ref_ptr<osg::Geometry> simplifiedSurface(const std::vector<FineTriangle>& finest, const std::vector<size_t>& which,
                                              size_t targetTriangles) {
  osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
  osg::ref_ptr<osg::DrawElementsUInt> triangles = new osg::DrawElementsUInt(GL_TRIANGLES);
  // Welded by position: the finest files' seams are no boundaries the simplifier has to keep.
  std::map<osg::Vec3, unsigned> weld;
  double area = 0.0;
  for (size_t t : which) {
    const osg::Vec3* p = finest[t].p;
    area += 0.5 * ((p[1] - p[0]) ^ (p[2] - p[0])).length();
    unsigned index[3];
    for (int k = 0; k < 3; ++k) {
      auto inserted = weld.emplace(finest[t].p[k], static_cast<unsigned>(vertices->size()));
      if (inserted.second) vertices->push_back(finest[t].p[k]);
      index[k] = inserted.first->second;
    }
    if (index[0] == index[1] || index[1] == index[2] || index[0] == index[2]) continue;
    for (unsigned i : index) triangles->push_back(i);
  }
  osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
  geometry->setVertexArray(vertices.get());
  geometry->addPrimitiveSet(triangles.get());
  const size_t count = triangles->size() / 3;
  if (targetTriangles == 0 || count <= targetTriangles) {
    osgUtil::SmoothingVisitor::smooth(*geometry);
    return geometry;
  }
  const double meanEdge = std::sqrt(2.0 * area / static_cast<double>(targetTriangles));
  const double ratio = static_cast<double>(targetTriangles) / static_cast<double>(count);
  const auto simplify = [&](const std::vector<unsigned>& keep) {
    osg::ref_ptr<osg::Geometry> result = new osg::Geometry(*geometry, osg::CopyOp::DEEP_COPY_ALL);
    osgUtil::Simplifier simplifier(ratio, kCollapseBound * meanEdge);
    simplifier.setDoTriStrip(false);
    simplifier.setSmoothing(true);
    simplifier.simplify(*result, keep);
    return result;
  };
  std::vector<unsigned> kept;
  osg::ref_ptr<osg::Geometry> simplified = simplify(kept);
  for (int run = 0; run < kProtectingRuns; ++run) {
    const std::vector<unsigned> far = pointsOffSurface(*simplified, *vertices, kAcceptedGap * meanEdge);
    if (far.empty()) break;
    kept.insert(kept.end(), far.begin(), far.end());
    osg::ref_ptr<osg::Geometry> candidate = simplify(kept);
    if (triangleCount(*candidate) > kMostTrianglesPerTarget * targetTriangles) break;
    simplified = candidate;
  }
  return simplified;
}

Extent extentOf(const std::vector<FineTriangle>& finest, const std::vector<size_t>& which) {
  Extent extent;
  bool first = true;
  for (size_t t : which) {
    for (const osg::Vec3& p : finest[t].p) {
      if (first) {
        extent = {p.x(), p.y(), p.x(), p.y()};
        first = false;
      }
      extent.x0 = std::min(extent.x0, p.x());
      extent.y0 = std::min(extent.y0, p.y());
      extent.x1 = std::max(extent.x1, p.x());
      extent.y1 = std::max(extent.y1, p.y());
    }
  }
  return extent;
}

osg::ref_ptr<osg::Image> bakeTexture(const std::vector<FineTriangle>& finest, const std::vector<size_t>& which,
                                     const Extent& extent, int width, int height, const osg::Image* fallback) {
  const SurfaceFromAbove surface(finest, which, extent);
  const int samples = samplesPerTexel(finest, which, width, height);
  osg::ref_ptr<osg::Image> image = new osg::Image;
  image->allocateImage(width, height, 1, GL_RGB, GL_UNSIGNED_BYTE);
  image->setInternalTextureFormat(GL_RGB);
  const bool useFallback = fallback && fallback->data() && fallback->s() == width && fallback->t() == height;
  const float texelX = (extent.x1 - extent.x0) / width;
  const float texelY = (extent.y1 - extent.y0) / height;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      osg::Vec4 sum;
      int hits = 0;
      for (int b = 0; b < samples; ++b) {
        for (int a = 0; a < samples; ++a) {
          const float x = extent.x0 + (column + (a + 0.5f) / samples) * texelX;
          const float y = extent.y0 + (row + (b + 0.5f) / samples) * texelY;
          osg::Vec4 colour;
          if (surface.colourAt(x, y, colour)) {
            sum += colour;
            ++hits;
          }
        }
      }
      osg::Vec4 colour = hits > 0 ? sum / static_cast<float>(hits)
                                  : (useFallback ? fallback->getColor(column, row) : osg::Vec4(0.5f, 0.5f, 0.5f, 1.0f));
      unsigned char* texel = image->data(column, row);
      texel[0] = toByte(colour.r());
      texel[1] = toByte(colour.g());
      texel[2] = toByte(colour.b());
    }
  }
  return image;
}

}  // namespace lod
}  // namespace me
}  // namespace vx
