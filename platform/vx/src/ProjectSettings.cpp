// The project's settings: checked setters, step resets, area queries and copying.

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "FileUtil.h"
#include "SettingsTable.h"
#include "vx/VEXAProject.h"

namespace vx {

namespace {

using detail::PS;
using detail::Setting;

bool sameValue(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }
template <typename T>
bool sameValue(const T& a, const T& b) {
  return a == b;
}

void checkAxis(int axis) {
  if (axis < 0 || axis > 2) throw std::invalid_argument("There is no area axis " + std::to_string(axis) + ".");
}

bool contains(const std::vector<steps::Steps>& list, steps::Steps step) {
  return std::find(list.begin(), list.end(), step) != list.end();
}

}  // namespace

template <typename T>
void VEXAProject::change(T& field, const T& value, Setting setting) {
  if (sameValue(field, value)) return;
  field = value;
  resetStepsFor(setting);
}

template <typename T>
void VEXAProject::set(T PS::*member, const T& value) {
  const detail::ScalarField& field = detail::fieldOf(member);
  if (field.check) {
    PS trial = settings_;
    trial.*member = value;
    field.check(trial);
  }
  change(settings_.*member, value, field.setting);
}

void VEXAProject::resetStepsFor(Setting setting) {
  const auto& fed = detail::stepsFedBy(setting);
  for (steps::Steps step : steps::kAllSteps) {
    bool stale = contains(fed, step);
    for (steps::Steps before : steps::prerequisites(step)) stale = stale || contains(fed, before);
    if (stale) stepStatus_[step] = steps::NotStarted;
  }
}

void VEXAProject::setCoordinateSystem(const std::string& wkt) { set(&PS::wkt, wkt); }
void VEXAProject::setTileSize(double metres) { set(&PS::tileSize, metres); }
void VEXAProject::setTileSizeAuto(bool automatic) { set(&PS::tileSizeAuto, automatic); }
void VEXAProject::setGroundSampleDistance(double metres) { set(&PS::gsd, metres); }
void VEXAProject::setGsdAuto(bool automatic) { set(&PS::gsdAuto, automatic); }
void VEXAProject::setInterpolationGsdMultiplier(int factor) { set(&PS::interpolationGsdMultiplier, factor); }
void VEXAProject::setPointFormatIndex(int index) { set(&PS::pointFormatIndex, index); }
void VEXAProject::setAreaShapefile(const std::string& path) { set(&PS::areaShapefile, path); }
void VEXAProject::setWaterbodyShapefile(const std::string& path) { set(&PS::waterbodyShapefile, path); }
void VEXAProject::setEstimateWaterbodyHeights(bool on) { set(&PS::estimateWaterbodyHeights, on); }
void VEXAProject::setCorrectionShapefile(const std::string& path) { set(&PS::correctionShapefile, path); }
void VEXAProject::setGlobalColorBalancing(bool on) { set(&PS::globalColorBalancing, on); }
void VEXAProject::setColorAdjustmentFile(const std::string& path) { set(&PS::colorAdjustmentFile, path); }
void VEXAProject::setUseTerrainHeight(bool on) { set(&PS::useTerrainHeight, on); }
void VEXAProject::setTerrainHeight(double height) { set(&PS::terrainHeight, height); }
void VEXAProject::setUseLidar(bool on) { set(&PS::useLidar, on); }
void VEXAProject::setLidarListPath(const std::string& path) { set(&PS::lidarListPath, path); }
void VEXAProject::setSubprojectSizeAuto(bool automatic) { set(&PS::subprojectSizeAuto, automatic); }
void VEXAProject::setSubprojectSize(int tiles) { set(&PS::subprojectSize, tiles); }
void VEXAProject::setForce8BitColor(bool on) { set(&PS::force8BitColor, on); }
void VEXAProject::setRequiredPointsPerCell(int points) { set(&PS::requiredPointsPerCell, points); }
void VEXAProject::setDepthBuffer(int heights) { set(&PS::depthBuffer, heights); }
void VEXAProject::setCesiumOverImposeHeights(bool on) { set(&PS::cesiumOverImposeHeights, on); }
void VEXAProject::setCesiumDracoCompression(bool on) { set(&PS::cesiumDracoCompression, on); }
void VEXAProject::setDistributedDenseMatching(bool on) { set(&PS::distributedDenseMatching, on); }
void VEXAProject::setDistributedProcessing(bool on) { set(&PS::distributedProcessing, on); }
void VEXAProject::setAreaBasedImageSelection(bool on) { set(&PS::areaBasedImageSelection, on); }

double VEXAProject::effectiveGsd() const {
  const double interpolated = settings_.gsd * settings_.interpolationGsdMultiplier;
  return std::max(interpolated, settings_.tileSize / kMaxCellsPerTileSide);
}

std::pair<double, double> VEXAProject::axisRange(int axis) const {
  checkAxis(axis);
  return {settings_.areaMin[axis], settings_.areaMax[axis]};
}

bool VEXAProject::isAxisAuto(int axis) const {
  checkAxis(axis);
  return settings_.axisAuto[axis];
}

void VEXAProject::setAxisRange(int axis, double min, double max) {
  checkAxis(axis);
  const std::string axisName(1, "XYZ"[axis]);
  if (!std::isfinite(min) || !std::isfinite(max)) {
    throw std::invalid_argument("The " + axisName + " range of the project area must be finite numbers.");
  }
  if (min > max) {
    throw std::invalid_argument("The " + axisName + " minimum of the project area (" + detail::formatDouble(min) +
                                ") lies above its maximum (" + detail::formatDouble(max) + ").");
  }
  change(settings_.axisAuto[axis], false, Setting::Area);
  change(settings_.areaMin[axis], min, Setting::Area);
  change(settings_.areaMax[axis], max, Setting::Area);
}

void VEXAProject::setAxisAuto(int axis, bool automatic) {
  checkAxis(axis);
  change(settings_.axisAuto[axis], automatic, Setting::Area);
}

void VEXAProject::setArea(const std::array<double, 3>& mn, const std::array<double, 3>& mx) {
  change(settings_.areaMin, mn, Setting::Area);
  change(settings_.areaMax, mx, Setting::Area);
}

bool VEXAProject::hasManualArea() const { return !settings_.axisAuto[0] || !settings_.axisAuto[1]; }

bool VEXAProject::hasAreaShapefile() const { return !settings_.areaShapefile.empty(); }

bool VEXAProject::hasImageFootprintArea() const {
  return settings_.axisAuto[0] && settings_.axisAuto[1] && settings_.areaMax[0] > settings_.areaMin[0] &&
         settings_.areaMax[1] > settings_.areaMin[1];
}

bool VEXAProject::sameProjectArea(const VEXAProject& other) const {
  const PS& a = settings_;
  const PS& b = other.settings_;
  if (a.axisAuto != b.axisAuto || a.areaShapefile != b.areaShapefile) return false;
  for (int axis = 0; axis < 3; ++axis) {
    if (!a.axisAuto[axis] && (a.areaMin[axis] != b.areaMin[axis] || a.areaMax[axis] != b.areaMax[axis])) {
      return false;
    }
  }
  return true;
}

bool VEXAProject::dsmExport(DsmExport which) const {
  return which >= 0 && which < kDsmExportCount && settings_.dsmExports[which];
}

void VEXAProject::setDsmExport(DsmExport which, bool on) {
  if (which < 0 || which >= kDsmExportCount) {
    throw std::invalid_argument("There is no 2.5D export " + std::to_string(int(which)) + ".");
  }
  change(settings_.dsmExports[which], on, Setting::DsmOutputs);
}

namespace {
void checkMeshFormat(meshio::MeshFileFormat format) {
  if (format < 0 || format >= meshio::kMeshFileFormatCount) {
    throw std::invalid_argument("There is no mesh format " + std::to_string(int(format)) + ".");
  }
}
}  // namespace

bool VEXAProject::isMeshFormatWritten(meshio::MeshFileFormat format) const {
  checkMeshFormat(format);
  return settings_.meshWritten[format];
}

void VEXAProject::setMeshFormatWritten(meshio::MeshFileFormat format, bool written) {
  checkMeshFormat(format);
  change(settings_.meshWritten[format], written, Setting::MeshOutputs);
}

meshio::TextureFileFormat VEXAProject::textureFormat(meshio::MeshFileFormat format) const {
  checkMeshFormat(format);
  return settings_.textureFormat[format];
}

void VEXAProject::setTextureFormat(meshio::MeshFileFormat format, meshio::TextureFileFormat texture) {
  checkMeshFormat(format);
  const auto valid = meshio::getValidTextureFormats(format);
  if (std::find(valid.begin(), valid.end(), texture) == valid.end()) {
    const std::string name = meshio::toString(texture);
    throw std::invalid_argument("The mesh format " + meshio::toString(format) + " cannot carry " +
                                (name.empty() ? "texture format " + std::to_string(int(texture)) : name + " textures") +
                                ".");
  }
  change(settings_.textureFormat[format], texture, Setting::MeshOutputs);
}

void VEXAProject::copySettingsFrom(const VEXAProject& other) {
  if (&other == this) return;
  settings_ = other.settings_;
  stepActive_ = other.stepActive_;
  stepStatus_ = other.stepStatus_;
  const bool sameImages = std::equal(images_.begin(), images_.end(), other.images_.begin(), other.images_.end(),
                                     [](const ProjectImage& a, const ProjectImage& b) {
                                       return a.name == b.name && a.orientationPath == b.orientationPath;
                                     });
  if (sameImages) {
    for (size_t i = 0; i < images_.size(); ++i) images_[i].selected = other.images_[i].selected;
  }
}

void VEXAProject::saveProject() const {
  if (folder_.empty()) throw std::runtime_error("The project has no folder to be saved in.");
  saveProjectFile(detail::utf8(detail::pathFromUtf8(folder_) / "Project.vpr"));
}

size_t VEXAProject::selectedImageCount() const {
  return size_t(std::count_if(images_.begin(), images_.end(), [](const ProjectImage& i) { return i.selected; }));
}

void VEXAProject::useAllImages() {
  bool changed = false;
  for (ProjectImage& image : images_) {
    changed = changed || !image.selected;
    image.selected = true;
  }
  if (changed) resetStepsFor(Setting::ImageSelection);
}

bool VEXAProject::canSelectImagesByArea() const {
  if (!hasManualArea() && !hasAreaShapefile()) return false;
  return std::any_of(images_.begin(), images_.end(), [](const ProjectImage& i) { return !i.orientationPath.empty(); });
}

}  // namespace vx
