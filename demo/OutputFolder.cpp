#include "demo/OutputFolder.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace demo {

std::filesystem::path fromUtf8(const std::string& path) { return std::filesystem::u8path(path); }

std::string toUtf8(const std::filesystem::path& path) { return path.u8string(); }

void prepareEmptyFolder(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  if (folder.empty()) throw std::runtime_error("No output folder given.");
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (fs::exists(status)) {
    if (!fs::is_directory(status))
      throw std::runtime_error("The output path exists and is not a folder: " + toUtf8(folder));
    if (!fs::is_empty(folder, error) || error)
      throw std::runtime_error("The output folder is not empty: " + toUtf8(folder) +
                               "\nChoose a new or empty folder; nothing was written.");
    return;
  }
  fs::create_directories(folder, error);
  if (error) throw std::runtime_error("Could not create the output folder " + toUtf8(folder) + ": " + error.message());
}

void writeTextFile(const std::filesystem::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("Could not write " + toUtf8(file));
}

}  // namespace demo
