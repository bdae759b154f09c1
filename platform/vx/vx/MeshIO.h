#pragma once

// The mesh output formats the processing core writes and the texture image formats each can carry.
// The one place that knows their values and names.

#include <array>
#include <string>
#include <vector>

namespace vx {
namespace meshio {

enum MeshFileFormat : int {
  OBJ = 0,
  PLY = 1,
  OSGB = 2,     // tiled, with levels of detail
  Tiles3D = 3,  // tiled 3D tiles, with levels of detail
  DAE = 4,
};
constexpr int kMeshFileFormatCount = 5;

enum TextureFileFormat : int {
  JPG = 0,
  PNG = 1,
  TIF = 2,
  BMP = 3,
  DDS = 4,
  JPG_DDS = 5,  // both: jpg for viewers, dds for the renderers that page compressed textures
};
constexpr int kTextureFileFormatCount = 6;

// "OBJ", "PLY", "OSGB", "3D Tiles", "DAE"; empty for a value outside the enum.
std::string toString(MeshFileFormat format);
// "jpg", "png", "tif", "bmp", "dds", "jpg_dds"; empty for a value outside the enum.
std::string toString(TextureFileFormat format);
// The inverse of toString (case-sensitive). Throws std::invalid_argument for any other text.
TextureFileFormat stringToTextureFileFormat(const std::string& name);
// The texture formats a mesh format can carry; the first is its default. Empty for an unknown format.
std::vector<TextureFileFormat> getValidTextureFormats(MeshFileFormat format);
// Every mesh format, in value order.
std::vector<MeshFileFormat> allMeshFileFormats();
// The formats 2 and 3: tiled with levels of detail.
bool hasLevelsOfDetail(MeshFileFormat format);

}  // namespace meshio
}  // namespace vx
