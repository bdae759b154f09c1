#include "FileUtil.h"

#include "vx/AtomicFile.h"
#include "vx/SafeRead.h"

#include <algorithm>
#include <system_error>

#include <charconv>
#include <cmath>

namespace vx {
namespace detail {

fs::path pathFromUtf8(const std::string& utf8) { return fs::u8path(utf8); }

std::string utf8(const fs::path& path) { return path.u8string(); }

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

size_t utf8SequenceLength(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

bool isControlCharacter(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string quotedValue(std::string_view text) {
  constexpr size_t kShown = 60;
  std::string result = "\"";
  size_t at = 0;
  while (at < text.size() && at < kShown) {
    const size_t length = utf8SequenceLength(text, at);
    if (length == 0 || (length == 1 && isControlCharacter(static_cast<unsigned char>(text[at])))) {
      result += '?';
      ++at;
    } else {
      result.append(text.substr(at, length));
      at += length;
    }
  }
  if (at < text.size()) result += "...";
  return result + "\"";
}

std::vector<std::string> inputFiles(const std::string& utf8Path, const std::string& relativeTo, const InputKind& kind) {
  constexpr std::uint64_t kMaxListBytes = 16 << 20;
  const std::string noun = kind.noun;
  const fs::path path = pathFromUtf8(utf8Path);
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) throw FileError("The " + noun + " input " + utf8Path + " does not exist.");
  const auto matches = [&](const fs::path& p) { return p.extension() == kind.suffix; };
  std::vector<std::string> files;
  if (fs::is_directory(status)) {
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error))
      if (it->is_regular_file(error) && matches(it->path())) files.push_back(utf8(it->path()));
    if (error) throw FileError("The " + noun + " folder " + utf8Path + " cannot be read (" + error.message() + ").");
    std::sort(files.begin(), files.end());
  } else if (matches(path)) {
    files.push_back(utf8Path);
  } else {
    const std::string text = readRegularFile(utf8Path, kMaxListBytes, "The " + noun + " list");
    LineReader lines(text);
    std::string_view line;
    const fs::path base = relativeTo.empty() ? path.parent_path() : pathFromUtf8(relativeTo);
    while (lines.next(line)) {
      line = trim(line);
      if (line.empty()) continue;
      const fs::path entry = pathFromUtf8(std::string(line));
      files.push_back(utf8(entry.is_absolute() ? entry : base / entry));
    }
  }
  if (files.empty()) throw FileError("The " + noun + " input " + utf8Path + " names no " + kind.fileKind + ".");
  return files;
}

}  // namespace detail
}  // namespace vx
