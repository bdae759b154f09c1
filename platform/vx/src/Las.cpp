#include "vx/Las.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "FileUtil.h"
#include "vx/AtomicFile.h"
#include "vx/SafeRead.h"

namespace vx {
namespace las {

namespace {

using namespace detail;

// A list of LAS files is a small text file.
constexpr std::uint64_t kMaxListBytes = 16 << 20;

template <typename T>
T at(const char* bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;  // LAS is little-endian, as every platform we build for
}

template <typename T>
void put(std::string& out, T value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Smallest record of each point format; formats 4, 5, 9 and 10 carry waveforms the DSM does not use.
int minimumRecordLength(int format) {
  switch (format) {
    case 0: return 20;
    case 1: return 28;
    case 2: return 26;
    case 3: return 34;
    case 6: return 30;
    case 7: return 36;
    case 8: return 38;
    default: return 0;
  }
}

// Header size each minor version needs at least, for the fields read here.
int minimumHeaderSize(int minor) { return minor >= 4 ? 375 : minor == 3 ? 235 : 227; }

struct Colour {
  int offset = -1;  // of red in the record; none when negative
};

Colour colourOf(int format) {
  switch (format) {
    case 2: return {20};
    case 3: return {28};
    case 7:
    case 8: return {30};
    default: return {};
  }
}

}  // namespace

Reader::Reader(const std::string& utf8Path) : path_(utf8Path) {
  const std::string name = "The point file " + utf8Path;
  const fs::path path = pathFromUtf8(utf8Path);
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) throw FileError(name + " does not exist.");
  if (!fs::is_regular_file(status)) throw FileError(name + " is not a regular file.");
  const std::uint64_t size = fs::file_size(path, error);
  if (error) throw FileError(name + " cannot be read (" + error.message() + ").");
  in_.open(path, std::ios::binary);
  if (!in_) throw FileError(name + " cannot be opened.");

  char bytes[375] = {};
  const std::uint64_t headerBytes = std::min<std::uint64_t>(size, sizeof bytes);
  if (!in_.read(bytes, std::streamsize(headerBytes))) throw FileError(name + " cannot be read.");
  if (headerBytes < 4 || std::memcmp(bytes, "LASF", 4) != 0)
    throw FileError(name + " is not a LAS file (it does not begin with \"LASF\").");
  if (headerBytes < 227) throw FileError(name + " is cut short inside its header.");

