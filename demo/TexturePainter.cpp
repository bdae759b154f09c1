#include "demo/TexturePainter.h"

#include <algorithm>
#include <cmath>

#include "demo/Noise.h"

namespace demo {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Apart from the terrain's salts and from each other, with room for the offsets used below.
enum Salt : std::uint64_t {
  kSaltGrain = 1000,
  kSaltPatches = 1100,
  kSaltLeaves = 1200,
  kSaltRoof = 1300,
  kSaltGarden = 1400,
  kSaltAsphalt = 1500,
};

Rgb rgb(double r, double g, double b) { return {r, g, b}; }

Rgb scaled(const Rgb& c, double f) { return {c.r * f, c.g * f, c.b * f}; }

Rgb mixed(const Rgb& a, const Rgb& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

unsigned char toByte(double v) { return static_cast<unsigned char>(std::lround(std::clamp(v, 0.0, 255.0))); }

}  // namespace

TexturePainter::TexturePainter(const TerrainModel& terrain) : terrain_(terrain) {}

Rgb TexturePainter::colour(double x, double y) const {
  BuildingHit building;
  const unsigned seed = terrain_.seed();
  const double grain = valueNoise(seed, kSaltGrain, x / 0.7, y / 0.7);
  if (terrain_.buildingAt(x, y, building)) return roofColour(building, grain);
  TreeHit tree;
  if (terrain_.treeAt(x, y, tree)) return treeColour(tree, x, y);

  RoadHit road;
  if (terrain_.roadAt(x, y, 1.2, road)) {
    if (std::abs(road.across) <= road.road->halfWidth) return roadColour(road, x, y);
    const Rgb gravel = scaled(rgb(150, 142, 124), 0.9 + 0.2 * grain);
    const double t = (std::abs(road.across) - road.road->halfWidth) / 1.2;
    return mixed(gravel, gardenColour(x, y, grain), t * t);
  }

  const double village = terrain_.villageWeight(x, y);
  const double yard = terrain_.distanceToBuilding(x, y, 3.0);
  if (yard < (village > 0.0 ? 2.0 : 3.0)) return scaled(rgb(160, 156, 146), 0.88 + 0.24 * grain);

  Rgb ground;
  if (village < 1.0) {
    if (terrain_.inForest(x, y)) {
      ground = scaled(rgb(58, 70, 40), 0.8 + 0.4 * grain);
    } else {
      ground = fieldColour(terrain_.fieldAt(x, y), x, y, grain);
    }
  }
  if (village > 0.0) ground = mixed(ground, gardenColour(x, y, grain), village);
  return ground;
}

Rgb TexturePainter::roofColour(const BuildingHit& hit, double grain) const {
  static const Rgb styles[] = {rgb(168, 82, 58), rgb(80, 82, 90),    rgb(120, 86, 64),
                               rgb(144, 68, 52), rgb(170, 168, 161), rgb(94, 94, 100)};
  const Building& b = *hit.building;
  const unsigned seed = terrain_.seed();
  Rgb c = scaled(styles[b.roofStyle], 0.9 + 0.2 * hashUnit(seed, kSaltRoof, b.id));
  const double au = std::abs(hit.u);
  const double av = std::abs(hit.v);
  if (b.gable) {
    // Two roof faces of slightly different albedo, rows of tiles, a ridge and eaves.
    c = scaled(c, hit.v > 0 ? 1.06 : 0.9);
    c = scaled(c, 0.95 + 0.06 * std::sin(2.0 * kPi * av / 1.4) + 0.06 * (grain - 0.5));
    if (av < 0.35) c = scaled(c, 0.72);
    if (au > b.halfLength - 0.3 || av > b.halfWidth - 0.3) c = scaled(c, 0.78);
    // A chimney and a skylight on one face.
    const double cu = (hashUnit(seed, kSaltRoof + 1, b.id) - 0.5) * b.halfLength;
    const double cv = 0.35 * b.halfWidth;
    if (std::abs(hit.u - cu) < 0.5 && std::abs(hit.v - cv) < 0.5) return rgb(96, 62, 52);
    const double su = (hashUnit(seed, kSaltRoof + 2, b.id) - 0.5) * b.halfLength;
    if (b.halfLength > 5.5 && std::abs(hit.u - su) < 0.6 && std::abs(hit.v + 0.5 * b.halfWidth) < 0.8)
      return rgb(70, 84, 104);
    return c;
  }
  // Flat roof: gravel or membrane, a light parapet and a few service boxes.
  c = scaled(c, 0.88 + 0.24 * grain);
  if (au > b.halfLength - 0.5 || av > b.halfWidth - 0.5) return scaled(rgb(205, 204, 198), 0.95 + 0.1 * grain);
  const int boxes = 1 + static_cast<int>(3 * hashUnit(seed, kSaltRoof + 3, b.id));
  for (int k = 0; k < boxes; ++k) {
    const double bu = (hashUnit(seed, kSaltRoof + 4, b.id, k) - 0.5) * (b.halfLength - 2.0) * 2.0;
    const double bv = (hashUnit(seed, kSaltRoof + 5, b.id, k) - 0.5) * (b.halfWidth - 2.0) * 2.0;
    const double du = std::abs(hit.u - bu);
    const double dv = std::abs(hit.v - bv);
    if (du < 1.0 && dv < 0.7) return (du > 0.8 || dv > 0.5) ? rgb(120, 120, 118) : rgb(196, 198, 200);
  }
  return c;
}

Rgb TexturePainter::roadColour(const RoadHit& hit, double x, double y) const {
  const unsigned seed = terrain_.seed();
  const double grain = valueNoise(seed, kSaltAsphalt, x / 0.5, y / 0.5);
  const double patch = valueNoise(seed, kSaltAsphalt + 1, x / 9.0, y / 9.0);
  const double a = std::abs(hit.across);
  const double w = hit.road->halfWidth;
  if (a > w - 0.45 && a < w - 0.2) return rgb(222, 222, 216);
  if (a < 0.2 && std::fmod(std::abs(hit.along), 9.0) < 3.0) return rgb(228, 228, 220);
  return scaled(rgb(84, 86, 90), 0.86 + 0.14 * grain + 0.12 * patch);
}

Rgb TexturePainter::fieldColour(const FieldHit& field, double x, double y, double grain) const {
  const unsigned seed = terrain_.seed();
  const double patches = valueNoise(seed, kSaltPatches, x / 14.0, y / 14.0);
  if (field.border < 1.6) {
    const Rgb margin = scaled(rgb(112, 128, 72), 0.85 + 0.3 * grain);
    return field.border < 0.7 ? scaled(rgb(138, 126, 96), 0.85 + 0.3 * grain) : margin;
  }
  Rgb c;
  double furrows = 0.2;
  switch (field.crop) {
    case Crop::Meadow: c = rgb(102, 140, 62); furrows = 0.05; break;
    case Crop::Wheat: c = rgb(196, 172, 102); break;
    case Crop::Barley: c = rgb(214, 198, 136); break;
    case Crop::GreenCrop: c = rgb(88, 132, 52); break;
    case Crop::Ploughed: c = rgb(124, 98, 72); furrows = 0.3; break;
    case Crop::Rapeseed: c = rgb(222, 204, 70); furrows = 0.1; break;
    case Crop::Maize: c = rgb(92, 124, 48); furrows = 0.25; break;
  }
  const double shift = 0.94 + 0.12 * static_cast<double>(field.id % 1000) / 1000.0;
  const double s = x * field.furrowX + y * field.furrowY;
  const double rows = 0.5 + 0.5 * std::sin(2.0 * kPi * s / 2.5);
  double f = shift * (1.0 - furrows / 2 + furrows * rows) * (0.92 + 0.16 * patches) * (0.95 + 0.1 * grain);
  // Tramlines of the tractor every 18 m.
  const double tram = std::fmod(std::abs(s), 18.0);
  if (field.crop != Crop::Meadow && (tram < 0.45 || (tram > 1.8 && tram < 2.25))) f *= 0.8;
  return scaled(c, f);
}

Rgb TexturePainter::gardenColour(double x, double y, double grain) const {
  const unsigned seed = terrain_.seed();
  const double beds = valueNoise(seed, kSaltGarden, x / 6.0, y / 6.0);
  const double lawn = valueNoise(seed, kSaltGarden + 1, x / 20.0, y / 20.0);
  if (beds > 0.78) return scaled(rgb(112, 94, 70), 0.85 + 0.3 * grain);
  return scaled(mixed(rgb(88, 136, 58), rgb(120, 150, 74), lawn), 0.9 + 0.2 * grain);
}

Rgb TexturePainter::treeColour(const TreeHit& hit, double x, double y) const {
  const unsigned seed = terrain_.seed();
  const double leaves = valueNoise(seed, kSaltLeaves, x / 0.6, y / 0.6);
  const double tint = hashUnit(seed, kSaltLeaves + 1, static_cast<std::int64_t>(hit.id));
  const Rgb base = mixed(rgb(40, 74, 32), rgb(66, 98, 40), tint);
  return scaled(base, (1.12 - 0.45 * hit.distance * hit.distance) * (0.82 + 0.36 * leaves));
}

osg::ref_ptr<osg::Image> TexturePainter::paint(double x0, double y0, double side, int pixels) const {
  osg::ref_ptr<osg::Image> image = new osg::Image;
  image->allocateImage(pixels, pixels, 1, GL_RGB, GL_UNSIGNED_BYTE);
  image->setInternalTextureFormat(GL_RGB);
  const double texel = side / pixels;
  for (int row = 0; row < pixels; ++row) {
    unsigned char* out = image->data(0, row);
    const double y = y0 + (row + 0.5) * texel;
    for (int column = 0; column < pixels; ++column) {
      const Rgb c = colour(x0 + (column + 0.5) * texel, y);
      *out++ = toByte(c.r);
      *out++ = toByte(c.g);
      *out++ = toByte(c.b);
    }
  }
  return image;
}

}  // namespace demo
