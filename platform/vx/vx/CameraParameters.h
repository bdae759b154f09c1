#pragma once

#include <string>

#include "vx/ImageOrientation.h"

namespace vx {

class VEXAProject;

// Makes an orientation fit for drawing: the rotation is re-orthonormalised (rounding in files
// written by other programs would otherwise skew frustums and projections). False, with the
// orientation unchanged, when it cannot be drawn at all: a size or focal length that is not
// positive, a value that is not finite, or a rotation far from a proper one.
bool normalizeCameraParameters(ImageOrientation& orientation);

namespace utils {
namespace mesh {

// The product tile that holds (x, y): tiles of the project's tile size counted east (first number)
// and north (second number) from the south-west corner of the project area, named "<i>_<j>" as
// the mesh tiles "Tile_<i>_<j>". (x0, y0) is the tile's north-west corner, where its images start.
// Points outside the area get the name of the tile they would fall in; no such file exists.
void fileNameForPointInProjectArea(const VEXAProject& project, double x, double y, std::string& tileName,
                                   double& x0, double& y0);

}  // namespace mesh
}  // namespace utils
}  // namespace vx