  Header& h = header_;
  h.versionMajor = static_cast<unsigned char>(bytes[24]);
  h.versionMinor = static_cast<unsigned char>(bytes[25]);
  if (h.versionMajor != 1 || h.versionMinor > 4)
    throw FileError(name + " is LAS version " + std::to_string(h.versionMajor) + "." +
                    std::to_string(h.versionMinor) + "; versions 1.0 to 1.4 can be read.");
  const int headerSize = at<std::uint16_t>(bytes, 94);
  if (headerSize < minimumHeaderSize(h.versionMinor) || std::uint64_t(headerSize) > size)
    throw FileError(name + " has a header size of " + std::to_string(headerSize) + " bytes, which does not fit LAS " +
                    std::to_string(h.versionMajor) + "." + std::to_string(h.versionMinor) + " or the file.");
  h.pointOffset = at<std::uint32_t>(bytes, 96);
  const int rawFormat = static_cast<unsigned char>(bytes[104]);
  // The two high bits mark compressed (LAZ) records.
  if (rawFormat & 0xC0)
    throw FileError(name + " is compressed (LAZ); decompress it to LAS first.");
  h.pointFormat = rawFormat;
  h.recordLength = at<std::uint16_t>(bytes, 105);
  const int minimum = minimumRecordLength(h.pointFormat);
  if (minimum == 0)
    throw FileError(name + " has point format " + std::to_string(h.pointFormat) +
                    "; formats 0 to 3 and 6 to 8 can be read.");
  if (h.recordLength < minimum)
    throw FileError(name + " has point records of " + std::to_string(h.recordLength) + " bytes; format " +
                    std::to_string(h.pointFormat) + " needs at least " + std::to_string(minimum) + ".");
  h.pointCount = at<std::uint32_t>(bytes, 107);
  if (h.versionMinor >= 4) {
    const std::uint64_t count14 = at<std::uint64_t>(bytes, 247);
    if (h.pointCount == 0 || count14 != 0) h.pointCount = count14;
  }
  for (int axis = 0; axis < 3; ++axis) {
    h.scale[axis] = at<double>(bytes, 131 + 8 * axis);
    h.offset[axis] = at<double>(bytes, 155 + 8 * axis);
    h.max[axis] = at<double>(bytes, 179 + 16 * axis);
    h.min[axis] = at<double>(bytes, 187 + 16 * axis);
    if (!std::isfinite(h.scale[axis]) || h.scale[axis] == 0 || !std::isfinite(h.offset[axis]))
      throw FileError(name + " has an unusable scale or offset of its coordinates.");
  }
  if (h.pointOffset < std::uint32_t(headerSize) || h.pointOffset > size)
    throw FileError(name + " says its points begin at byte " + std::to_string(h.pointOffset) +
                    ", outside the file of " + std::to_string(size) + " bytes.");
  const std::uint64_t room = (size - h.pointOffset) / std::uint64_t(h.recordLength);
  if (h.pointCount > room)
    throw FileError(name + " is cut short: its header announces " + std::to_string(h.pointCount) +
                    " points, the file holds " + std::to_string(room) + ".");
  in_.seekg(std::streamoff(h.pointOffset));
  if (!in_) throw FileError(name + " cannot be read.");
}

bool Reader::read(std::vector<Point>& points, std::size_t maxPoints) {
  points.clear();
  if (done_ >= header_.pointCount || maxPoints == 0) return false;
  const std::size_t count = std::size_t(std::min<std::uint64_t>(maxPoints, header_.pointCount - done_));
  const std::size_t length = std::size_t(header_.recordLength);
  buffer_.resize(count * length);
  if (!in_.read(buffer_.data(), std::streamsize(buffer_.size())))
    throw FileError("The point file " + path_ + " ended before its last point; was it changed while being read?");
  const Colour colour = colourOf(header_.pointFormat);
  const bool extended = header_.pointFormat >= 6;
  points.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const char* record = buffer_.data() + i * length;
    Point& p = points[i];
    p.x = at<std::int32_t>(record, 0) * header_.scale[0] + header_.offset[0];
    p.y = at<std::int32_t>(record, 4) * header_.scale[1] + header_.offset[1];
    p.z = at<std::int32_t>(record, 8) * header_.scale[2] + header_.offset[2];
    p.classification = static_cast<std::uint8_t>(record[extended ? 16 : 15]) & (extended ? 0xFF : 0x1F);
    if (colour.offset >= 0) {
      p.red = at<std::uint16_t>(record, std::size_t(colour.offset));
      p.green = at<std::uint16_t>(record, std::size_t(colour.offset) + 2);
      p.blue = at<std::uint16_t>(record, std::size_t(colour.offset) + 4);
    }
  }
  done_ += count;
  return true;
}

void write(const std::string& utf8Path, const std::vector<Point>& points, bool version14) {
  Header h;
  h.versionMinor = version14 ? 4 : 2;
  h.pointFormat = version14 ? 7 : 2;
  h.recordLength = minimumRecordLength(h.pointFormat);
  const int headerSize = minimumHeaderSize(h.versionMinor);
  h.pointOffset = std::uint32_t(headerSize);
  h.pointCount = points.size();
  for (int axis = 0; axis < 3; ++axis) {
    h.min[axis] = points.empty() ? 0 : std::numeric_limits<double>::max();
    h.max[axis] = points.empty() ? 0 : std::numeric_limits<double>::lowest();
  }
  for (const Point& p : points) {
    const double xyz[3] = {p.x, p.y, p.z};
    for (int axis = 0; axis < 3; ++axis) {
      h.min[axis] = std::min(h.min[axis], xyz[axis]);
      h.max[axis] = std::max(h.max[axis], xyz[axis]);
    }
  }
  for (int axis = 0; axis < 3; ++axis) {
    h.offset[axis] = std::floor(h.min[axis]);
    if ((h.max[axis] - h.offset[axis]) / h.scale[axis] > std::numeric_limits<std::int32_t>::max())
      throw FileError("The point file " + utf8Path + " cannot hold points spread this far at millimetre steps.");
  }

  std::string out;
  out.reserve(std::size_t(headerSize) + points.size() * std::size_t(h.recordLength));
  out.append("LASF");
  put<std::uint16_t>(out, 0);   // file source
  put<std::uint16_t>(out, version14 ? 16 : 0);  // global encoding: WKT bit for 1.4
  out.append(16, '\0');         // project GUID
  put<std::uint8_t>(out, 1);
  put<std::uint8_t>(out, std::uint8_t(h.versionMinor));
  std::string system = "VEXA";
  system.resize(32, '\0');
  out.append(system);
  std::string software = "VEXA Editor";
  software.resize(32, '\0');
  out.append(software);
  put<std::uint16_t>(out, 1);     // creation day
  put<std::uint16_t>(out, 2026);  // creation year
  put<std::uint16_t>(out, std::uint16_t(headerSize));
  put<std::uint32_t>(out, h.pointOffset);
  put<std::uint32_t>(out, 0);  // variable length records
  put<std::uint8_t>(out, std::uint8_t(h.pointFormat));
  put<std::uint16_t>(out, std::uint16_t(h.recordLength));
  if (!version14 && points.size() > std::numeric_limits<std::uint32_t>::max())
    throw FileError("The point file " + utf8Path + " cannot hold more than 4294967295 points in LAS 1.2.");
  put<std::uint32_t>(out, h.pointFormat < 6 ? std::uint32_t(points.size()) : 0);  // 1.4 keeps only the 64-bit count
  put<std::uint32_t>(out, h.pointFormat < 6 ? std::uint32_t(points.size()) : 0);  // first returns
  for (int i = 0; i < 4; ++i) put<std::uint32_t>(out, 0);
  for (double s : h.scale) put<double>(out, s);
  for (double o : h.offset) put<double>(out, o);
  for (int axis = 0; axis < 3; ++axis) {
    put<double>(out, h.max[axis]);
    put<double>(out, h.min[axis]);
  }
  if (version14) {
    put<std::uint64_t>(out, 0);  // waveform data
    put<std::uint64_t>(out, 0);  // first extended VLR
    put<std::uint32_t>(out, 0);  // extended VLRs
    put<std::uint64_t>(out, points.size());
    put<std::uint64_t>(out, points.size());  // first returns
    for (int i = 0; i < 14; ++i) put<std::uint64_t>(out, 0);
  }
  for (const Point& p : points) {
    const double xyz[3] = {p.x, p.y, p.z};
    for (int axis = 0; axis < 3; ++axis)
      put<std::int32_t>(out, std::int32_t(std::llround((xyz[axis] - h.offset[axis]) / h.scale[axis])));
    put<std::uint16_t>(out, 0);  // intensity
    if (version14) {
      put<std::uint8_t>(out, 0x11);  // return 1 of 1
      put<std::uint8_t>(out, 0);     // flags
      put<std::uint8_t>(out, p.classification);
      put<std::uint8_t>(out, 0);   // user data
      put<std::int16_t>(out, 0);   // scan angle
      put<std::uint16_t>(out, 0);  // point source
      put<double>(out, 0);         // GPS time
    } else {
      put<std::uint8_t>(out, 0x09);  // return 1 of 1
      put<std::uint8_t>(out, std::uint8_t(p.classification & 0x1F));
      put<std::int8_t>(out, 0);    // scan angle
      put<std::uint8_t>(out, 0);   // user data
      put<std::uint16_t>(out, 0);  // point source
    }
    put<std::uint16_t>(out, p.red);
    put<std::uint16_t>(out, p.green);
    put<std::uint16_t>(out, p.blue);
  }
  vx::writeFileAtomically(utf8Path, std::string_view(out));
}

std::vector<std::string> inputFiles(const std::string& utf8Path, const std::string& relativeTo) {
  return detail::inputFiles(utf8Path, relativeTo, {".las", "point", "LAS file"});
}

}  // namespace las
}  // namespace vx
