#include "demo/PhotoRenderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <map>
#include <stdexcept>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/NodeVisitor>
#include <osg/PagedLOD>
#include <osg/Texture>

namespace demo {

namespace {

// Nearest distance along the view that is drawn; the flight never comes this close to the surface.
constexpr double kNear = 0.5;

struct CameraVertex {
  double x, y, z;  // camera frame
  double s, t;     // texture coordinates
};

struct ScreenVertex {
  double x, y;    // image position (u, v)
  double q;       // 1 / z: affine in the image, so depth and texture coordinates interpolate exactly
  double sq, tq;  // s / z, t / z
};

class FinestCollector : public osg::NodeVisitor {
 public:
  FinestCollector(const osg::Vec3d& offset, std::vector<TexturedMesh>& meshes)
      : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN), offset_(offset), meshes_(meshes) {}

  void apply(osg::PagedLOD& lod) override {
    const bool refined = lod.getNumFileNames() > 1 && !lod.getFileName(1).empty();
    if (!refined) traverse(lod);
  }

  void apply(osg::Geometry& geometry) override {
    const auto* vertices = dynamic_cast<const osg::Vec3Array*>(geometry.getVertexArray());
    const auto* texCoords = dynamic_cast<const osg::Vec2Array*>(geometry.getTexCoordArray(0));
    const osg::StateSet* state = geometry.getStateSet();
    const auto* texture =
        state ? dynamic_cast<const osg::Texture*>(state->getTextureAttribute(0, osg::StateAttribute::TEXTURE)) : nullptr;
    if (!vertices || !texCoords || !texture || !texture->getImage(0)) return;
    TexturedMesh mesh;
    mesh.offset = offset_;
    mesh.vertices = vertices;
    mesh.texCoords = texCoords;
    mesh.texture = texture->getImage(0);
    for (unsigned p = 0; p < geometry.getNumPrimitiveSets(); ++p) {
      const osg::PrimitiveSet* primitives = geometry.getPrimitiveSet(p);
      if (primitives->getMode() != GL_TRIANGLES) continue;
      for (unsigned k = 0; k + 2 < primitives->getNumIndices(); k += 3) {
        for (unsigned c = 0; c < 3; ++c) mesh.triangles.push_back(primitives->index(k + c));
      }
    }
    if (!mesh.triangles.empty()) meshes_.push_back(mesh);
  }

 private:
  osg::Vec3d offset_;
  std::vector<TexturedMesh>& meshes_;
};

// The part of a triangle in front of the near plane: none, a triangle or a quadrilateral.
int clipToNear(const std::array<CameraVertex, 3>& in, std::array<CameraVertex, 4>& out) {
  int count = 0;
  for (int k = 0; k < 3; ++k) {
    const CameraVertex& a = in[static_cast<size_t>(k)];
    const CameraVertex& b = in[static_cast<size_t>((k + 1) % 3)];
    const bool aIn = a.z >= kNear;
    const bool bIn = b.z >= kNear;
    if (aIn) out[static_cast<size_t>(count++)] = a;
    if (aIn != bIn) {
      const double f = (kNear - a.z) / (b.z - a.z);
      out[static_cast<size_t>(count++)] = {a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), kNear,
                                           a.s + f * (b.s - a.s), a.t + f * (b.t - a.t)};
    }
  }
  return count;
}

// An edge function evaluated the same way, bit for bit, by both triangles that share the edge, so
// that no pixel centre on a shared edge is missed by both.
struct Edge {
  double x0, y0, dx, dy, sign;

  Edge(const ScreenVertex& a, const ScreenVertex& b, double orientation) {
    const bool swap = b.x < a.x || (b.x == a.x && b.y < a.y);
    const ScreenVertex& p = swap ? b : a;
    const ScreenVertex& r = swap ? a : b;
    x0 = p.x;
    y0 = p.y;
    dx = r.x - p.x;
    dy = r.y - p.y;
    sign = swap ? -orientation : orientation;
  }
  bool inside(double x, double y) const { return sign * (dx * (y - y0) - dy * (x - x0)) >= 0.0; }
};

