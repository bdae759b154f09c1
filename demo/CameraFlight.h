#pragma once

#include <string>
#include <vector>

#include "demo/TerrainModel.h"
#include "demo/TileLayout.h"
#include "vx/ImageOrientation.h"
#include "vx/StereoModels.h"

namespace demo {

struct FlightCamera {
  vx::ImageOrientation orientation;  // world coordinates
  int strip = 0;
  int position = 0;       // index along the strip, in flight order
  double alongTrack = 0;  // x of the exposure in area coordinates
  bool nadir = true;
};

// The camera of the demo flight: 1600 x 1200 pixels, principal point in the centre.
constexpr int kImageWidth = 1600;
constexpr int kImageHeight = 1200;
constexpr double kFocalLength = 1700.0;

// A serpentine photo flight over the area: east-west strips flown alternately east and west,
// exposures evenly spaced along each strip, every second one oblique (tilted towards the area's
// centre, at most 40 degrees), the others nadir with the image top in the flight direction.
// Flying height gives at least 65 % forward and 30 % side overlap of the nadir images.
// Images are named "IMG_0001.jpg" ... in flight order.
// Height of the flight above the mean ground. Throws std::runtime_error for fewer than one image.
double flyingHeight(const MeshLayout& layout, int imageCount);

std::vector<FlightCamera> planFlight(const TerrainModel& terrain, const MeshLayout& layout, int imageCount);

// Pairs neighbouring exposures of one strip and exposures of adjacent strips that lie close along the track.
vx::StereoModels stereoTopology(const std::vector<FlightCamera>& cameras, const MeshLayout& layout);

}  // namespace demo
