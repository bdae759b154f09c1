#include "SettingsTable.h"

#include <ogr_spatialref.h>

#include <cmath>
#include <stdexcept>

#include "FileUtil.h"

namespace vx {
namespace detail {

namespace {

using namespace steps;

std::string numberText(double value) { return std::isnan(value) ? "none" : formatDouble(value); }

void positive(double value, const char* what) {
  if (!std::isfinite(value) || value <= 0) {
    throw std::invalid_argument(std::string(what) + " must be a positive number: " + numberText(value));
  }
}

void inRange(int value, int min, int max, const char* what) {
  if (value < min || value > max) {
    throw std::invalid_argument(std::string(what) + " must be " + std::to_string(min) +
                                (max == INT32_MAX ? " or more" : " to " + std::to_string(max)) + ": " +
                                std::to_string(value));
  }
}

// Suffix tests are case-sensitive, as everywhere in the suite.
void suffix(const std::string& path, const std::string& wanted, const char* what) {
  if (path.empty()) return;
  const fs::path file = pathFromUtf8(path);
  if (file.extension() != pathFromUtf8(wanted) || file.stem().empty()) {
    throw std::invalid_argument(std::string(what) + " must be a " + wanted + " file: " + path);
  }
}

}  // namespace

void checkWkt(const std::string& wkt) {
  if (wkt.empty()) return;
  OGRSpatialReference reference;
  const char* text = wkt.c_str();
  const OGRErr error = reference.importFromWkt(&text);
  // Text left over after the definition is a typing slip just as much as a broken definition.
  while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n') ++text;
  if (error != OGRERR_NONE || *text != '\0') {
    throw std::invalid_argument("The coordinate system is not valid WKT (well-known text): \"" +
                                (wkt.size() > 80 ? wkt.substr(0, 80) + "..." : wkt) + "\"");
  }
}

const std::vector<steps::Steps>& stepsFedBy(Setting setting) {
  // Keep platform/README.md ("Settings and the steps they reset") in step with this table.
  static const std::vector<std::vector<Steps>> table = {
      /* CoordinateSystem */ {Analysis},
      /* Area */ {Analysis},
      /* TileSize */ {Analysis},
      /* Gsd */ {Analysis},
      /* InterpolationGsd */ {DSM},
      /* PointFormat */ {PointCloud},
      /* Waterbody */ {Analysis},
      /* Correction */ {DSM},
      /* ColorBalancing */ {TrueOrtho, MeshTexturing, DSMMeshTexturing},
      /* TerrainHeight */ {Analysis},
      /* Lidar */ {DSM, Mesh},
      /* Subproject */ {},
      /* DsmGrid */ {DSM},
      /* DsmOutputs */ {DSM},
      /* MeshOutputs */ {Mesh, DSMMesh},
      /* Distributed */ {},
      /* ImageSelection */ {Analysis},
      /* Mode */ {},
  };
  return table.at(static_cast<size_t>(setting));
}

const std::vector<ScalarField>& scalarFields() {
  static const std::vector<ScalarField> fields = {
      {"coordinateSystem", &PS::wkt, Setting::CoordinateSystem, [](const PS& s) { checkWkt(s.wkt); }},
      {"tileSize", &PS::tileSize, Setting::TileSize, [](const PS& s) { positive(s.tileSize, "The tile size"); }},
      {"tileSizeAuto", &PS::tileSizeAuto, Setting::TileSize, nullptr},
      {"groundSampleDistance", &PS::gsd, Setting::Gsd,
       [](const PS& s) { positive(s.gsd, "The ground sample distance"); }},
      {"groundSampleDistanceAuto", &PS::gsdAuto, Setting::Gsd, nullptr},
      {"interpolationGsdMultiplier", &PS::interpolationGsdMultiplier, Setting::InterpolationGsd,
       [](const PS& s) { inRange(s.interpolationGsdMultiplier, 1, INT32_MAX, "The interpolation GSD multiplier"); }},
      {"pointFormat", &PS::pointFormatIndex, Setting::PointFormat,
       [](const PS& s) { inRange(s.pointFormatIndex, 0, 1, "The point format (0 las, 1 laz)"); }},
      {"areaShapefile", &PS::areaShapefile, Setting::Area,
       [](const PS& s) { suffix(s.areaShapefile, ".shp", "The area shape file"); }},
      {"waterbodyShapefile", &PS::waterbodyShapefile, Setting::Waterbody,
       [](const PS& s) { suffix(s.waterbodyShapefile, ".shp", "The waterbody shapefile"); }},
      {"estimateWaterbodyHeights", &PS::estimateWaterbodyHeights, Setting::Waterbody, nullptr},
      {"correctionShapefile", &PS::correctionShapefile, Setting::Correction,
       [](const PS& s) { suffix(s.correctionShapefile, ".shp", "The correction shapefile"); }},
      {"globalColorBalancing", &PS::globalColorBalancing, Setting::ColorBalancing, nullptr},
      {"colorAdjustmentFile", &PS::colorAdjustmentFile, Setting::ColorBalancing,
       [](const PS& s) { suffix(s.colorAdjustmentFile, ".gcb", "The color adjustment file"); }},
      {"useTerrainHeight", &PS::useTerrainHeight, Setting::TerrainHeight, nullptr},
      {"terrainHeight", &PS::terrainHeight, Setting::TerrainHeight,
       [](const PS& s) {
         if (std::isinf(s.terrainHeight)) throw std::invalid_argument("The terrain height must be finite or none.");
       }},
      {"useLidar", &PS::useLidar, Setting::Lidar, nullptr},
      {"lidarList", &PS::lidarListPath, Setting::Lidar, nullptr},
      {"subprojectSizeAuto", &PS::subprojectSizeAuto, Setting::Subproject, nullptr},
      {"subprojectSize", &PS::subprojectSize, Setting::Subproject,
       [](const PS& s) { inRange(s.subprojectSize, 1, 100, "The subproject size [tiles per dimension]"); }},
      {"force8BitColor", &PS::force8BitColor, Setting::DsmOutputs, nullptr},
      {"requiredPointsPerCell", &PS::requiredPointsPerCell, Setting::DsmGrid,
       [](const PS& s) { inRange(s.requiredPointsPerCell, 1, INT32_MAX, "The required points per cell"); }},
      {"depthBuffer", &PS::depthBuffer, Setting::DsmGrid,
       [](const PS& s) { inRange(s.depthBuffer, 1, INT32_MAX, "The depth buffer"); }},
      {"cesiumOverImposeHeights", &PS::cesiumOverImposeHeights, Setting::MeshOutputs, nullptr},
      {"cesiumDracoCompression", &PS::cesiumDracoCompression, Setting::MeshOutputs, nullptr},
      {"distributedDenseMatching", &PS::distributedDenseMatching, Setting::Distributed, nullptr},
      {"distributedProcessing", &PS::distributedProcessing, Setting::Distributed, nullptr},
      {"areaBasedImageSelection", &PS::areaBasedImageSelection, Setting::ImageSelection, nullptr},
      {"mode", &PS::modeValue, Setting::Mode, nullptr},
  };
  return fields;
}

const ScalarField& fieldOf(const Member& member) {
  for (const ScalarField& field : scalarFields()) {
    if (field.member == member) return field;
  }
  throw std::logic_error("A project setting is missing from the settings table.");
}

const std::array<const char*, kDsmExportCount>& dsmExportKeys() {
  static const std::array<const char*, kDsmExportCount> keys = {{
      "pointCountMap",
      "tfwFiles",
      "tiffPyramids",
      "heightColoredDsm",
      "dsmPointColor",
      "dsmPointColorInterpolated",
      "dsmCloud",
      "dsmCloudTrueOrthoColors",
      "nonInterpolatedMask",
      "nonInterpolatedDistanceMap",
      "stereoModelCountMap",
      "heightStdDeviation",
      "localRoughness",
  }};
  return keys;
}

}  // namespace detail
}  // namespace vx
