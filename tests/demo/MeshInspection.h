#pragma once

#include <vector>

#include <QString>

#include <osg/Geometry>
#include <osg/Matrixd>
#include <osg/Node>
#include <osg/PagedLOD>
#include <osg/Viewport>

// Helpers that look into written tiles the way the viewer's culling would.

std::vector<osg::ref_ptr<osg::PagedLOD>> pagedLodsIn(osg::Node& node);
std::vector<osg::ref_ptr<osg::Geometry>> geometriesIn(osg::Node& node);

struct LodView {
  osg::Matrixd view;
  osg::Matrixd projection;
  osg::ref_ptr<osg::Viewport> viewport;
};

// A 1280 x 720 view with a 40 degree vertical field of view looking from `eye` to `centre`.
LodView lookAt(const osg::Vec3d& eye, const osg::Vec3d& centre);

// The deepest level of detail (number of level files descended below the tile root) that a
// cull with `view` selects once every file it asks for is loaded. Files are read from `tileFolder`;
// a file that does not load counts as -1000.
int deepestSelectedLevel(osg::Node& tileRoot, const QString& tileFolder, const LodView& view);
