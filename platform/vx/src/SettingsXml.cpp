#include "SettingsXml.h"

#include <cmath>
#include <stdexcept>

#include "SettingsTable.h"

namespace vx {
namespace detail {

namespace {

std::string numberText(double value) { return std::isnan(value) ? "none" : formatDouble(value); }

std::string pointText(const std::array<double, 3>& p) {
  return formatDouble(p[0]) + " " + formatDouble(p[1]) + " " + formatDouble(p[2]);
}

std::string flagsText(const std::array<bool, 3>& f) {
  std::string text;
  for (bool flag : f) text += std::string(text.empty() ? "" : " ") + (flag ? "true" : "false");
  return text;
}

const char* boolText(bool value) { return value ? "true" : "false"; }

}  // namespace

void writeSettings(ptree& root, const ProjectSettings& settings) {
  for (const ScalarField& field : scalarFields()) {
    std::visit(
        [&](auto member) {
          const auto& value = settings.*member;
          using T = std::decay_t<decltype(value)>;
          if constexpr (std::is_same_v<T, bool>) {
            root.put(field.key, boolText(value));
          } else if constexpr (std::is_same_v<T, double>) {
            root.put(field.key, numberText(value));
          } else {
            root.put(field.key, value);
          }
        },
        field.member);
  }
  root.put("area.min", pointText(settings.areaMin));
  root.put("area.max", pointText(settings.areaMax));
  root.put("area.auto", flagsText(settings.axisAuto));
  for (int which = 0; which < kDsmExportCount; ++which) {
    root.put(std::string("dsmExports.") + dsmExportKeys()[which], boolText(settings.dsmExports[which]));
  }
  ptree& formats = root.put_child("meshFormats", ptree());
  for (meshio::MeshFileFormat format : meshio::allMeshFileFormats()) {
    ptree node;
    node.put("name", meshio::toString(format));
    node.put("written", boolText(settings.meshWritten[format]));
    node.put("texture", meshio::toString(settings.textureFormat[format]));
    formats.add_child("format", node);
  }
}

ProjectSettings readSettings(const ProjectReader& reader) {
  const ptree& root = reader.root();
  ProjectSettings settings;
  for (const ScalarField& field : scalarFields()) {
    std::visit(
        [&](auto member) {
          auto& value = settings.*member;
          using T = std::decay_t<decltype(value)>;
          if constexpr (std::is_same_v<T, bool>) {
            value = reader.flag(root, field.key, value);
          } else if constexpr (std::is_same_v<T, int>) {
            value = reader.integer(root, field.key, value);
          } else if constexpr (std::is_same_v<T, double>) {
            value = reader.number(root, field.key, value);
          } else {
            value = reader.text(root, field.key, value);
          }
        },
        field.member);
    try {
      if (field.check) field.check(settings);
    } catch (const std::invalid_argument& e) {
      reader.fail("<" + std::string(field.key) + ">: " + e.what());
    }
  }
  settings.areaMin = reader.point(root, "area.min", settings.areaMin);
  settings.areaMax = reader.point(root, "area.max", settings.areaMax);
  settings.axisAuto = reader.flags3(root, "area.auto", settings.axisAuto);
  for (int axis = 0; axis < 3; ++axis) {
    if (!settings.axisAuto[axis] && settings.areaMin[axis] > settings.areaMax[axis]) {
      reader.fail("<area> has a manual axis whose minimum lies above its maximum");
    }
  }
  for (int which = 0; which < kDsmExportCount; ++which) {
    settings.dsmExports[which] =
        reader.flag(root, std::string("dsmExports.") + dsmExportKeys()[which], settings.dsmExports[which]);
  }
  if (auto formats = root.get_child_optional("meshFormats")) {
    for (const auto& [key, node] : *formats) {
      if (key != "format") continue;
      const std::string name = reader.text(node, "name");
      int found = -1;
      for (meshio::MeshFileFormat format : meshio::allMeshFileFormats()) {
        if (name == meshio::toString(format)) found = format;
      }
      if (found < 0) reader.fail("<meshFormats> names an unknown mesh format \"" + name + "\"");
      const auto format = meshio::MeshFileFormat(found);
      settings.meshWritten[format] = reader.flag(node, "written", settings.meshWritten[format]);
      const std::string texture = reader.text(node, "texture", meshio::toString(settings.textureFormat[format]));
      const auto valid = meshio::getValidTextureFormats(format);
      bool known = false;
      for (meshio::TextureFileFormat candidate : valid) {
        if (meshio::toString(candidate) == texture) {
          settings.textureFormat[format] = candidate;
          known = true;
        }
      }
      if (!known) reader.fail("the texture format of " + name + " is not one it can carry: \"" + texture + "\"");
    }
  }
  return settings;
}

}  // namespace detail
}  // namespace vx
