#include <cstdint>
#include <sstream>
#include <stdexcept>

#include "FileUtil.h"
#include "vx/ImageOrientation.h"
#include "vx/SafeRead.h"

namespace vx {

using namespace detail;

namespace {

// Room for a few hundred thousand entries with long absolute paths.
constexpr std::uint64_t kMaxOrientationListBytes = std::uint64_t(32) << 20;

}  // namespace

std::vector<OrientationListEntry> listedOrientationFiles(const std::string& listPath) {
  LineReader reader(readRegularFile(listPath, kMaxOrientationListBytes, "The orientation list"));
  const fs::path folder = fs::absolute(pathFromUtf8(listPath)).parent_path();
  std::vector<OrientationListEntry> entries;
  std::string_view line;
  while (reader.next(line)) {
    line = trim(line);
    if (line.empty() || line.front() == '#') continue;
    // Such a line is no path a person wrote: the list is damaged or no list at all, and its
    // other lines are not worth a message each.
    if (!isPlainText(line)) {
      throw std::runtime_error("Orientation list " + listPath + ", line " + std::to_string(reader.lineNumber()) +
                               ": " + quotedValue(line) +
                               " is not a file name (it holds control characters or bytes that are no UTF-8 "
                               "text); the file is no orientation list.");
    }
    // operator/ keeps an absolute entry unchanged.
    entries.push_back({reader.lineNumber(), utf8((folder / pathFromUtf8(std::string(line))).lexically_normal())});
  }
  return entries;
}

ImageOrientation readListedOrientation(const std::string& listPath, const OrientationListEntry& entry) {
  try {
    return ImageOrientation::readFile(entry.path);
  } catch (const std::runtime_error& error) {
    throw std::runtime_error("Orientation list " + listPath + ", line " + std::to_string(entry.line) + ": " +
                             error.what());
  }
}

std::vector<ImageOrientation> readOrientationList(const std::string& listPath) {
  std::vector<ImageOrientation> result;
  for (const OrientationListEntry& entry : listedOrientationFiles(listPath))
    result.push_back(readListedOrientation(listPath, entry));
  return result;
}

void writeOrientationList(const std::string& listPath,
                          const std::vector<std::string>& orientationFiles) {
  const fs::path list = pathFromUtf8(listPath);
  const fs::path folder = fs::absolute(list).parent_path().lexically_normal();
  std::ostringstream out;
  for (const std::string& file : orientationFiles) {
    const fs::path absolute = fs::absolute(pathFromUtf8(file)).lexically_normal();
    const fs::path relative = absolute.lexically_relative(folder);
    const bool below = !relative.empty() && *relative.begin() != "..";
    const std::string text = below ? relative.generic_u8string() : utf8(absolute);
    if (text.find_first_of("\r\n") != std::string::npos) {
      throw std::runtime_error("Cannot write " + listPath + ": the path \"" + file +
                               "\" holds a line break.");
    }
    out << text << '\n';
  }
  writeFileAtomically(list, out.str());
}

}  // namespace vx