// An attribute as an affine function of the image position over one triangle.
struct Plane {
  double at0, ddx, ddy, x0, y0;

  Plane(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, double va, double vb, double vc,
        double area)
      : at0(va),
        ddx(((vb - va) * (c.y - a.y) - (vc - va) * (b.y - a.y)) / area),
        ddy(((vc - va) * (b.x - a.x) - (vb - va) * (c.x - a.x)) / area),
        x0(a.x),
        y0(a.y) {}
  double at(double x, double y) const { return at0 + ddx * (x - x0) + ddy * (y - y0); }
};

}  // namespace

void collectFinestMeshes(osg::Node& node, const osg::Vec3d& offset, std::vector<TexturedMesh>& meshes) {
  FinestCollector collector(offset, meshes);
  node.accept(collector);
}

std::vector<TexturedMesh> finestMeshes(const TileNodes& tile) {
  std::vector<TexturedMesh> meshes;
  for (unsigned c = 0; c < tile.root->getNumChildren(); ++c) collectFinestMeshes(*tile.root->getChild(c), tile.offset, meshes);
  for (const vx::tiles::TileFile& file : tile.levelFiles) collectFinestMeshes(*file.node, tile.offset, meshes);
  return meshes;
}

// One photo being drawn: colour and depth buffers and the camera.
class PhotoRenderer::Raster {
 public:
  Raster(const PhotoRenderer& renderer, const vx::ImageOrientation& camera)
      : renderer_(renderer),
        camera_(camera),
        width_(camera.width()),
        height_(camera.height()),
        depth_(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0.0f) {
    photo_.width = width_;
    photo_.height = height_;
    photo_.rgb.assign(3 * depth_.size(), 0);
  }

  Photo draw() {
    for (const Mesh& mesh : renderer_.meshes_) {
      if (!mayBeSeen(mesh)) continue;
      drawMesh(mesh);
    }
    return std::move(photo_);
  }

 private:
  CameraVertex toCamera(const osg::Vec3d& world, double s, double t) const {
    const vx::ImageOrientation::Vec3 c = camera_.toCamera({{world.x(), world.y(), world.z()}});
    return {c[0], c[1], c[2], s, t};
  }

  // False only when the mesh's bounding box lies wholly behind the near plane or beside the image.
  bool mayBeSeen(const Mesh& mesh) const {
    bool left = true, right = true, above = true, below = true;
    for (int k = 0; k < 8; ++k) {
      const osg::Vec3d corner((k & 1) ? mesh.high.x() : mesh.low.x(), (k & 2) ? mesh.high.y() : mesh.low.y(),
                              (k & 4) ? mesh.high.z() : mesh.low.z());
      const CameraVertex c = toCamera(corner, 0.0, 0.0);
      if (c.z < kNear) return !behindAll(mesh);
      const double u = camera_.focalLength() * c.x / c.z + camera_.principalPointX();
      const double v = camera_.focalLength() * c.y / c.z + camera_.principalPointY();
      left = left && u < 0.0;
      right = right && u > width_;
      above = above && v < 0.0;
      below = below && v > height_;
    }
    return !(left || right || above || below);
  }

  bool behindAll(const Mesh& mesh) const {
    for (int k = 0; k < 8; ++k) {
      const osg::Vec3d corner((k & 1) ? mesh.high.x() : mesh.low.x(), (k & 2) ? mesh.high.y() : mesh.low.y(),
                              (k & 4) ? mesh.high.z() : mesh.low.z());
      if (toCamera(corner, 0.0, 0.0).z >= kNear) return false;
    }
    return true;
  }

