#pragma once

#include <array>
#include <string>
#include <vector>

#include "vx/ImageOrientation.h"
#include "vx/StereoModels.h"
#include "vx/Steps.h"

namespace vx {

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
  const std::string& coordinateSystemWkt() const { return wkt_; }
  void setCoordinateSystemWkt(const std::string& wkt) { wkt_ = wkt; }
  double tileSize() const { return tileSize_; }
  void setTileSize(double s) { tileSize_ = s; }
  double groundSampleDistance() const { return gsd_; }
  void setGroundSampleDistance(double g) { gsd_ = g; }
  // Project area: minimum and maximum corner in world coordinates.
  std::array<double, 3> areaMin() const { return areaMin_; }
  std::array<double, 3> areaMax() const { return areaMax_; }
  void setArea(const std::array<double, 3>& mn, const std::array<double, 3>& mx);
  const std::string& correctionShapefile() const { return correctionShape_; }
  void setCorrectionShapefile(const std::string& p) { correctionShape_ = p; }
  const std::string& areaShapefile() const { return areaShape_; }
  void setAreaShapefile(const std::string& p) { areaShape_ = p; }

  size_t imageCount() const { return images_.size(); }
  const ProjectImage& image(size_t i) const { return images_.at(i); }
  bool isImageSelected(const ProjectImage& image) const { return image.selected; }
  // Reads the image's orientation file. Throws std::runtime_error.
  ImageOrientation imageOrientation(const ProjectImage& image) const;
  void addImage(const ProjectImage& image) { images_.push_back(image); }

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
  int modeValue() const { return modeValue_; }
  void setModeValue(int value) { modeValue_ = value; }

 private:
  std::string folder_;
  std::string name_;
  std::string wkt_;
  double tileSize_ = 100.0;
  double gsd_ = 0.1;
  std::array<double, 3> areaMin_{{0, 0, 0}};
  std::array<double, 3> areaMax_{{0, 0, 0}};
  std::string correctionShape_;
  std::string areaShape_;
  std::string topologyPath_;
  std::vector<ProjectImage> images_;
  std::array<bool, steps::kStepCount> stepActive_;
  std::array<int, steps::kStepCount> stepStatus_;
  int modeValue_ = 0;
};

}  // namespace vx
