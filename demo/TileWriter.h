#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <osg/Node>
#include <osg/Vec3>
#include <osg/Vec3d>

#include "demo/TileMeshBuilder.h"

namespace demo {

// Writes an .osgb file with its textures embedded. Throws std::runtime_error naming the file.
void writeOsgb(const osg::Node& node, const std::filesystem::path& file);

// Writes the tile root and its level files into `tileFolder` (created when absent).
void writeTile(const TileNodes& tile, const std::filesystem::path& tileFolder);

// Bounds of one tile for the mesh index, in world coordinates.
struct TileBounds {
  int x = 0;
  int y = 0;
  osg::Vec3d min;
  osg::Vec3d max;
};

// The mesh index "Mesh.osgb": a group of PagedLODs, one per tile, each referring to
// "Tile_<x>_<y>/Tile_<x>_<y>.osgb" with the range 0 to the largest float and a centre and radius
// from the tile's bounds, so the tiles can be culled before they are loaded.
osg::ref_ptr<osg::Group> meshIndex(const std::vector<TileBounds>& tiles);

}  // namespace demo
