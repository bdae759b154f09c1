#pragma once

#include <vector>

#include <osg/Array>
#include <osg/Image>
#include <osg/Node>
#include <osg/Vec3d>
#include <osg/ref_ptr>

#include "demo/TileMeshBuilder.h"
#include "vx/ImageOrientation.h"

namespace demo {

// Triangles sharing one texture, vertices relative to `offset` (world), as a tile file holds them.
struct TexturedMesh {
  osg::Vec3d offset;
  osg::ref_ptr<const osg::Vec3Array> vertices;
  osg::ref_ptr<const osg::Vec2Array> texCoords;
  std::vector<unsigned> triangles;          // three vertex indices per triangle
  osg::ref_ptr<const osg::Image> texture;   // RGB, 8 bits per channel, row 0 at t = 0
};

// Adds the textured triangle geometries below `node` that are drawn once every level of detail is
// refined: PagedLODs that name a finer file are passed over. Transforms below `node` are not
// applied; `offset` places the vertices.
void collectFinestMeshes(osg::Node& node, const osg::Vec3d& offset, std::vector<TexturedMesh>& meshes);
// The finest level of a tile in memory (its root and its level files).
std::vector<TexturedMesh> finestMeshes(const TileNodes& tile);

// An RGB image, row 0 at the top, 3 bytes per pixel.
struct Photo {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;

  const unsigned char* pixel(int column, int row) const {
    return rgb.data() + 3 * (static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(column));
  }
};

// Draws what a camera of the flight sees of textured triangles, on the CPU and independent of
// OpenGL, yet as OpenGL draws them: z-buffered, unlit, textures sampled with perspective-correct
// coordinates, bilinearly where magnified and trilinearly between 2x2 box-filtered mipmaps where
// minified (the tiles' LINEAR / LINEAR_MIPMAP_LINEAR filters), clamped at the texture's edges.
//
// Pixel rule: photo pixel (i, j), column i from the left and row j from the top, shows the
// surface seen at image position (u, v) = (i + 0.5, j + 0.5), where u = f*x/z + cx and
// v = f*y/z + cy (x_cam = R * (X - C)) and (0, 0) is the top-left corner of pixel (0, 0).
// A world point that projects to (u, v) therefore lies in pixel (floor(u), floor(v)). This is
// OpenGL's pixel-centre sampling under the projection with m20 = 1 - 2cx/W, m21 = -(1 - 2cy/H).
// A pixel centre that falls exactly on an edge shared by two triangles is drawn by both; the
// nearer one wins, an equal depth keeps the first. Where nothing is seen the photo is black.
class PhotoRenderer {
 public:
  // Adds meshes to the scene; their textures are copied (with mipmaps), the images are not kept.
  // Throws std::runtime_error for a mesh whose texture is not 8-bit RGB or whose arrays disagree;
  // then nothing is added.
  void add(std::vector<TexturedMesh> meshes);

  // Safe to call from several threads at once.
  Photo render(const vx::ImageOrientation& camera) const;

 private:
  struct Level {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // row 0 at t = 0
  };
  using MipChain = std::vector<Level>;
  struct Mesh {
    TexturedMesh source;
    osg::Vec3d low;   // world bounds
    osg::Vec3d high;
    size_t texture = 0;
  };
  class Raster;

  std::vector<Mesh> meshes_;
  std::vector<MipChain> textures_;
};

}  // namespace demo
