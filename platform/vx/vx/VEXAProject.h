#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "vx/ImageOrientation.h"
#include "vx/MeshIO.h"
#include "vx/ProjectSettings.h"
#include "vx/StereoModels.h"
#include "vx/Steps.h"

namespace vx {

namespace detail {
// What a setting feeds, for resetting the steps that depend on it (SettingResets.cpp).
enum class Setting : int;
}  // namespace detail

// One image of a project: its photo file and its orientation file, both relative to the project folder.
struct ProjectImage {
  std::string name;
  std::string photoPath;
  std::string orientationPath;
  bool selected = true;
};

// The project object: the settings of Project.vpr, in memory. Files named by the project are
// relative to its folder.
class VEXAProject {
 public:
  static constexpr int kFileVersion = 2;

  VEXAProject();

  // Reads Project.vpr (UTF-8 path). Throws std::runtime_error with a clear text for a missing,
  // unreadable, malformed or newer-version file.
  void loadProjectFile(const std::string& path);
  // Writes Project.vpr atomically and keeps the previous file as Project.vpr.backup.
  void saveProjectFile(const std::string& path) const;

  std::wstring projectFolder() const;
  std::string projectFolderUtf8() const { return folder_; }
  // Returns 0 on success, non-zero when the folder does not exist.
  int setOutputFolder(const std::string& folder, int reserved1, int reserved2);

  const std::string& name() const { return name_; }
  void setName(const std::string& n) { name_ = n; }

  // Every setter below that changes a value resets the status of the steps whose results depend
  // on it, and of the steps after them (see platform/README.md). Invalid values throw
  // std::invalid_argument with a text fit for the operator and keep the old value.

  // Coordinate system as WKT; empty means none. The setter validates the text with OGR.
  const std::string& coordinateSystemWkt() const { return settings_.wkt; }
  void setCoordinateSystem(const std::string& wkt);

  // Tile size in metres (> 0). An automatic tile size is chosen by the analysis, which stores it here.
  double tileSize() const { return settings_.tileSize; }
  void setTileSize(double metres);
  bool isTileSizeAuto() const { return settings_.tileSizeAuto; }
  void setTileSizeAuto(bool automatic);

  // Ground sample distance in metres (> 0). An automatic one is measured by the analysis, which stores it here.
  double groundSampleDistance() const { return settings_.gsd; }
  void setGroundSampleDistance(double metres);
  bool isGsdAuto() const { return settings_.gsdAuto; }
  void setGsdAuto(bool automatic);
  // Factor (>= 1) on the GSD for the interpolated rasters.
  int interpolationGsdMultiplier() const { return settings_.interpolationGsdMultiplier; }
  void setInterpolationGsdMultiplier(int factor);
  // Cell size of the interpolated 2.5D rasters: GSD x multiplier, raised when needed so that a tile
  // is at most kMaxCellsPerTileSide cells wide.
  double effectiveGsd() const;
  static constexpr double kMaxCellsPerTileSide = 16384;
  // Point cloud format of the results: 0 las, 1 laz.
  int pointFormatIndex() const { return settings_.pointFormatIndex; }
  void setPointFormatIndex(int index);

  // Project area, per axis (0 X, 1 Y, 2 Z), in world coordinates. A manual axis keeps the range the
  // operator gave; an automatic axis holds the range the analysis took from the images' footprints
  // (or the one a project was made with) and is not written by the editor.
  std::pair<double, double> axisRange(int axis) const;
  bool isAxisAuto(int axis) const;
  // Makes the axis manual. Throws for an axis outside 0..2, non-finite bounds or min > max.
  void setAxisRange(int axis, double min, double max);
  void setAxisAuto(int axis, bool automatic);
  // All three axes at once (minimum and maximum corner); the axes' automatic flags stay as they are.
  std::array<double, 3> areaMin() const { return settings_.areaMin; }
  std::array<double, 3> areaMax() const { return settings_.areaMax; }
  void setArea(const std::array<double, 3>& mn, const std::array<double, 3>& mx);

  // Whether a project area exists: an X or Y axis set by hand, an area shapefile, or the footprint
  // of the images (automatic X and Y axes with a non-empty range).
  bool hasManualArea() const;
  bool hasAreaShapefile() const;
  bool hasImageFootprintArea() const;
  // Same automatic flags, same ranges of the manual axes and the same area shapefile.
  bool sameProjectArea(const VEXAProject& other) const;

  // Files: relative to the project folder or absolute; empty clears. A non-empty path with the wrong
  // suffix throws std::invalid_argument ("The area shape file must be a .shp file: <path>").
  const std::string& areaShapefile() const { return settings_.areaShapefile; }
  void setAreaShapefile(const std::string& path);
  const std::string& waterbodyShapefile() const { return settings_.waterbodyShapefile; }
  void setWaterbodyShapefile(const std::string& path);
  bool estimateWaterbodyHeights() const { return settings_.estimateWaterbodyHeights; }
  void setEstimateWaterbodyHeights(bool on);
  const std::string& correctionShapefile() const { return settings_.correctionShapefile; }
  void setCorrectionShapefile(const std::string& path);
  bool globalColorBalancing() const { return settings_.globalColorBalancing; }
  void setGlobalColorBalancing(bool on);
  // A .gcb file.
  const std::string& colorAdjustmentFile() const { return settings_.colorAdjustmentFile; }
  void setColorAdjustmentFile(const std::string& path);

