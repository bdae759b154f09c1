#pragma once

#include <osg/Camera>
#include <osg/Node>
#include <osg/Vec3d>

// Picks along the view ray through a screen position given in normalized device coordinates.
// Only nodes whose mask has the pick bit (kPickTraversalMask) are hit.
namespace qvx {
namespace viewer {

// World point of the nearest hit, or (NaN, NaN, NaN) when nothing is hit.
osg::Vec3d pickWorldPoint(osg::Camera* camera, double x, double y);

// Node path of the nearest hit, from the camera down to the geode of the hit drawable; empty
// when nothing is hit.
osg::NodePath pickNodePath(osg::Camera* camera, double x, double y);

}  // namespace viewer
}  // namespace qvx