  void drawMesh(const Mesh& mesh) {
    const osg::Vec3Array& vertices = *mesh.source.vertices;
    const osg::Vec2Array& texCoords = *mesh.source.texCoords;
    std::vector<CameraVertex> inCamera(vertices.size());
    for (size_t k = 0; k < vertices.size(); ++k)
      inCamera[k] = toCamera(mesh.source.offset + osg::Vec3d(vertices[k]), texCoords[k].x(), texCoords[k].y());
    std::vector<ScreenVertex> onScreen(vertices.size());
    for (size_t k = 0; k < vertices.size(); ++k) onScreen[k] = project(inCamera[k]);

    const MipChain& texture = renderer_.textures_[mesh.texture];
    const std::vector<unsigned>& triangles = mesh.source.triangles;
    for (size_t k = 0; k + 2 < triangles.size(); k += 3) {
      const std::array<CameraVertex, 3> corners{
          {inCamera[triangles[k]], inCamera[triangles[k + 1]], inCamera[triangles[k + 2]]}};
      if (corners[0].z >= kNear && corners[1].z >= kNear && corners[2].z >= kNear) {
        drawTriangle(onScreen[triangles[k]], onScreen[triangles[k + 1]], onScreen[triangles[k + 2]], texture);
        continue;
      }
      std::array<CameraVertex, 4> clipped;
      const int count = clipToNear(corners, clipped);
      for (int f = 1; f + 1 < count; ++f)
        drawTriangle(project(clipped[0]), project(clipped[static_cast<size_t>(f)]),
                     project(clipped[static_cast<size_t>(f + 1)]), texture);
    }
  }

  ScreenVertex project(const CameraVertex& c) const {
    if (c.z < kNear) return {0.0, 0.0, 0.0, 0.0, 0.0};  // behind: only used after clipping
    const double q = 1.0 / c.z;
    return {camera_.focalLength() * c.x * q + camera_.principalPointX(),
            camera_.focalLength() * c.y * q + camera_.principalPointY(), q, c.s * q, c.t * q};
  }

