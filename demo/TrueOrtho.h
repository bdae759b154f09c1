#pragma once

#include <filesystem>
#include <string>

#include <osg/Image>
#include <osg/Vec3d>

namespace demo {

// "True_Ortho_<x>_<y>.tif": the true ortho of mesh tile (x, y), named with the tile name "<x>_<y>" that
// locates a point of the project area: x = floor((X - areaMinX) / s), y = floor((Y - areaMinY) / s).
std::string trueOrthoFileName(int x, int y);

// Writes a tile's painted texture (RGB, row 0 at the southern edge, `side` metres square) as a
// north-up GeoTIFF: row 0 the northern edge, top-left corner (southWest.x, southWest.y + side),
// pixel size side / pixels, the coordinate system `wkt`. Throws std::runtime_error naming the file.
void writeTrueOrtho(const osg::Image& texture, const osg::Vec3d& southWest, double side, const std::string& wkt,
                    const std::filesystem::path& file);

}  // namespace demo
