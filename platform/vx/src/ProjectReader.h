#pragma once

// Typed reading of the optional elements of Project.vpr; every error names the file and the element.

#include <array>
#include <string>

#include "ProjectXml.h"

namespace vx {
namespace detail {

class ProjectReader {
 public:
  ProjectReader(const ptree& root, const fs::path& file) : root_(root), file_(file) {}

  const ptree& root() const { return root_; }
  std::string text(const ptree& node, const std::string& key, const std::string& fallback = {}) const;
  // "none" reads as NaN.
  double number(const ptree& node, const std::string& key, double fallback) const;
  int integer(const ptree& node, const std::string& key, int fallback) const;
  bool flag(const ptree& node, const std::string& key, bool fallback) const;
  // Three blank-separated values; `fallback` when the element is absent.
  std::array<double, 3> point(const ptree& node, const std::string& key, const std::array<double, 3>& fallback) const;
  std::array<bool, 3> flags3(const ptree& node, const std::string& key, const std::array<bool, 3>& fallback) const;

  [[noreturn]] void fail(const std::string& problem) const;

 private:
  const ptree& root_;
  const fs::path& file_;
};

}  // namespace detail
}  // namespace vx