  void drawTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, const MipChain& texture) {
    const double area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (!(std::abs(area) > 1e-12)) return;
    // Pixel centres (i + 0.5, j + 0.5) within the triangle's bounds.
    const double minX = std::max(std::min({a.x, b.x, c.x}), -1.0);
    const double maxX = std::min(std::max({a.x, b.x, c.x}), width_ + 1.0);
    const double minY = std::max(std::min({a.y, b.y, c.y}), -1.0);
    const double maxY = std::min(std::max({a.y, b.y, c.y}), height_ + 1.0);
    const int i0 = std::max(0, static_cast<int>(std::ceil(minX - 0.5)));
    const int i1 = std::min(width_ - 1, static_cast<int>(std::floor(maxX - 0.5)));
    const int j0 = std::max(0, static_cast<int>(std::ceil(minY - 0.5)));
    const int j1 = std::min(height_ - 1, static_cast<int>(std::floor(maxY - 0.5)));
    if (i0 > i1 || j0 > j1) return;

    const double orientation = area > 0.0 ? 1.0 : -1.0;
    const Edge ab(a, b, orientation), bc(b, c, orientation), ca(c, a, orientation);
    const Plane q(a, b, c, a.q, b.q, c.q, area);
    const Plane sq(a, b, c, a.sq, b.sq, c.sq, area);
    const Plane tq(a, b, c, a.tq, b.tq, c.tq, area);
    const double texWidth = texture.front().width;
    const double texHeight = texture.front().height;

    for (int j = j0; j <= j1; ++j) {
      const double y = j + 0.5;
      for (int i = i0; i <= i1; ++i) {
        const double x = i + 0.5;
        if (!ab.inside(x, y) || !bc.inside(x, y) || !ca.inside(x, y)) continue;
        const double w = q.at(x, y);
        const size_t index = static_cast<size_t>(j) * static_cast<size_t>(width_) + static_cast<size_t>(i);
        if (!(w > 0.0) || static_cast<float>(w) <= depth_[index]) continue;
        depth_[index] = static_cast<float>(w);
        const double s = sq.at(x, y) / w;
        const double t = tq.at(x, y) / w;
        // Texels per pixel along the image axes decide the mipmap level, as OpenGL's lambda.
        const double dsdx = (sq.ddx - s * q.ddx) / w * texWidth;
        const double dtdx = (tq.ddx - t * q.ddx) / w * texHeight;
        const double dsdy = (sq.ddy - s * q.ddy) / w * texWidth;
        const double dtdy = (tq.ddy - t * q.ddy) / w * texHeight;
        const double rho2 = std::max(dsdx * dsdx + dtdx * dtdx, dsdy * dsdy + dtdy * dtdy);
        double colour[3];
        sample(texture, s, t, rho2, colour);
        unsigned char* out = &photo_.rgb[3 * index];
        for (int k = 0; k < 3; ++k) out[k] = static_cast<unsigned char>(std::lround(std::clamp(colour[k], 0.0, 255.0)));
      }
    }
  }

  static void bilinear(const Level& level, double s, double t, double out[3]) {
    const double x = std::clamp(s * level.width - 0.5, -1.0, static_cast<double>(level.width));
    const double y = std::clamp(t * level.height - 0.5, -1.0, static_cast<double>(level.height));
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const double ax = x - fx;
    const double ay = y - fy;
    const int c0 = std::clamp(static_cast<int>(fx), 0, level.width - 1);
    const int c1 = std::clamp(static_cast<int>(fx) + 1, 0, level.width - 1);
    const int r0 = std::clamp(static_cast<int>(fy), 0, level.height - 1);
    const int r1 = std::clamp(static_cast<int>(fy) + 1, 0, level.height - 1);
    const size_t row = 3 * static_cast<size_t>(level.width);
    const unsigned char* p00 = &level.rgb[static_cast<size_t>(r0) * row + 3 * static_cast<size_t>(c0)];
    const unsigned char* p10 = &level.rgb[static_cast<size_t>(r0) * row + 3 * static_cast<size_t>(c1)];
    const unsigned char* p01 = &level.rgb[static_cast<size_t>(r1) * row + 3 * static_cast<size_t>(c0)];
    const unsigned char* p11 = &level.rgb[static_cast<size_t>(r1) * row + 3 * static_cast<size_t>(c1)];
    for (int k = 0; k < 3; ++k) {
      const double bottom = p00[k] + ax * (p10[k] - p00[k]);
      const double top = p01[k] + ax * (p11[k] - p01[k]);
      out[k] = bottom + ay * (top - bottom);
    }
  }

  static void sample(const MipChain& texture, double s, double t, double rho2, double out[3]) {
    if (rho2 <= 1.0 || texture.size() == 1) {
      bilinear(texture.front(), s, t, out);
      return;
    }
    const double lambda = std::min(0.5 * std::log2(rho2), static_cast<double>(texture.size() - 1));
    const size_t fine = static_cast<size_t>(lambda);
    const size_t coarse = std::min(fine + 1, texture.size() - 1);
    const double f = lambda - static_cast<double>(fine);
    double a[3];
    double b[3];
    bilinear(texture[fine], s, t, a);
    bilinear(texture[coarse], s, t, b);
    for (int k = 0; k < 3; ++k) out[k] = a[k] + f * (b[k] - a[k]);
  }

  const PhotoRenderer& renderer_;
  const vx::ImageOrientation& camera_;
  int width_;
  int height_;
  std::vector<float> depth_;  // 1 / z of the nearest surface drawn so far; 0: none
  Photo photo_;
};

