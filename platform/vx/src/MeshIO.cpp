#include "vx/MeshIO.h"

#include <stdexcept>

namespace vx {
namespace meshio {

namespace {

struct MeshInfo {
  const char* name;
  std::vector<TextureFileFormat> textures;  // the first is the default
};

const std::array<MeshInfo, kMeshFileFormatCount>& meshInfo() {
  static const std::array<MeshInfo, kMeshFileFormatCount> info = {{
      {"OBJ", {JPG, PNG, TIF, BMP}},
      {"PLY", {JPG, PNG}},
      {"OSGB", {JPG, PNG, DDS, JPG_DDS}},
      {"3D Tiles", {JPG, PNG}},
      {"DAE", {JPG, PNG, TIF}},
  }};
  return info;
}

constexpr std::array<const char*, kTextureFileFormatCount> kTextureNames = {
    {"jpg", "png", "tif", "bmp", "dds", "jpg_dds"}};

bool isMeshFormat(int value) { return value >= 0 && value < kMeshFileFormatCount; }

}  // namespace

std::string toString(MeshFileFormat format) { return isMeshFormat(format) ? meshInfo()[format].name : ""; }

std::string toString(TextureFileFormat format) {
  return format >= 0 && format < kTextureFileFormatCount ? kTextureNames[format] : "";
}

TextureFileFormat stringToTextureFileFormat(const std::string& name) {
  for (int value = 0; value < kTextureFileFormatCount; ++value) {
    if (name == kTextureNames[value]) return TextureFileFormat(value);
  }
  throw std::invalid_argument("Unknown texture file format \"" + name + "\".");
}

std::vector<TextureFileFormat> getValidTextureFormats(MeshFileFormat format) {
  return isMeshFormat(format) ? meshInfo()[format].textures : std::vector<TextureFileFormat>{};
}

std::vector<MeshFileFormat> allMeshFileFormats() {
  std::vector<MeshFileFormat> all;
  for (int value = 0; value < kMeshFileFormatCount; ++value) all.push_back(MeshFileFormat(value));
  return all;
}

bool hasLevelsOfDetail(MeshFileFormat format) { return format == OSGB || format == Tiles3D; }

}  // namespace meshio
}  // namespace vx
