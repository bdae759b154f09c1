#pragma once

#include <array>
#include <string>
#include <vector>

namespace vx {

// One oriented photo. Camera frame: x right, y down, z forward (viewing direction);
// x_cam = R * (X - C); pixel u = f*x/z + cx, v = f*y/z + cy, origin top-left, v down.
class ImageOrientation {
 public:
  using Vec3 = std::array<double, 3>;
  using Mat3 = std::array<double, 9>;  // row-major; rows are the camera axes in world coordinates

  ImageOrientation();

  // Reads an orientation file (absolute path, UTF-8). Throws std::runtime_error naming the file
  // and the problem when it is missing or malformed.
  static ImageOrientation readFile(const std::string& path);
  // Atomic write (temporary file beside it, then rename). Throws std::runtime_error.
  void writeFile(const std::string& path) const;

  const std::string& imageName() const { return imageName_; }
  void setImageName(const std::string& name) { imageName_ = name; }
  int width() const { return width_; }
  int height() const { return height_; }
  void setImageSize(int width, int height);
  double focalLength() const { return focal_; }
  void setFocalLength(double f) { focal_ = f; }
  double principalPointX() const { return cx_; }
  double principalPointY() const { return cy_; }
  void setPrincipalPoint(double cx, double cy);
  const Vec3& projectionCenter() const { return center_; }
  void setProjectionCenter(const Vec3& c) { center_ = c; }
  const Mat3& rotation() const { return rotation_; }
  void setRotation(const Mat3& r) { rotation_ = r; }
  // A true-ortho tile seen from straight above, drawn with a parallel projection; never in a file.
  bool isOrtho() const { return ortho_; }
  void setOrtho(bool ortho) { ortho_ = ortho; }

  // World point -> camera frame.
  Vec3 toCamera(const Vec3& world) const;
  // World point -> pixel. False when the point lies behind the camera (z <= 0).
  bool project(const Vec3& world, double& u, double& v) const;

 private:
  std::string imageName_;
  int width_ = 0;
  int height_ = 0;
  double focal_ = 0.0;
  double cx_ = 0.0;
  double cy_ = 0.0;
  Vec3 center_{{0.0, 0.0, 0.0}};
  Mat3 rotation_{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
  bool ortho_ = false;
};

// An orientation list: a UTF-8 text file naming one orientation file per line, relative to the
// list's folder or absolute; blank lines and lines starting with '#' are skipped.
// Throws std::runtime_error when the list or one of its files cannot be read.
std::vector<ImageOrientation> readOrientationList(const std::string& listPath);

// One entry of an orientation list: the number of its line and the orientation file it names,
// made absolute against the list's folder.
struct OrientationListEntry {
  int line = 0;
  std::string path;
};
// The entries of a list, in line order, without reading the files they name. Throws
// std::runtime_error naming the list (and the line) when the list cannot be read or holds a line
// that is no file name (control characters, bytes that are no UTF-8).
std::vector<OrientationListEntry> listedOrientationFiles(const std::string& listPath);
// The orientation of one entry; std::runtime_error "Orientation list <list>, line N: <problem>".
ImageOrientation readListedOrientation(const std::string& listPath, const OrientationListEntry& entry);
// Writes the list (atomic); entries are written relative to the list's folder when they lie below it.
void writeOrientationList(const std::string& listPath, const std::vector<std::string>& orientationFiles);

// Rotation whose camera looks along `viewDirection` with image "up" as close to `worldUp` as
// possible (so image rows run downwards in the world). Rows are the camera axes x, y, z.
ImageOrientation::Mat3 lookRotation(const ImageOrientation::Vec3& viewDirection,
                                    const ImageOrientation::Vec3& worldUp);

}  // namespace vx
