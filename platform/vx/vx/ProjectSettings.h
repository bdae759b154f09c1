#pragma once

// The stored settings of a project, as one plain value so that copying, comparing, saving and
// loading them is one operation each. Read and change them through vx::VEXAProject, whose setters
// validate and reset the steps a change makes stale.

#include <array>
#include <cmath>
#include <string>

#include "vx/MeshIO.h"

namespace vx {

// The optional 2.5D outputs, one flag each, in the order the parameter form lists them.
enum DsmExport : int {
  ExportPointCountMap = 0,
  ExportTfwFiles,
  ExportTiffPyramids,
  ExportHeightColoredDsm,
  ExportDsmPointColor,
  ExportDsmPointColorInterpolated,
  ExportDsmCloud,
  ExportDsmCloudTrueOrthoColors,
  ExportNonInterpolatedMask,
  ExportNonInterpolatedDistanceMap,
  ExportStereoModelCountMap,
  ExportHeightStdDeviation,
  ExportLocalRoughness,
};
constexpr int kDsmExportCount = 13;

namespace detail {

struct ProjectSettings {
  std::string wkt;
  double tileSize = 100.0;
  bool tileSizeAuto = false;
  double gsd = 0.1;
  bool gsdAuto = false;
  int interpolationGsdMultiplier = 1;
  int pointFormatIndex = 0;
  std::array<double, 3> areaMin{{0, 0, 0}};
  std::array<double, 3> areaMax{{0, 0, 0}};
  std::array<bool, 3> axisAuto{{true, true, true}};
  std::string areaShapefile;
  std::string waterbodyShapefile;
  bool estimateWaterbodyHeights = false;
  std::string correctionShapefile;
  bool globalColorBalancing = false;
  std::string colorAdjustmentFile;
  bool useTerrainHeight = false;
  double terrainHeight = std::nan("");
  bool useLidar = false;
  std::string lidarListPath;
  bool subprojectSizeAuto = true;
  int subprojectSize = 4;
  bool force8BitColor = false;
  int requiredPointsPerCell = 1;
  int depthBuffer = 5;
  std::array<bool, kDsmExportCount> dsmExports{};
  std::array<bool, meshio::kMeshFileFormatCount> meshWritten{{false, false, true, false, false}};
  std::array<meshio::TextureFileFormat, meshio::kMeshFileFormatCount> textureFormat{
      {meshio::JPG, meshio::JPG, meshio::JPG, meshio::JPG, meshio::JPG}};
  bool cesiumOverImposeHeights = false;
  bool cesiumDracoCompression = false;
  bool distributedDenseMatching = false;
  bool distributedProcessing = false;
  bool areaBasedImageSelection = false;
  int modeValue = 0;
};

}  // namespace detail
}  // namespace vx
