#include "ProjectXml.h"

#include <boost/property_tree/xml_parser.hpp>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace vx {
namespace detail {

namespace xml = boost::property_tree::xml_parser;

ptree readProjectTree(const fs::path& file) {
  const std::string name = "The project file " + utf8(file);
  std::error_code error;
  if (!fs::exists(file, error)) throw std::runtime_error(name + " does not exist.");
  if (!fs::is_regular_file(file, error)) throw std::runtime_error(name + " is not a file.");
  std::string text;
  try {
    text = readFile(file);
  } catch (const std::runtime_error&) {
    throw std::runtime_error(name + " cannot be read.");
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
  if (fs::exists(file, error)) {
    fs::path backup = file;
    backup += ".backup";
    writeFileAtomically(backup, readFile(file));
  }
  writeFileAtomically(file, out.str());
}

}  // namespace detail
}  // namespace vx
