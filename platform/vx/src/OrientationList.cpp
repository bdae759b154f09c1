#include <sstream>
#include <stdexcept>

#include "FileUtil.h"
#include "vx/ImageOrientation.h"

namespace vx {

using namespace detail;

std::vector<ImageOrientation> readOrientationList(const std::string& listPath) {
  const fs::path list = pathFromUtf8(listPath);
  LineReader reader(detail::readFile(list));
  std::vector<ImageOrientation> result;
  std::string_view line;
  while (reader.next(line)) {
    line = trim(line);
    if (line.empty() || line.front() == '#') continue;
    const fs::path entry = pathFromUtf8(std::string(line));
    try {
      // operator/ keeps an absolute entry unchanged.
      result.push_back(ImageOrientation::readFile(utf8(list.parent_path() / entry)));
    } catch (const std::runtime_error& error) {
      throw std::runtime_error("Orientation list " + listPath + ", line " +
                               std::to_string(reader.lineNumber()) + ": " + error.what());
    }
  }
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
