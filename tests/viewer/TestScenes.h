#pragma once

#include <osg/Group>
#include <osg/ref_ptr>
#include <osgViewer/View>

namespace viewertest {

// A square of side `size` in the plane z = `height` under a Group and a Geode, facing up;
// optionally with a checker texture in unit 0 and per-vertex colours.
osg::ref_ptr<osg::Group> makeQuadScene(double size, double height, bool textured = false, bool colored = false);

// A view looking straight down at the origin from `altitude`, with viewport and perspective
// projection, so that picking works without a window.
osg::ref_ptr<osgViewer::View> makeTopDownView(double altitude = 100.0);

}  // namespace viewertest
