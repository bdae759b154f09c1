#pragma once

#include <filesystem>
#include <functional>
#include <vector>

#include "demo/PhotoRenderer.h"
#include "vx/ImageOrientation.h"

namespace demo {

// Writes `photo` as a JPEG of quality 95, its row 0 at the top. Throws std::runtime_error naming the file.
void writeJpeg(const Photo& photo, const std::filesystem::path& file);

using PhotoProgress = std::function<void(int photosDone, int photoCount)>;

// Renders the photo of every camera and writes it as `folder`/<image name>, on all cores. Progress is
// reported on the calling thread; an exception thrown by it stops the other threads and propagates,
// as does the first failed write.
void writePhotos(const PhotoRenderer& renderer, const std::vector<vx::ImageOrientation>& cameras,
                 const std::filesystem::path& folder, const PhotoProgress& progress);

}  // namespace demo