namespace {

// Level 0 is the image; each further level averages 2 x 2 texels, down to 1 x 1.
std::vector<std::vector<unsigned char>> mipLevels(const osg::Image& image, std::vector<std::pair<int, int>>& sizes) {
  if (image.getPixelFormat() != GL_RGB || image.getDataType() != GL_UNSIGNED_BYTE || image.s() < 1 || image.t() < 1)
    throw std::runtime_error("The photo renderer needs 8-bit RGB textures; \"" + image.getFileName() + "\" is not one.");
  std::vector<std::vector<unsigned char>> levels(1);
  int w = image.s();
  int h = image.t();
  levels[0].resize(3 * static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int row = 0; row < h; ++row)
    std::copy_n(image.data(0, row), 3 * static_cast<size_t>(w), levels[0].begin() + 3 * static_cast<ptrdiff_t>(row) * w);
  sizes.assign(1, {w, h});
  while (w > 1 || h > 1) {
    const int nw = std::max(1, w / 2);
    const int nh = std::max(1, h / 2);
    const std::vector<unsigned char>& src = levels.back();
    std::vector<unsigned char> dst(3 * static_cast<size_t>(nw) * static_cast<size_t>(nh));
    for (int r = 0; r < nh; ++r) {
      for (int c = 0; c < nw; ++c) {
        const int cs[2] = {std::min(2 * c, w - 1), std::min(2 * c + 1, w - 1)};
        const int rs[2] = {std::min(2 * r, h - 1), std::min(2 * r + 1, h - 1)};
        for (int k = 0; k < 3; ++k) {
          int sum = 0;
          for (int dr : rs)
            for (int dc : cs) sum += src[3 * (static_cast<size_t>(dr) * static_cast<size_t>(w) + static_cast<size_t>(dc)) + static_cast<size_t>(k)];
          dst[3 * (static_cast<size_t>(r) * static_cast<size_t>(nw) + static_cast<size_t>(c)) + static_cast<size_t>(k)] =
              static_cast<unsigned char>((sum + 2) / 4);
        }
      }
    }
    levels.push_back(std::move(dst));
    sizes.push_back({nw, nh});
    w = nw;
    h = nh;
  }
  return levels;
}

}  // namespace

void PhotoRenderer::add(std::vector<TexturedMesh> meshes) {
  for (const TexturedMesh& source : meshes) {
    if (!source.vertices || !source.texCoords || !source.texture || source.texCoords->size() != source.vertices->size())
      throw std::runtime_error("The photo renderer needs a vertex, a texture coordinate and a texture for every mesh.");
    for (unsigned index : source.triangles) {
      if (index >= source.vertices->size())
        throw std::runtime_error("A mesh for the photo renderer names vertex " + std::to_string(index) + " of " +
                                 std::to_string(source.vertices->size()) + ".");
    }
  }
  std::map<const osg::Image*, size_t> textureIndex;
  std::vector<MipChain> textures;
  std::vector<Mesh> added;
  for (TexturedMesh& source : meshes) {
    Mesh mesh;
    const auto found = textureIndex.find(source.texture.get());
    if (found == textureIndex.end()) {
      std::vector<std::pair<int, int>> sizes;
      std::vector<std::vector<unsigned char>> data = mipLevels(*source.texture, sizes);
      MipChain chain;
      for (size_t k = 0; k < data.size(); ++k) chain.push_back({sizes[k].first, sizes[k].second, std::move(data[k])});
      mesh.texture = textures_.size() + textures.size();
      textureIndex[source.texture.get()] = mesh.texture;
      textures.push_back(std::move(chain));
    } else {
      mesh.texture = found->second;
    }
    osg::BoundingBox box;
    for (const osg::Vec3& v : *source.vertices) box.expandBy(v);
    mesh.low = source.offset + osg::Vec3d(box._min);
    mesh.high = source.offset + osg::Vec3d(box._max);
    mesh.source = std::move(source);
    mesh.source.texture = nullptr;  // the mip chain holds its texels
    if (box.valid()) added.push_back(std::move(mesh));
  }
  std::move(textures.begin(), textures.end(), std::back_inserter(textures_));
  std::move(added.begin(), added.end(), std::back_inserter(meshes_));
}

Photo PhotoRenderer::render(const vx::ImageOrientation& camera) const {
  if (camera.width() < 1 || camera.height() < 1 || !(camera.focalLength() > 0.0))
    throw std::runtime_error("The camera of " + camera.imageName() + " has no image size or focal length.");
  return Raster(*this, camera).draw();
}

}  // namespace demo
