#pragma once

#include <string>
#include <vector>

namespace vx {

// Stereo topology: a symmetric n x n matrix; entry (i, j) > 0 means images i and j form a stereo
// pair. Stored as a single-band 8-bit TIFF ("Topology.tif").
class StereoModels {
 public:
  StereoModels() = default;
  explicit StereoModels(int imageCount);

  // Reads a topology image (absolute path, UTF-8). Returns false and leaves the topology empty when
  // the file is missing, unreadable or not square.
  bool loadTopology(const std::string& path);
  // Atomic write. Throws std::runtime_error.
  void saveTopology(const std::string& path) const;

  int imageCount() const { return count_; }
  void setPair(int i, int j, bool paired = true);
  bool isPair(int i, int j) const;
  std::vector<int> partners(int i) const;

 private:
  int count_ = 0;
  std::vector<unsigned char> matrix_;
};

}  // namespace vx
