#pragma once

#include <osg/Camera>
#include <osg/Geometry>
#include <osg/ref_ptr>
#include <osgViewer/View>

namespace viewertest {

// A flat square in the plane z = height, centred at the origin, facing up; optionally with a
// checker texture in unit 0 and with per-vertex colours.
osg::ref_ptr<osg::Geometry> makeQuad(double size, double height, bool textured, bool colored);

// A view whose camera looks straight down at the origin from `altitude`, with a viewport and a
// perspective projection, so that picking works without a window.
osg::ref_ptr<osgViewer::View> makeTopDownView(double altitude);

}  // namespace viewertest
