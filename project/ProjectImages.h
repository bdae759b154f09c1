#pragma once

#include <vector>

#include "vx/ImageOrientation.h"
#include "vx/StereoModels.h"

namespace vx {
class VEXAProject;
}

namespace qvx {

// The camera stations of a project: one orientation and selection flag per readable image, in
// project order, and the stereo topology over the selected ones among them.
struct ProjectImages {
  std::vector<vx::ImageOrientation> orientations;
  std::vector<bool> selected;
  vx::StereoModels topology;
};

// Images whose orientation file cannot be read are left out with a debug warning; the topology
// is renumbered so that it still refers to the right selected images.
ProjectImages collectProjectImages(const vx::VEXAProject& project);

}  // namespace qvx
