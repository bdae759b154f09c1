#include "vx/SafeRead.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>

#include "FileUtil.h"

#ifdef _WIN32
#include <fstream>
#include <sstream>
#else
#include <unistd.h>
#endif

namespace vx {

namespace {

using namespace detail;

std::string tooLarge(const std::string& name, std::uint64_t size, std::uint64_t maxBytes) {
  return name + " is " + std::to_string(size) + " bytes, far larger than such a file can be (at most " +
         std::to_string(maxBytes) + " bytes); it was not read.";
}

}  // namespace

#ifndef _WIN32

std::string readRegularFile(const std::string& utf8Path, std::uint64_t maxBytes,
                            const std::string& description) {
  const std::string name = description + " " + utf8Path;
  const fs::path path = pathFromUtf8(utf8Path);
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) throw FileError(name + " does not exist.");
    throw FileError(name + " cannot be read (" + std::generic_category().message(errno) + ").");
  }
  // Checked before opening: opening a FIFO for reading would wait for a writer.
  if (!S_ISREG(status.st_mode)) throw FileError(name + " is not a regular file.");
  if (static_cast<std::uint64_t>(status.st_size) > maxBytes)
    throw FileError(tooLarge(name, static_cast<std::uint64_t>(status.st_size), maxBytes));

  // Non-blocking, in case the path was swapped for a FIFO since the check.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) throw FileError(name + " cannot be read (" + std::generic_category().message(errno) + ").");
  struct FdGuard {
    int fd;
    ~FdGuard() { ::close(fd); }
  } guard{fd};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) throw FileError(name + " is not a regular file.");

  std::string content;
  content.reserve(static_cast<size_t>(std::min<std::uint64_t>(status.st_size, maxBytes)));
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) throw FileError(name + " cannot be read (" + std::generic_category().message(errno) + ").");
    if (count == 0) break;
    // The file may grow while it is read.
    if (content.size() + static_cast<size_t>(count) > maxBytes)
      throw FileError(tooLarge(name, content.size() + static_cast<size_t>(count), maxBytes));
    content.append(buffer, static_cast<size_t>(count));
  }
  return content;
}

#else

std::string readRegularFile(const std::string& utf8Path, std::uint64_t maxBytes,
                            const std::string& description) {
  const std::string name = description + " " + utf8Path;
  const fs::path path = pathFromUtf8(utf8Path);
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) throw FileError(name + " does not exist.");
  if (!fs::is_regular_file(status)) throw FileError(name + " is not a regular file.");
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) throw FileError(name + " cannot be read (" + error.message() + ").");
  if (size > maxBytes) throw FileError(tooLarge(name, size, maxBytes));
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError(name + " cannot be read.");
  std::string content(static_cast<size_t>(size), '\0');
  in.read(content.data(), static_cast<std::streamsize>(size));
  content.resize(static_cast<size_t>(in.gcount()));
  if (in.bad()) throw FileError(name + " cannot be read.");
  return content;
}

#endif

bool isPlainText(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t length = utf8SequenceLength(text, at);
    if (length == 0) return false;
    if (length == 1 && text[at] != '\t' && isControlCharacter(static_cast<unsigned char>(text[at]))) return false;
    at += length;
  }
  return true;
}

int xmlNestingDepth(std::string_view text, int limit) {
  const auto startsAt = [&](size_t at, std::string_view prefix) { return text.compare(at, prefix.size(), prefix) == 0; };
  // Index just past `terminator`, searched from `from`, or the end of the text.
  const auto skipPast = [&](size_t from, std::string_view terminator) {
    const size_t at = text.find(terminator, from);
    return at == std::string_view::npos ? text.size() : at + terminator.size();
  };
  int depth = 0;
  int deepest = 0;
  size_t i = 0;
  while ((i = text.find('<', i)) != std::string_view::npos) {
    if (startsAt(i, "<!--")) {
      i = skipPast(i + 4, "-->");
    } else if (startsAt(i, "<![CDATA[")) {
      i = skipPast(i + 9, "]]>");
    } else if (startsAt(i, "<?")) {
      i = skipPast(i + 2, "?>");
    } else if (startsAt(i, "<!")) {
      // A declaration, perhaps with an internal subset in brackets.
      int brackets = 0;
      for (++i; i < text.size(); ++i) {
        if (text[i] == '[') ++brackets;
        if (text[i] == ']') --brackets;
        if (text[i] == '>' && brackets <= 0) break;
      }
      ++i;
    } else if (startsAt(i, "</")) {
      depth = std::max(0, depth - 1);
      i = skipPast(i + 2, ">");
    } else {
      size_t end = i + 1;
      char quote = 0;
      for (; end < text.size(); ++end) {
        const char c = text[end];
        if (quote) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '>') {
          break;
        }
      }
      if (end >= text.size() || text[end - 1] != '/') {
        deepest = std::max(deepest, ++depth);
        if (deepest > limit) return limit + 1;
      }
      i = end + 1;
    }
  }
  return deepest;
}

}  // namespace vx
