#include "PhotoViews.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <system_error>

#include "FileUtil.h"
#include "TileWork.h"
#include "vx/AtomicFile.h"
#include "vx/SafeRead.h"
#include "vx/VEXAProject.h"

namespace vx {
namespace detail {

namespace {

const char* const kOrientationList = "orientation_iter0_list.txt";
const char* const kImageList = "image_color_iter0_list.txt";
constexpr std::uint64_t kMaxListBytes = std::uint64_t(32) << 20;

// The lines of a list file, trimmed, without blank lines and '#' comments.
std::vector<std::string> listEntries(const std::string& list, const std::string& description) {
  LineReader lines(readRegularFile(list, kMaxListBytes, description));
  std::vector<std::string> entries;
  std::string_view line;
  while (lines.next(line)) {
    line = trim(line);
    if (line.empty() || line.front() == '#') continue;
    if (!isPlainText(line))
      throw FileError(description + " " + list + ", line " + std::to_string(lines.lineNumber()) + ": " +
                      quotedValue(line) + " is not a file name.");
    entries.emplace_back(line);
  }
  return entries;
}

// The list `name` in the folder the caller gave; empty with `problem` set when it is not there.
std::string listIn(const std::string& folder, const char* name, const char* what, std::string& problem) {
  std::error_code error;
  if (!fs::is_directory(pathFromUtf8(folder), error)) {
    problem = std::string("The ") + what + " input " + folder + " is not a folder.";
    return {};
  }
  const fs::path list = pathFromUtf8(folder) / name;
  if (!fs::is_regular_file(list, error)) {
    problem = std::string("The ") + what + " folder " + folder + " does not contain the list " + utf8(list) + ".";
    return {};
  }
  return utf8(list);
}

// Bilinear between the cell centres around (x, y); NaN where a neighbour is unknown or at the
// window's outer half cells.
double heightAt(const HeightGrid& window, double x, double y) {
  const double fx = (x - window.west) / window.cell - 0.5, fy = (window.north - y) / window.cell - 0.5;
  const int c0 = int(std::floor(fx)), r0 = int(std::floor(fy));
  if (c0 < 0 || r0 < 0 || c0 + 1 >= window.columns || r0 + 1 >= window.rows) return NAN;
  const double tx = fx - c0, ty = fy - r0;
  const double top = window.at(c0, r0) * (1 - tx) + window.at(c0 + 1, r0) * tx;
  const double bottom = window.at(c0, r0 + 1) * (1 - tx) + window.at(c0 + 1, r0 + 1) * tx;
  return top * (1 - ty) + bottom * ty;
}

}  // namespace

std::string readOrientedPhotos(const VEXAProject& project, const ModuleInputs& inputs, const std::string& module,
                               std::vector<OrientedPhoto>& photos) {
  const fs::path folder = pathFromUtf8(project.projectFolderUtf8());
  std::string problem;
  std::vector<ImageOrientation> orientations;
  std::string orientationSource = "the project";
  if (!inputs.orientation.empty()) {
    const std::string list = listIn(inputs.orientation, kOrientationList, "orientation", problem);
    if (list.empty()) return problem;
    orientations = readOrientationList(list);
    orientationSource = list;
  } else {
    for (std::size_t i = 0; i < project.imageCount(); ++i) {
      const ProjectImage& image = project.image(i);
      if (project.isImageSelected(image) && !image.orientationPath.empty())
        orientations.push_back(project.imageOrientation(image));
    }
  }
  std::map<std::string, std::string> photoByName;
  std::string photoSource = "the project";
  if (!inputs.images.empty()) {
    const std::string list = listIn(inputs.images, kImageList, "image", problem);
    if (list.empty()) return problem;
    const fs::path listFolder = pathFromUtf8(list).parent_path();
    for (const std::string& entry : listEntries(list, "The image list")) {
      const fs::path photo = pathFromUtf8(entry);
      photoByName[utf8(photo.filename())] = utf8(photo.is_absolute() ? photo : listFolder / photo);
    }
    photoSource = list;
  } else {
    for (std::size_t i = 0; i < project.imageCount(); ++i) {
      const ProjectImage& image = project.image(i);
      if (!project.isImageSelected(image) || image.photoPath.empty()) continue;
      const fs::path photo = pathFromUtf8(image.photoPath);
      photoByName[image.name.empty() ? utf8(photo.filename()) : image.name] =
          utf8(photo.is_absolute() ? photo : folder / photo);
    }
  }
  // Every listed photo must be there and readable, not only those with an orientation.
  std::map<std::string, PhotoSize> sizes;
  for (const auto& [name, file] : photoByName) sizes[name] = readPhotoSize(file);
  for (ImageOrientation& orientation : orientations) {
    // An orientation may name its image with a folder part; the photo is found by its file name.
    const auto photo = photoByName.find(utf8(pathFromUtf8(orientation.imageName()).filename()));
    if (photo == photoByName.end()) continue;
    const PhotoSize size = sizes[photo->first];
    if (size.width != orientation.width() || size.height != orientation.height())
      return "The photo " + photo->second + " is " + std::to_string(size.width) + " x " + std::to_string(size.height) +
             " pixels, but its orientation says " + std::to_string(orientation.width()) + " x " +
             std::to_string(orientation.height()) + ".";
    photos.push_back({std::move(orientation), photo->second});
  }
  if (photos.empty())
    return "The " + module + " has no oriented photo: no orientation of " + orientationSource + " names a photo of " +
           photoSource + ".";
  return {};
}

PhotoViews::PhotoViews(std::vector<OrientedPhoto> photos, std::size_t photoBudgetBytes)
    : photos_(std::move(photos)), cache_(photoBudgetBytes) {}

std::vector<int> PhotoViews::candidatesFor(double west, double south, double east, double north, double low,
                                           double high) const {
  std::vector<int> found;
  for (int i = 0; i < int(photos_.size()); ++i) {
    const ImageOrientation& o = photos_[std::size_t(i)].orientation;
    double uMin = INFINITY, uMax = -INFINITY, vMin = INFINITY, vMax = -INFINITY;
    bool behind = false;
    for (double cx : {west, east})
      for (double cy : {south, north})
        for (double cz : {low, high}) {
          double u = 0, v = 0;
          if (!o.project({{cx, cy, cz}}, u, v)) {
            behind = true;
            continue;
          }
          uMin = std::min(uMin, u), uMax = std::max(uMax, u), vMin = std::min(vMin, v), vMax = std::max(vMax, v);
        }
    // A box partly behind the camera projects to no bounded region: its points are checked one by one.
    if (behind || (uMax >= 0 && uMin <= o.width() && vMax >= 0 && vMin <= o.height())) found.push_back(i);
  }
  return found;
}

int PhotoViews::bestView(const ImageOrientation::Vec3& point, const std::vector<int>& candidates,
                         const HeightGrid& occluders, float top) const {
  std::vector<std::pair<double, int>> ranked;
  for (int i : candidates) {
    const ImageOrientation& o = photos_[std::size_t(i)].orientation;
    double u = 0, v = 0;
    if (!o.project(point, u, v) || u < 0 || v < 0 || u > o.width() || v > o.height()) continue;
    const auto& c = o.projectionCenter();
    const double range2 = (c[0] - point[0]) * (c[0] - point[0]) + (c[1] - point[1]) * (c[1] - point[1]) +
                          (c[2] - point[2]) * (c[2] - point[2]);
    // Pixels per metre of level ground: nearer and steeper views resolve it finer.
    const double score = o.focalLength() * (c[2] - point[2]) / range2;
    if (score > 0) ranked.emplace_back(score, i);
  }
  std::sort(ranked.begin(), ranked.end(), std::greater<>());
  for (const auto& [score, i] : ranked)
    if (unblocked(occluders, top, point, photos_[std::size_t(i)].orientation.projectionCenter())) return i;
  return -1;
}

bool unblocked(const HeightGrid& window, float top, const ImageOrientation::Vec3& point,
               const ImageOrientation::Vec3& centre) {
  const double dx = centre[0] - point[0], dy = centre[1] - point[1], dz = centre[2] - point[2];
  const double horizontal = std::hypot(dx, dy);
  if (horizontal < 1e-9) return dz > 0;
  if (window.columns == 0 || window.rows == 0) return true;
  const double cell = window.cell;
  // Matched heights scatter; a neighbouring cell a little above the ray hides nothing.
  const double tolerance = std::max(0.2, 0.5 * cell);
  const double rise = dz / horizontal, ex = dx / horizontal, ey = dy / horizontal;
  int column = 0, row = 0;
  for (double s = 0.75 * cell; s < horizontal; s += 0.5 * cell) {
    const double z = point[2] + rise * s;
    if (z > top) return true;
    const double x = point[0] + ex * s, y = point[1] + ey * s;
    // Beyond the window nothing is known that could hide the ray.
    if (!window.cellOf(x, y, column, row)) return true;
    const double h = heightAt(window, x, y);
    if (h > z + tolerance) return false;  // false for unknown (NaN) heights
  }
  return true;
}

}  // namespace detail
}  // namespace vx
