#pragma once

#include <osg/Image>
#include <osg/ref_ptr>

#include "demo/TerrainModel.h"

namespace demo {

struct Rgb {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
};

// Albedo of the demo landscape seen from above (no cast shadows): fields with furrows, roads with
// markings, roofs with ridges, tree crowns, gardens. Coordinates as in TerrainModel.
class TexturePainter {
 public:
  explicit TexturePainter(const TerrainModel& terrain);

  Rgb colour(double x, double y) const;

  // An RGB image of the square [x0, x0 + side] x [y0, y0 + side], `pixels` wide and high, one
  // sample at each pixel centre. Row 0 is the southern edge (texture t = 0).
  osg::ref_ptr<osg::Image> paint(double x0, double y0, double side, int pixels) const;

 private:
  // `grain` is the fine noise at the point, shared by the surfaces.
  Rgb roofColour(const BuildingHit& hit, double grain) const;
  Rgb roadColour(const RoadHit& hit, double x, double y) const;
  Rgb fieldColour(const FieldHit& field, double x, double y, double grain) const;
  Rgb gardenColour(double x, double y, double grain) const;
  Rgb treeColour(const TreeHit& hit, double x, double y) const;

  const TerrainModel& terrain_;
};

}  // namespace demo
