#pragma once

// LAS point files (versions 1.0 to 1.4, point formats 0 to 3 and 6 to 8), the 3D input of the DSM
// module: read in chunks, so that a file of billions of points never has to fit in memory, and
// written (format 2 for 1.2, 7 for 1.4) by the demo generator and by tests.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace vx {
namespace las {

struct Header {
  int versionMajor = 1;
  int versionMinor = 2;
  int pointFormat = 2;
  int recordLength = 26;
  std::uint32_t pointOffset = 227;
  std::uint64_t pointCount = 0;
  double scale[3] = {0.001, 0.001, 0.001};
  double offset[3] = {0, 0, 0};
  double min[3] = {0, 0, 0};
  double max[3] = {0, 0, 0};
};

struct Point {
  double x = 0, y = 0, z = 0;
  std::uint16_t red = 0, green = 0, blue = 0;  // 0 where the format has no colour
  std::uint8_t classification = 0;
};

// Reads one file. The constructor checks the header against the file and throws vx::FileError
// naming the file and what is wrong with it (not a LAS file, a compressed LAZ file, an unknown
// version or point format, a point count the file is too short to hold, ...), so a damaged file is
// refused before any point of it is used.
class Reader {
 public:
  explicit Reader(const std::string& utf8Path);

  const Header& header() const { return header_; }
  const std::string& path() const { return path_; }
  // Replaces `points` by the next at most `maxPoints` points; false once all have been read. A
  // file that ends early (changed after it was opened) throws vx::FileError.
  bool read(std::vector<Point>& points, std::size_t maxPoints = 65536);

 private:
  std::string path_;
  Header header_;
  std::ifstream in_;
  std::uint64_t done_ = 0;
  std::vector<char> buffer_;
};

// Writes `points` as LAS 1.2 format 2 (or 1.4 format 7 with `version14`), the scale 1 mm and the
// offset the points' minimum, atomically (vx::writeFileAtomically). Throws vx::FileError.
void write(const std::string& utf8Path, const std::vector<Point>& points, bool version14 = false);

// The LAS files a DSM input names: the file itself when it ends in ".las", the ".las" files of a
// folder (sorted), or the entries of a list file (one path per line, absolute or relative to
// `relativeTo`, by default the list's folder; a project's lists are relative to the project folder).
// Throws vx::FileError for a missing input, an unreadable list or an empty result.
std::vector<std::string> inputFiles(const std::string& utf8Path, const std::string& relativeTo = {});

}  // namespace las
}  // namespace vx
