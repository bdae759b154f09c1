#include "vx/VEXAProject.h"

#include <boost/nowide/convert.hpp>
#include <stdexcept>
#include <system_error>

#include "ProjectReader.h"
#include "SettingsXml.h"

namespace vx {

namespace {

using namespace detail;

constexpr const char* kDefaultTopology = "Internal/Topologies/Topology.tif";

}  // namespace

VEXAProject::VEXAProject() : topologyPath_(kDefaultTopology) {
  stepActive_.fill(true);
  stepStatus_.fill(steps::NotStarted);
}

void VEXAProject::loadProjectFile(const std::string& path) {
  const fs::path file = pathFromUtf8(path);
  const ptree root = readProjectTree(file);
  const int version = projectFileVersion(root, file);
  if (version > kFileVersion) {
    throw std::runtime_error("The project file " + path + " has file version " +
                             std::to_string(version) + ", but this VEXA reads versions up to " +
                             std::to_string(kFileVersion) + ". Please use a newer VEXA.");
  }
  // Version 1 has the same elements; only the folder layout differs (see the structure update).
  ProjectReader reader(root, file);
  VEXAProject loaded;
  loaded.folder_ = folder_.empty() ? utf8(fs::absolute(file).parent_path()) : folder_;
  loaded.name_ = reader.text(root, "name");
  loaded.settings_ = readSettings(reader);
  loaded.topologyPath_ = reader.text(root, "topology", kDefaultTopology);
  if (auto stepList = root.get_child_optional("steps")) {
    for (const auto& [key, node] : *stepList) {
      if (key != "step") continue;
      const std::string name = reader.text(node, "name");
      int found = -1;
      for (steps::Steps step : steps::kAllSteps) {
        if (name == steps::stepName(step)) found = step;
      }
      if (found < 0) reader.fail("<steps> names an unknown step \"" + name + "\"");
      loaded.stepActive_[found] = reader.flag(node, "active", true);
      const std::string status(trim(reader.text(node, "status", "0")));
      if (status != "0" && status != "1" && status != "2") {
        reader.fail("the status of step \"" + name + "\" must be 0, 1 or 2: \"" + status + "\"");
      }
      loaded.stepStatus_[found] = status[0] - '0';
    }
  }
  if (auto images = root.get_child_optional("images")) {
    for (const auto& [key, node] : *images) {
      if (key != "image") continue;
      ProjectImage image;
      image.name = reader.text(node, "name");
      image.photoPath = reader.text(node, "photo");
      image.orientationPath = reader.text(node, "orientation");
      image.selected = reader.flag(node, "selected", true);
      loaded.images_.push_back(image);
    }
  }
  *this = std::move(loaded);
}

void VEXAProject::saveProjectFile(const std::string& path) const {
  ptree root;
  root.put("version", kFileVersion);
  root.put("name", name_);
  writeSettings(root, settings_);
  root.put("topology", topologyPath_);
  ptree& stepList = root.put_child("steps", ptree());
  for (steps::Steps step : steps::kAllSteps) {
    ptree node;
    node.put("name", steps::stepName(step));
    node.put("active", stepActive_[step] ? "true" : "false");
    node.put("status", stepStatus_[step]);
    stepList.add_child("step", node);
  }
  ptree& images = root.put_child("images", ptree());
  for (const ProjectImage& image : images_) {
    ptree node;
    node.put("name", image.name);
    node.put("photo", image.photoPath);
    node.put("orientation", image.orientationPath);
    node.put("selected", image.selected ? "true" : "false");
    images.add_child("image", node);
  }
  writeProjectTree(pathFromUtf8(path), root);
}

std::wstring VEXAProject::projectFolder() const { return boost::nowide::widen(folder_); }

int VEXAProject::setOutputFolder(const std::string& folder, int, int) {
  std::error_code error;
  fs::path path = pathFromUtf8(folder);
  if (folder.empty() || !fs::is_directory(path, error)) return 1;
  path = fs::absolute(path, error).lexically_normal();
  if (error) return 1;
  if (!path.has_filename() && path != path.root_path()) path = path.parent_path();
  folder_ = utf8(path);
  return 0;
}

ImageOrientation VEXAProject::imageOrientation(const ProjectImage& image) const {
  if (image.orientationPath.empty()) {
    throw std::runtime_error("The image \"" + image.name + "\" has no orientation file.");
  }
  return ImageOrientation::readFile(utf8(pathFromUtf8(folder_) / pathFromUtf8(image.orientationPath)));
}

StereoModels VEXAProject::stereoModels() const {
  StereoModels models;
  if (!topologyPath_.empty()) {
    models.loadTopology(utf8(pathFromUtf8(folder_) / pathFromUtf8(topologyPath_)));
  }
  return models;
}

bool VEXAProject::isStepActive(steps::Steps step) const { return steps::isStep(step) && stepActive_[step]; }

void VEXAProject::setStepActive(steps::Steps step, bool active) {
  if (steps::isStep(step)) stepActive_[step] = active;
}

std::vector<steps::Steps> VEXAProject::activeSteps() const {
  std::vector<steps::Steps> active;
  for (steps::Steps step : steps::kAllSteps) {
    if (stepActive_[step]) active.push_back(step);
  }
  return active;
}

int VEXAProject::stepStatus(steps::Steps step) const {
  return steps::isStep(step) ? stepStatus_[step] : steps::NotStarted;
}

void VEXAProject::setStepStatus(steps::Steps step, int status) {
  if (steps::isStep(step) && status >= steps::NotStarted && status <= steps::Done) stepStatus_[step] = status;
}

}  // namespace vx
