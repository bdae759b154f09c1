#pragma once

// The oriented photos of a run and which of them sees a point of the ground best: what the true
// ortho and the texturing colour the surface from.

#include <memory>
#include <string>
#include <vector>

#include "PhotoCache.h"
#include "vx/HeightGrid.h"
#include "vx/ImageOrientation.h"

namespace vx {

class VEXAProject;
struct ModuleInputs;

namespace detail {

struct OrientedPhoto {
  ImageOrientation orientation;
  std::string path;
};

// The photos with their orientations: from the lists in the folders the caller names
// (`orientation_iter0_list.txt`, `image_color_iter0_list.txt`), else the project's selected images;
// matched by image name, each photo's header checked against its orientation. Empty when all is
// well, else what is wrong, naming the file. Throws vx::FileError for a list that cannot be read.
std::string readOrientedPhotos(const VEXAProject& project, const ModuleInputs& inputs, const std::string& module,
                               std::vector<OrientedPhoto>& photos);

class PhotoViews {
 public:
  PhotoViews(std::vector<OrientedPhoto> photos, std::size_t photoBudgetBytes);

  // The photos into which some of the box may project.
  std::vector<int> candidatesFor(double west, double south, double east, double north, double low, double high) const;
  // Among `candidates`, the photo that resolves `point` finest (most pixels per metre of level
  // ground) and whose ray to it passes above `occluders` (a DSM window; nothing hides beyond it or
  // above `top`); -1 when none does.
  int bestView(const ImageOrientation::Vec3& point, const std::vector<int>& candidates, const HeightGrid& occluders,
               float top) const;

  const ImageOrientation& orientation(int photo) const { return photos_[std::size_t(photo)].orientation; }
  // Decoded, from the cache. Throws vx::FileError naming the file.
  std::shared_ptr<const Photo> photo(int photo) { return cache_.get(photos_[std::size_t(photo)].path); }

 private:
  std::vector<OrientedPhoto> photos_;
  PhotoCache cache_;
};

// Whether the ray from `point` to `centre` stays above the heights of `window`.
bool unblocked(const HeightGrid& window, float top, const ImageOrientation::Vec3& point,
               const ImageOrientation::Vec3& centre);

}  // namespace detail
}  // namespace vx
