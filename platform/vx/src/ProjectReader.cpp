#include "ProjectReader.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

namespace vx {
namespace detail {

std::string ProjectReader::text(const ptree& node, const std::string& key, const std::string& fallback) const {
  return node.get<std::string>(key, fallback);
}

double ProjectReader::number(const ptree& node, const std::string& key, double fallback) const {
  auto value = node.get_optional<std::string>(key);
  if (!value) return fallback;
  if (trim(*value) == "none") return std::nan("");
  auto number = parseDouble(*value);
  if (!number) fail("<" + key + "> is not a number: \"" + *value + "\"");
  return *number;
}

int ProjectReader::integer(const ptree& node, const std::string& key, int fallback) const {
  auto value = node.get_optional<std::string>(key);
  if (!value) return fallback;
  auto number = parseInteger(*value);
  if (!number || *number < INT32_MIN || *number > INT32_MAX) {
    fail("<" + key + "> is not a whole number: \"" + *value + "\"");
  }
  return static_cast<int>(*number);
}

bool ProjectReader::flag(const ptree& node, const std::string& key, bool fallback) const {
  const std::string value(trim(node.get<std::string>(key, fallback ? "true" : "false")));
  if (value == "true" || value == "1") return true;
  if (value == "false" || value == "0") return false;
  fail("<" + key + "> must be true or false: \"" + value + "\"");
}

std::array<double, 3> ProjectReader::point(const ptree& node, const std::string& key,
                                           const std::array<double, 3>& fallback) const {
  auto value = node.get_optional<std::string>(key);
  if (!value) return fallback;
  std::istringstream in(*value);
  std::array<double, 3> result{};
  std::string part;
  int count = 0;
  while (in >> part) {
    auto number = parseDouble(part);
    if (!number || count == 3) fail("<" + key + "> must hold three numbers: \"" + *value + "\"");
    result[count++] = *number;
  }
  if (count != 3) fail("<" + key + "> must hold three numbers: \"" + *value + "\"");
  return result;
}

std::array<bool, 3> ProjectReader::flags3(const ptree& node, const std::string& key,
                                          const std::array<bool, 3>& fallback) const {
  auto value = node.get_optional<std::string>(key);
  if (!value) return fallback;
  std::istringstream in(*value);
  std::array<bool, 3> result{};
  std::string part;
  int count = 0;
  while (in >> part) {
    if (count == 3 || (part != "true" && part != "false")) {
      fail("<" + key + "> must hold three times true or false: \"" + *value + "\"");
    }
    result[count++] = part == "true";
  }
  if (count != 3) fail("<" + key + "> must hold three times true or false: \"" + *value + "\"");
  return result;
}

void ProjectReader::fail(const std::string& problem) const {
  throw std::runtime_error("The project file " + utf8(file_) + " is invalid: " + problem + ".");
}

}  // namespace detail
}  // namespace vx
