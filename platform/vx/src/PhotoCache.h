#pragma once

// Decoded photos kept while they fit a memory budget, so that the photos of a large project pass
// through memory a few at a time.

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vx/Photo.h"

namespace vx {
namespace detail {

class PhotoCache {
 public:
  explicit PhotoCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

  // The decoded photo; the least recently used ones are dropped once the budget is exceeded. Throws
  // vx::FileError naming the file.
  std::shared_ptr<const Photo> get(const std::string& utf8Path);

 private:
  struct Entry {
    std::string path;
    std::shared_ptr<const Photo> photo;
  };
  std::size_t budget_;
  std::size_t used_ = 0;
  std::list<Entry> entries_;  // most recently used first
  std::mutex mutex_;          // the tiles of a run may ask from several threads
};

}  // namespace detail
}  // namespace vx
