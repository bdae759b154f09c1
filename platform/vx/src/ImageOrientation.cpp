#include "vx/ImageOrientation.h"

#include <cmath>
#include <cstdint>
#include <set>
#include <sstream>
#include <stdexcept>

#include "FileUtil.h"
#include "vx/SafeRead.h"

namespace vx {

namespace {

using namespace detail;

constexpr const char* kMagic = "VEXA-ORI";
constexpr int kFormatVersion = 1;
// A written file has about 250 bytes; comments may add some.
constexpr std::uint64_t kMaxOrientationFileBytes = std::uint64_t(1) << 20;

std::vector<std::string_view> splitBlanks(std::string_view text) {
  std::vector<std::string_view> parts;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t start = text.find_first_not_of(" \t", pos);
    if (start == std::string_view::npos) break;
    size_t end = text.find_first_of(" \t", start);
    if (end == std::string_view::npos) end = text.size();
    parts.push_back(text.substr(start, end - start));
    pos = end;
  }
  return parts;
}

bool isOrthonormal(const ImageOrientation::Mat3& r) {
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      double dot = r[i * 3] * r[j * 3] + r[i * 3 + 1] * r[j * 3 + 1] + r[i * 3 + 2] * r[j * 3 + 2];
      if (std::abs(dot - (i == j ? 1.0 : 0.0)) > 1e-4) return false;
    }
  }
  double det = r[0] * (r[4] * r[8] - r[5] * r[7]) - r[1] * (r[3] * r[8] - r[5] * r[6]) +
               r[2] * (r[3] * r[7] - r[4] * r[6]);
  return det > 0.0;
}

ImageOrientation::Vec3 normalized(const ImageOrientation::Vec3& v) {
  double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(length > 1e-12)) throw std::invalid_argument("lookRotation: zero-length direction");
  return {{v[0] / length, v[1] / length, v[2] / length}};
}

ImageOrientation::Vec3 cross(const ImageOrientation::Vec3& a, const ImageOrientation::Vec3& b) {
  return {{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}};
}

// Parses the values of one "key v1 v2 ..." line; `error` names the line on failure.
class OrientationParser {
 public:
  OrientationParser(const std::string& path, int line) : path_(path), line_(line) {}

  [[noreturn]] void fail(const std::string& problem) const {
    throw std::runtime_error("Orientation file " + path_ + ", line " + std::to_string(line_) + ": " +
                             problem);
  }

  std::vector<double> numbers(const std::string& key, const std::vector<std::string_view>& values,
                              size_t count) const {
    if (values.size() != count) {
      fail("\"" + key + "\" needs " + std::to_string(count) + " values, found " +
           std::to_string(values.size()));
    }
    std::vector<double> result;
    for (std::string_view value : values) {
      auto number = parseDouble(value);
      if (!number) fail(quotedValue(value) + " is not a number");
      result.push_back(*number);
    }
    return result;
  }

 private:
  const std::string& path_;
  int line_;
};

}  // namespace

ImageOrientation::ImageOrientation() = default;

void ImageOrientation::setImageSize(int width, int height) {
  width_ = width;
  height_ = height;
}

void ImageOrientation::setPrincipalPoint(double cx, double cy) {
  cx_ = cx;
  cy_ = cy;
}

