#pragma once

// Helpers shared by the core library's file readers and writers. Not part of the public interface.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vx/AtomicFile.h"

namespace vx {
namespace detail {

namespace fs = std::filesystem;

// A module's input that cannot be read while a tile is made: the run ends as for invalid input, not
// as for a file that could not be written.
class InputError : public FileError {
 public:
  using FileError::FileError;
};

// UTF-8 text <-> path, independent of the process locale.
fs::path pathFromUtf8(const std::string& utf8);
std::string utf8(const fs::path& path);

// vx::writeFileAtomically for a path.
void writeFileAtomically(const fs::path& path, const std::string& content);

// Locale-independent number text: shortest representation that reads back exactly. Parsing
// ignores surrounding blanks and line breaks.
std::string formatDouble(double value);
std::optional<double> parseDouble(std::string_view text);
std::optional<long long> parseInteger(std::string_view text);

// Text lines without their line end ("\n" or "\r\n"); a leading UTF-8 byte order mark is dropped.
class LineReader {
 public:
  explicit LineReader(std::string text);
  bool next(std::string_view& line);
  int lineNumber() const { return lineNumber_; }

 private:
  std::string text_;
  size_t pos_ = 0;
  int lineNumber_ = 0;
};

// What a module's file input holds: files ending in `suffix`; `noun` names the input in messages
// ("point", "DSM") and `fileKind` one of its files ("LAS file", "DSM tile").
struct InputKind {
  const char* suffix;
  const char* noun;
  const char* fileKind;
};
// One such file, every such file in a folder (sorted), or the entries of a list file (one path per
// line, absolute or relative to `relativeTo`, by default the list's folder). Throws vx::FileError
// for a missing input, an unreadable list or an empty result.
std::vector<std::string> inputFiles(const std::string& utf8Path, const std::string& relativeTo, const InputKind& kind);

// Without surrounding blanks and line breaks.
std::string_view trim(std::string_view text);

// Length of the UTF-8 sequence starting at `at`, or 0 when the bytes there are no valid one
// (overlong forms, surrogates and code points beyond U+10FFFF included).
size_t utf8SequenceLength(std::string_view text, size_t at);
bool isControlCharacter(unsigned char c);

// A value read from a file, fit for a message: quoted, control characters and bytes that are no
// UTF-8 shown as '?', and cut short when long.
std::string quotedValue(std::string_view text);

}  // namespace detail
}  // namespace vx
