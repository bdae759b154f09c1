#pragma once

#include <string>
#include <vector>

#include "vx/ImageOrientation.h"
#include "vx/StereoModels.h"

namespace vx {
class VEXAProject;
}

namespace qvx {

// The camera stations of a project: one orientation, selection flag and photo path per readable
// image, in project order, and the stereo topology over the selected ones among them. Photo paths
// are absolute, native separators, UTF-8; empty when the image names no photo.
struct ProjectImages {
  std::vector<vx::ImageOrientation> orientations;
  std::vector<bool> selected;
  std::vector<std::string> photoPaths;
  vx::StereoModels topology;
};

// Images whose orientation file cannot be read are left out with a debug warning; the topology
// is renumbered so that it still refers to the right selected images.
ProjectImages collectProjectImages(const vx::VEXAProject& project);

}  // namespace qvx
