#include "ProjectXml.h"

#include <boost/property_tree/xml_parser.hpp>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "vx/AtomicFile.h"
#include "vx/SafeRead.h"

namespace vx {
namespace detail {

namespace xml = boost::property_tree::xml_parser;

namespace {
const std::string kDescription = "The project file";

std::string readProjectText(const fs::path& file) {
  return readRegularFile(utf8(file), kMaxProjectFileBytes, kDescription);
}
}  // namespace

ptree readProjectTree(const fs::path& file) {
  const std::string name = kDescription + " " + utf8(file);
  const std::string text = readProjectText(file);
  // The parser recurses once per level; a deep file would overflow the stack.
  if (xmlNestingDepth(text, kMaxProjectFileDepth) > kMaxProjectFileDepth) {
    throw std::runtime_error(name + " is nested deeper than " + std::to_string(kMaxProjectFileDepth) +
                             " levels; it is not a project file.");
  }
  ptree document;
  std::istringstream in(text);
  try {
    // No whitespace trimming: names and paths keep their blanks; numbers are trimmed when parsed.
    xml::read_xml(in, document);
  } catch (const xml::xml_parser_error& e) {
    throw std::runtime_error(name + " is not valid XML: " + e.message() + " (line " +
                             std::to_string(e.line()) + ").");
  }
  auto root = document.get_child_optional(kProjectRootElement);
  if (!root) {
    throw std::runtime_error(name + " has no <" + std::string(kProjectRootElement) +
                             "> root element.");
  }
  return *root;
}

int projectFileVersion(const ptree& root, const fs::path& file) {
  auto version = parseInteger(root.get<std::string>("version", ""));
  if (!version || *version < 1 || *version > 1000000) {
    throw std::runtime_error("The project file " + utf8(file) + " has no valid <version> element.");
  }
  return static_cast<int>(*version);
}

void writeProjectTree(const fs::path& file, const ptree& root) {
  ptree document;
  document.add_child(kProjectRootElement, root);
  std::ostringstream out;
  xml::write_xml(out, document, xml::xml_writer_make_settings<std::string>(' ', 2));
  std::error_code error;
  fs::path backup = file;
  backup += ".backup";
  const bool hadBackup = fs::exists(backup, error);
  if (fs::exists(file, error)) vx::writeFileAtomically(utf8(backup), readProjectText(file));
  try {
    vx::writeFileAtomically(utf8(file), out.str());
  } catch (const FileError&) {
    // A backup made just now would be the only trace of the failed save; an older one now holds
    // the unchanged file, which is as good.
    if (!hadBackup) fs::remove(backup, error);
    throw;
  }
}

}  // namespace detail
}  // namespace vx