ImageOrientation ImageOrientation::readFile(const std::string& path) {
  LineReader reader(readRegularFile(path, kMaxOrientationFileBytes, "The orientation file"));
  ImageOrientation result;
  std::set<std::string> seen;
  bool headerRead = false;
  std::string_view line;
  while (reader.next(line)) {
    line = trim(line);
    if (line.empty() || line.front() == '#') continue;
    OrientationParser parser(path, reader.lineNumber());
    std::vector<std::string_view> parts = splitBlanks(line);
    std::string key(parts.front());
    std::vector<std::string_view> values(parts.begin() + 1, parts.end());
    if (!headerRead) {
      if (key != kMagic || values.size() != 1) parser.fail("expected \"VEXA-ORI 1\", found " + quotedValue(line));
      auto version = parseInteger(values.front());
      if (!version || *version < 1) parser.fail("invalid format version");
      if (*version > kFormatVersion) {
        parser.fail("format version " + std::to_string(*version) + " is newer than the supported " +
                    std::to_string(kFormatVersion));
      }
      headerRead = true;
      continue;
    }
    if (!seen.insert(key).second) parser.fail(quotedValue(key) + " given twice");
    if (key == "image") {
      const std::string_view name = trim(line.substr(key.size()));
      if (name.empty()) parser.fail("\"image\" needs the image file name");
      if (!isPlainText(name)) parser.fail("the image name " + quotedValue(name) + " is not UTF-8 text without control characters");
      result.imageName_ = std::string(name);
    } else if (key == "size") {
      parser.numbers(key, values, 2);
      auto w = parseInteger(values[0]), h = parseInteger(values[1]);
      if (!w || !h || *w <= 0 || *h <= 0 || *w > 1000000 || *h > 1000000) {
        parser.fail("image size must be two positive whole numbers");
      }
      result.setImageSize(static_cast<int>(*w), static_cast<int>(*h));
    } else if (key == "focal") {
      double f = parser.numbers(key, values, 1)[0];
      if (f <= 0.0) parser.fail("focal length must be positive");
      result.focal_ = f;
    } else if (key == "principal") {
      auto v = parser.numbers(key, values, 2);
      result.setPrincipalPoint(v[0], v[1]);
    } else if (key == "center") {
      auto v = parser.numbers(key, values, 3);
      result.center_ = {{v[0], v[1], v[2]}};
    } else if (key == "rotation") {
      auto v = parser.numbers(key, values, 9);
      std::copy(v.begin(), v.end(), result.rotation_.begin());
      if (!isOrthonormal(result.rotation_)) parser.fail("rotation is not a proper rotation matrix");
    } else {
      parser.fail("unknown key " + quotedValue(key));
    }
  }
  if (!headerRead) throw std::runtime_error("Orientation file " + path + " is empty.");
  for (const char* key : {"image", "size", "focal", "principal", "center", "rotation"}) {
    if (!seen.count(key)) {
      throw std::runtime_error("Orientation file " + path + " lacks the line \"" + key + "\".");
    }
  }
  return result;
}

void ImageOrientation::writeFile(const std::string& path) const {
  if (imageName_.empty() || imageName_.find_first_of("\r\n") != std::string::npos ||
      trim(imageName_).size() != imageName_.size()) {
    throw std::runtime_error("Cannot write " + path + ": the image name \"" + imageName_ +
                             "\" is empty, holds a line break or starts or ends with blanks.");
  }
  std::ostringstream out;
  out << kMagic << ' ' << kFormatVersion << '\n'
      << "image " << imageName_ << '\n'
      << "size " << width_ << ' ' << height_ << '\n'
      << "focal " << formatDouble(focal_) << '\n'
      << "principal " << formatDouble(cx_) << ' ' << formatDouble(cy_) << '\n'
      << "center";
  for (double c : center_) out << ' ' << formatDouble(c);
  out << "\nrotation";
  for (double r : rotation_) out << ' ' << formatDouble(r);
  out << '\n';
  writeFileAtomically(pathFromUtf8(path), out.str());
}

ImageOrientation::Vec3 ImageOrientation::toCamera(const Vec3& world) const {
  const Vec3 d{{world[0] - center_[0], world[1] - center_[1], world[2] - center_[2]}};
  const Mat3& r = rotation_;
  return {{r[0] * d[0] + r[1] * d[1] + r[2] * d[2], r[3] * d[0] + r[4] * d[1] + r[5] * d[2],
           r[6] * d[0] + r[7] * d[1] + r[8] * d[2]}};
}

bool ImageOrientation::project(const Vec3& world, double& u, double& v) const {
  Vec3 c = toCamera(world);
  if (c[2] <= 0.0) return false;
  u = focal_ * c[0] / c[2] + cx_;
  v = focal_ * c[1] / c[2] + cy_;
  return true;
}

ImageOrientation::Mat3 lookRotation(const ImageOrientation::Vec3& viewDirection,
                                    const ImageOrientation::Vec3& worldUp) {
  const ImageOrientation::Vec3 z = normalized(viewDirection);
  ImageOrientation::Vec3 up = normalized(worldUp);
  // Looking along "up" leaves the image roll open: then the image top faces the world axis
  // least parallel to the view, preferring +Y (north) so that nadir images face north.
  auto parallel = [&](const ImageOrientation::Vec3& a) {
    return std::abs(a[0] * z[0] + a[1] * z[1] + a[2] * z[2]) > 1.0 - 1e-9;
  };
  if (parallel(up)) up = parallel({{0, 1, 0}}) ? ImageOrientation::Vec3{{0, 0, 1}}
                                              : ImageOrientation::Vec3{{0, 1, 0}};
  // y points down the image: the part of -up perpendicular to the view.
  double along = up[0] * z[0] + up[1] * z[1] + up[2] * z[2];
  const ImageOrientation::Vec3 y =
      normalized({{-(up[0] - along * z[0]), -(up[1] - along * z[1]), -(up[2] - along * z[2])}});
  const ImageOrientation::Vec3 x = cross(y, z);
  return {{x[0], x[1], x[2], y[0], y[1], y[2], z[0], z[1], z[2]}};
}

}  // namespace vx
