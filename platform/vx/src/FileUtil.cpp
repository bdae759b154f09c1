#include "FileUtil.h"

#include "vx/AtomicFile.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace vx {
namespace detail {

fs::path pathFromUtf8(const std::string& utf8) { return fs::u8path(utf8); }

std::string utf8(const fs::path& path) { return path.u8string(); }

std::string readFile(const fs::path& path) {
  std::error_code error;
  if (fs::is_directory(path, error)) throw std::runtime_error(utf8(path) + " is a folder, not a file.");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open " + utf8(path) + " for reading.");
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) throw std::runtime_error("Cannot read " + utf8(path) + ".");
  return buffer.str();
}

void writeFileAtomically(const fs::path& path, const std::string& content) {
  vx::writeFileAtomically(utf8(path), content);
}

std::string formatDouble(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::optional<double> parseDouble(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<long long> parseInteger(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

LineReader::LineReader(std::string text) : text_(std::move(text)) {
  if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
}

bool LineReader::next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  size_t end = text_.find('\n', pos_);
  if (end == std::string::npos) end = text_.size();
  line = std::string_view(text_).substr(pos_, end - pos_);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  pos_ = end + 1;
  ++lineNumber_;
  return true;
}

std::string_view trim(std::string_view text) {
  const char* blanks = " \t\r\n";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace detail
}  // namespace vx
