#pragma once

#include <cstdint>
#include <filesystem>

#include "demo/DemoProject.h"

namespace demo {

// Bytes a demo project of these options takes on disk, rounded up: both meshes (raw RGB textures,
// float vertices, normals and texture coordinates, 32-bit indices), the true orthos (raw RGB), the
// camera flight with its JPEG photos and the small project files.
std::uintmax_t estimateProjectBytes(const DemoOptions& options);

// Throws std::runtime_error when `needed` bytes exceed `available` ones in `folder`.
void requireFreeSpace(std::uintmax_t needed, std::uintmax_t available, const std::filesystem::path& folder);

// The same for the volume that holds `target` (its nearest existing ancestor).
void requireFreeSpaceFor(const std::filesystem::path& target, std::uintmax_t needed);

}  // namespace demo
