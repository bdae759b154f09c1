#pragma once

#include <vector>

#include <osg/Geometry>
#include <osg/Image>

#include "me/LodTileTree.h"

namespace vx {
namespace me {
namespace lod {

// The finest triangles `which` of `finest` welded into one surface and simplified with
// osgUtil::Simplifier to about `targetTriangles`, with smooth normals. Where the result leaves
// finest vertices by more than half its mean edge length, those are kept in further runs, for up
// to twice the target. The outline is kept as it is, so that the rebuilt node still meets its
// neighbours and the neighbouring tiles.
osg::ref_ptr<osg::Geometry> simplifiedSurface(const std::vector<FineTriangle>& finest, const std::vector<size_t>& which,
                                              size_t targetTriangles);

// Rectangle in tile coordinates (x, y) over which a coarse texture is laid from above.
struct Extent {
  float x0 = 0.0f;
  float y0 = 0.0f;
  float x1 = 0.0f;
  float y1 = 0.0f;
  bool valid() const { return x1 > x0 && y1 > y0; }
  osg::Vec2 textureCoordinate(const osg::Vec3& p) const { return {(p.x() - x0) / (x1 - x0), (p.y() - y0) / (y1 - y0)}; }
};
Extent extentOf(const std::vector<FineTriangle>& finest, const std::vector<size_t>& which);

// A texture of `width` x `height` texels laid over `extent` (row 0 at the low y, as the meshes'
// textures are), each texel the mean of the finest textures seen from above over its area.
// Texels over no finest triangle take the colour of `fallback` (same size) when given.
osg::ref_ptr<osg::Image> bakeTexture(const std::vector<FineTriangle>& finest, const std::vector<size_t>& which,
                                     const Extent& extent, int width, int height, const osg::Image* fallback);

}  // namespace lod
}  // namespace me
}  // namespace vx
