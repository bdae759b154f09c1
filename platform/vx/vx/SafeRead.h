#pragma once

// Reading small settings files that may be damaged or hostile: only regular files, only up to a
// size that fits their kind, and XML only as deep as its format needs.

#include <cstdint>
#include <string>
#include <string_view>

#include "vx/AtomicFile.h"

namespace vx {

// Whole content of the regular file at `utf8Path`. Throws vx::FileError "<description> <path> ..."
// when it does not exist, is not a regular file (a folder, a FIFO, a device: checked before it is
// opened, so nothing blocks), is larger than `maxBytes` (refused without reading) or cannot be read.
std::string readRegularFile(const std::string& utf8Path, std::uint64_t maxBytes,
                            const std::string& description);

// Depth of the deepest element of an XML text, counted without parsing it and so without the
// parser's recursion; stops counting beyond `limit` and then returns limit + 1.
int xmlNestingDepth(std::string_view text, int limit);

// Valid UTF-8 without control characters other than the tab: what a person could have typed as a
// name or a path. Overlong forms, surrogates and code points beyond U+10FFFF are no UTF-8.
bool isPlainText(std::string_view text);

}  // namespace vx