  // Terrain height for the image selection; NaN means none (infinite values throw).
  bool useTerrainHeight() const { return settings_.useTerrainHeight; }
  void setUseTerrainHeight(bool on);
  double terrainHeight() const { return settings_.terrainHeight; }
  void setTerrainHeight(double height);

  // LiDAR list: a text file naming one LAS file per line (any suffix).
  bool useLidar() const { return settings_.useLidar; }
  void setUseLidar(bool on);
  const std::string& lidarListPath() const { return settings_.lidarListPath; }
  void setLidarListPath(const std::string& path);

  // Tiles per dimension of a subproject in distributed processing, 1..100.
  bool isSubprojectSizeAuto() const { return settings_.subprojectSizeAuto; }
  void setSubprojectSizeAuto(bool automatic);
  int subprojectSize() const { return settings_.subprojectSize; }
  void setSubprojectSize(int tiles);

  // 2.5D workflow.
  bool force8BitColor() const { return settings_.force8BitColor; }
  void setForce8BitColor(bool on);
  // Both >= 1.
  int requiredPointsPerCell() const { return settings_.requiredPointsPerCell; }
  void setRequiredPointsPerCell(int points);
  int depthBuffer() const { return settings_.depthBuffer; }
  void setDepthBuffer(int heights);
  bool dsmExport(DsmExport which) const;
  void setDsmExport(DsmExport which, bool on);

  // Mesh outputs: which formats are written and with which texture format.
  bool isMeshFormatWritten(meshio::MeshFileFormat format) const;
  void setMeshFormatWritten(meshio::MeshFileFormat format, bool written);
  meshio::TextureFileFormat textureFormat(meshio::MeshFileFormat format) const;
  // Throws when the texture format is not valid for the mesh format.
  void setTextureFormat(meshio::MeshFileFormat format, meshio::TextureFileFormat texture);
  bool cesiumOverImposeHeights() const { return settings_.cesiumOverImposeHeights; }
  void setCesiumOverImposeHeights(bool on);
  bool cesiumDracoCompression() const { return settings_.cesiumDracoCompression; }
  void setCesiumDracoCompression(bool on);

  bool distributedDenseMatching() const { return settings_.distributedDenseMatching; }
  void setDistributedDenseMatching(bool on);
  bool distributedProcessing() const { return settings_.distributedProcessing; }
  void setDistributedProcessing(bool on);

  // Takes every setting, the steps' active flags and statuses and the mode value of `other`; not
  // the folder, the name, the topology or the image list. The images' selection flags are taken
  // when both projects hold the same images in the same order.
  void copySettingsFrom(const VEXAProject& other);
  // Writes <project folder>/Project.vpr (saveProjectFile). Throws std::runtime_error without a folder.
  void saveProject() const;

  size_t imageCount() const { return images_.size(); }
  const ProjectImage& image(size_t i) const { return images_.at(i); }
  bool isImageSelected(const ProjectImage& image) const { return image.selected; }
  // Reads the image's orientation file. Throws std::runtime_error.
  ImageOrientation imageOrientation(const ProjectImage& image) const;
  void addImage(const ProjectImage& image) { images_.push_back(image); }

  // Area-based image selection: process only the images that see the project area.
  bool areaBasedImageSelection() const { return settings_.areaBasedImageSelection; }
  void setAreaBasedImageSelection(bool on);
  // A manual area or an area shapefile, and at least one image with an orientation file.
  bool canSelectImagesByArea() const;
  // Selects every image.
  void useAllImages();
  size_t totalImageCount() const { return images_.size(); }
  size_t selectedImageCount() const;
  // Selects the images that see the project area at terrain height (see platform/README.md); reads
  // the orientation files and the area shapefile, so call it off the GUI thread. False, with the
  // selection unchanged, when the project cannot select by area or no image sees the area. Throws
  // std::runtime_error naming a file that cannot be read.
  bool filterImagesByArea();

  // Topology file relative to the project folder; empty topology when it is absent or unreadable.
  StereoModels stereoModels() const;
  const std::string& topologyPath() const { return topologyPath_; }
  void setTopologyPath(const std::string& p) { topologyPath_ = p; }

  // Processing steps: whether each takes part in a run (all do in a new project) and its status
  // (steps::Status; Done once its results are current).
  bool isStepActive(steps::Steps step) const;
  void setStepActive(steps::Steps step, bool active);
  // The active steps in step order.
  std::vector<steps::Steps> activeSteps() const;
  int stepStatus(steps::Steps step) const;
  void setStepStatus(steps::Steps step, int status);
  float stepWeight(steps::Steps step) const { return steps::defaultWeight(step); }
  // How the next run treats existing results: 0 processes from scratch, 2 continues with settings
  // adopted from another project.
  int modeValue() const { return settings_.modeValue; }
  void setModeValue(int value) { settings_.modeValue = value; }

 private:
  // Checks and stores a setting of the settings table; a changed value resets the steps that depend on it.
  template <typename T>
  void set(T detail::ProjectSettings::*member, const T& value);
  // Stores `value` in `field`; when it differs, resets the steps that depend on `setting`.
  template <typename T>
  void change(T& field, const T& value, detail::Setting setting);
  void resetStepsFor(detail::Setting setting);

  std::string folder_;
  std::string name_;
  detail::ProjectSettings settings_;
  std::string topologyPath_;
  std::vector<ProjectImage> images_;
  std::array<bool, steps::kStepCount> stepActive_;
  std::array<int, steps::kStepCount> stepStatus_;
};

}  // namespace vx
