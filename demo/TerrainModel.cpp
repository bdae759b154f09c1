#include "demo/TerrainModel.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "demo/Noise.h"

namespace demo {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Salts of the independent random quantities.
enum Salt : std::uint64_t {
  kSaltRoads = 1,
  kSaltVillages,
  kSaltBuildings,
  kSaltFarms,
  kSaltTrees,
  kSaltHills = 100,
  kSaltHillDetail = 200,
  kSaltForest = 300,
  kSaltFields = 400,
  kSaltVillageEdge = 500,
};

constexpr double kFieldCell = 80.0;

struct Corner {
  double x;
  double y;
};

std::array<Corner, 4> corners(const Building& b, double grow) {
  const double l = b.halfLength + grow;
  const double w = b.halfWidth + grow;
  std::array<Corner, 4> c{};
  const double su[4] = {-1, 1, 1, -1};
  const double sv[4] = {-1, -1, 1, 1};
  for (int k = 0; k < 4; ++k) {
    c[k].x = b.cx + su[k] * l * b.cosA - sv[k] * w * b.sinA;
    c[k].y = b.cy + su[k] * l * b.sinA + sv[k] * w * b.cosA;
  }
  return c;
}

// Separating-axis test of two oriented rectangles, each grown by `margin`.
bool overlaps(const Building& a, const Building& b, double margin) {
  const double dx = b.cx - a.cx;
  const double dy = b.cy - a.cy;
  const double axes[4][2] = {{a.cosA, a.sinA}, {-a.sinA, a.cosA}, {b.cosA, b.sinA}, {-b.sinA, b.cosA}};
  for (const auto& axis : axes) {
    const double ax = axis[0];
    const double ay = axis[1];
    const double ra = (a.halfLength + margin) * std::abs(a.cosA * ax + a.sinA * ay) +
                      (a.halfWidth + margin) * std::abs(-a.sinA * ax + a.cosA * ay);
    const double rb = (b.halfLength + margin) * std::abs(b.cosA * ax + b.sinA * ay) +
                      (b.halfWidth + margin) * std::abs(-b.sinA * ax + b.cosA * ay);
    if (std::abs(dx * ax + dy * ay) > ra + rb) return false;
  }
  return true;
}

}  // namespace

double Road::centre(double along) const { return offset + amplitude * std::sin(wavenumber * along + phase); }

double Road::slope(double along) const { return amplitude * wavenumber * std::cos(wavenumber * along + phase); }

void Road::locate(double x, double y, double& across, double& alongOut) const {
  alongOut = northSouth ? y : x;
  const double position = northSouth ? x : y;
  const double s = slope(alongOut);
  across = (position - centre(alongOut)) / std::sqrt(1.0 + s * s);
}

void Building::toLocal(double x, double y, double& u, double& v) const {
  const double dx = x - cx;
  const double dy = y - cy;
  u = dx * cosA + dy * sinA;
  v = -dx * sinA + dy * cosA;
}

double Building::roofHeight(double v) const {
  if (!gable) return eaveZ;
  return eaveZ + (ridgeZ - eaveZ) * (1.0 - std::min(1.0, std::abs(v) / halfWidth));
}

TerrainModel::TerrainModel(unsigned seed, double extent) : seed_(seed), extent_(extent) {
  buildingGridSide_ = std::max(1, static_cast<int>(std::ceil(extent_ / buildingCell_)));
  buildingGrid_.assign(static_cast<size_t>(buildingGridSide_) * buildingGridSide_, {});
  planFields();
  planRoads();
  planVillages();
  planBuildings();
  planTrees();
}

double TerrainModel::hills(double x, double y) const {
  return 260.0 + 45.0 * fractalNoise(seed_, kSaltHills, x / 600.0, y / 600.0, 3) +
         5.0 * valueNoise(seed_, kSaltHillDetail, x / 90.0, y / 90.0);
}

double TerrainModel::groundHeight(double x, double y) const { return hills(x, y); }

double TerrainModel::surfaceHeight(double x, double y) const {
  const double ground = groundHeight(x, y);
  double z = ground;
  BuildingHit building;
  if (buildingAt(x, y, building)) z = std::max(z, building.building->roofHeight(building.v));
  TreeHit tree;
  if (treeAt(x, y, tree)) z = std::max(z, ground + tree.height);
  return z;
}

void TerrainModel::planRoads() {
  Rng rng(seed_, kSaltRoads);
  const int perDirection = std::max(1, static_cast<int>(std::lround(extent_ / 220.0)));
  const double spacing = extent_ / perDirection;
  for (int direction = 0; direction < 2; ++direction) {
    for (int i = 0; i < perDirection; ++i) {
      Road road;
      road.northSouth = direction == 0;
      road.offset = (i + 0.5) * spacing + rng.uniform(-0.15, 0.15) * spacing;
      road.amplitude = rng.uniform(0.0, std::min(12.0, 0.06 * spacing));
      road.wavenumber = 2.0 * kPi / rng.uniform(300.0, 700.0);
      road.phase = rng.uniform(0.0, 2.0 * kPi);
      road.halfWidth = rng.uniform(3.0, 3.75);
      roads_.push_back(road);
    }
  }
}

void TerrainModel::planVillages() {
  Rng rng(seed_, kSaltVillages);
  const int perDirection = static_cast<int>(roads_.size() / 2);
  const double spacing = extent_ / perDirection;
  struct Candidate {
    double x, y;
    bool chosen;
  };
  std::vector<Candidate> candidates;
  for (int i = 0; i < perDirection; ++i) {
    for (int j = 0; j < perDirection; ++j) {
      const Road& ns = roads_[static_cast<size_t>(i)];
      const Road& ew = roads_[static_cast<size_t>(perDirection + j)];
      double x = ns.offset;
      double y = ew.offset;
      for (int k = 0; k < 4; ++k) {
        y = ew.centre(x);
        x = ns.centre(y);
      }
      candidates.push_back({x, y, rng.chance(0.55)});
    }
  }
  const bool any = std::any_of(candidates.begin(), candidates.end(), [](const Candidate& c) { return c.chosen; });
  if (!any) {
    // Every landscape gets at least the village nearest its centre.
    auto nearest = std::min_element(candidates.begin(), candidates.end(), [&](const Candidate& a, const Candidate& b) {
      return std::hypot(a.x - extent_ / 2, a.y - extent_ / 2) < std::hypot(b.x - extent_ / 2, b.y - extent_ / 2);
    });
    nearest->chosen = true;
  }
  for (const Candidate& c : candidates) {
    const double radius = std::min(rng.uniform(45.0, 85.0), 0.4 * spacing);
    if (c.chosen) villages_.push_back({c.x, c.y, radius});
  }
}

bool TerrainModel::tryAddBuilding(Building b) {
  for (const Corner& c : corners(b, 0.0)) {
    if (c.x < 2.0 || c.y < 2.0 || c.x > extent_ - 2.0 || c.y > extent_ - 2.0) return false;
  }
  const auto outline = corners(b, 1.5);
  for (const Road& road : roads_) {
    int side = 0;
    for (const Corner& c : outline) {
      double across = 0.0;
      double along = 0.0;
      road.locate(c.x, c.y, across, along);
      if (std::abs(across) < road.halfWidth) return false;
      const int s = across > 0 ? 1 : -1;
      if (side != 0 && s != side) return false;
      side = s;
    }
  }
  const double reach = std::hypot(b.halfLength, b.halfWidth) + 2.0;
  const int i0 = std::max(0, static_cast<int>((b.cx - reach) / buildingCell_));
  const int i1 = std::min(buildingGridSide_ - 1, static_cast<int>((b.cx + reach) / buildingCell_));
  const int j0 = std::max(0, static_cast<int>((b.cy - reach) / buildingCell_));
  const int j1 = std::min(buildingGridSide_ - 1, static_cast<int>((b.cy + reach) / buildingCell_));
  for (int j = j0; j <= j1; ++j) {
    for (int i = i0; i <= i1; ++i) {
      for (int other : buildingGrid_[static_cast<size_t>(j) * buildingGridSide_ + i]) {
        if (overlaps(b, buildings_[static_cast<size_t>(other)], 1.5)) return false;
      }
    }
  }
  // Walls stand on the lowest ground under the footprint; roofs are measured from the highest.
  double low = groundHeight(b.cx, b.cy);
  double high = low;
  for (const Corner& c : corners(b, 0.0)) {
    const double g = groundHeight(c.x, c.y);
    low = std::min(low, g);
    high = std::max(high, g);
  }
  const double wall = b.eaveZ;
  const double rise = b.ridgeZ;
  b.baseZ = low - 0.3;
  b.eaveZ = high + wall;
  b.ridgeZ = b.eaveZ + (b.gable ? rise : 0.0);
  b.id = static_cast<std::uint32_t>(buildings_.size() + 1);
  buildings_.push_back(b);
  indexBuilding(static_cast<int>(buildings_.size() - 1));
  return true;
}

void TerrainModel::indexBuilding(int index) {
  const Building& b = buildings_[static_cast<size_t>(index)];
  const double reach = std::hypot(b.halfLength, b.halfWidth);
  const int i0 = std::max(0, static_cast<int>((b.cx - reach) / buildingCell_));
  const int i1 = std::min(buildingGridSide_ - 1, static_cast<int>((b.cx + reach) / buildingCell_));
  const int j0 = std::max(0, static_cast<int>((b.cy - reach) / buildingCell_));
  const int j1 = std::min(buildingGridSide_ - 1, static_cast<int>((b.cy + reach) / buildingCell_));
  for (int j = j0; j <= j1; ++j) {
    for (int i = i0; i <= i1; ++i) buildingGrid_[static_cast<size_t>(j) * buildingGridSide_ + i].push_back(index);
  }
}

void TerrainModel::planBuildings() {
  Rng rng(seed_, kSaltBuildings);
  const size_t perDirection = roads_.size() / 2;
  for (const Village& village : villages_) {
    // The two roads that cross at the village.
    const Road* crossing[2] = {nullptr, nullptr};
    double best[2] = {1e300, 1e300};
    for (size_t r = 0; r < roads_.size(); ++r) {
      double across = 0.0;
      double along = 0.0;
      roads_[r].locate(village.x, village.y, across, along);
      const int k = r < perDirection ? 0 : 1;
      if (std::abs(across) < best[k]) {
        best[k] = std::abs(across);
        crossing[k] = &roads_[r];
      }
    }
    for (int k = 0; k < 2; ++k) {
      const Road& road = *crossing[k];
      const Road& other = *crossing[1 - k];
      const double start = road.northSouth ? village.y : village.x;
      for (int direction = -1; direction <= 1; direction += 2) {
        for (int side = -1; side <= 1; side += 2) {
          double s = other.halfWidth + 6.0;
          while (s < village.radius) {
            const double lot = rng.uniform(14.0, 21.0);
            const double along = start + direction * (s + lot / 2);
            s += lot;
            const double c = road.centre(along);
            const double slope = road.slope(along);
            const double norm = std::sqrt(1.0 + slope * slope);
            // Tangent and the normal pointing to the road's positive side.
            const double tx = road.northSouth ? slope / norm : 1.0 / norm;
            const double ty = road.northSouth ? 1.0 / norm : slope / norm;
            const double nx = road.northSouth ? 1.0 / norm : -slope / norm;
            const double ny = road.northSouth ? -slope / norm : 1.0 / norm;
            const double px = road.northSouth ? c : along;
            const double py = road.northSouth ? along : c;
            const bool skip = rng.chance(0.15);
            Building house;
            house.cosA = tx;
            house.sinA = ty;
            house.halfLength = rng.uniform(4.5, std::max(4.6, std::min(8.0, lot / 2 - 1.5)));
            house.halfWidth = rng.uniform(4.0, 6.0);
            house.gable = rng.chance(0.8);
            house.roofStyle = house.gable ? rng.index(4) : 4 + rng.index(2);
            house.eaveZ = 2.8 * (1 + rng.index(2)) + 0.6;
            house.ridgeZ = house.halfWidth * std::tan(rng.uniform(30.0, 42.0) * kPi / 180.0);
            const double setback = road.halfWidth + rng.uniform(3.0, 7.0) + house.halfWidth;
            house.cx = px + side * setback * nx;
            house.cy = py + side * setback * ny;
            const bool barn = rng.chance(0.2);
            Building shed;
            shed.cosA = tx;
            shed.sinA = ty;
            shed.halfLength = rng.uniform(8.0, 14.0);
            shed.halfWidth = rng.uniform(5.0, 8.0);
            shed.gable = rng.chance(0.5);
            shed.roofStyle = shed.gable ? 1 + 2 * rng.index(2) : 4 + rng.index(2);
            shed.eaveZ = rng.uniform(5.0, 7.5);
            shed.ridgeZ = shed.halfWidth * std::tan(rng.uniform(18.0, 25.0) * kPi / 180.0);
            const double backSetback = setback + house.halfWidth + 5.0 + shed.halfWidth;
            shed.cx = px + side * backSetback * nx;
            shed.cy = py + side * backSetback * ny;
            if (!skip) tryAddBuilding(house);
            if (barn) tryAddBuilding(shed);
          }
        }
      }
    }
  }
  // Farmsteads out in the fields.
  Rng farms(seed_, kSaltFarms);
  const int farmCount = std::max(1, static_cast<int>(std::lround(extent_ * extent_ / (280.0 * 280.0))));
  for (int f = 0; f < farmCount; ++f) {
    for (int attempt = 0; attempt < 20; ++attempt) {
      const double x = farms.uniform(30.0, std::max(31.0, extent_ - 30.0));
      const double y = farms.uniform(30.0, std::max(31.0, extent_ - 30.0));
      const double angle = farms.uniform(0.0, kPi);
      const bool crowded = nearRoad(x, y, 12.0) || villageWeight(x, y) > 0.0 || inForest(x, y);
      if (crowded) continue;
      Building house;
      house.cosA = std::cos(angle);
      house.sinA = std::sin(angle);
      house.halfLength = farms.uniform(6.0, 9.0);
      house.halfWidth = farms.uniform(4.5, 6.0);
      house.gable = true;
      house.roofStyle = farms.index(4);
      house.eaveZ = 6.2;
      house.ridgeZ = house.halfWidth * std::tan(38.0 * kPi / 180.0);
      house.cx = x;
      house.cy = y;
      Building barn = house;
      barn.cosA = -house.sinA;
      barn.sinA = house.cosA;
      barn.halfLength = farms.uniform(10.0, 16.0);
      barn.halfWidth = farms.uniform(6.0, 9.0);
      barn.gable = farms.chance(0.6);
      barn.roofStyle = barn.gable ? 1 : 4 + farms.index(2);
      barn.eaveZ = 6.5;
      barn.ridgeZ = barn.halfWidth * std::tan(20.0 * kPi / 180.0);
      const double gap = house.halfWidth + 6.0 + barn.halfLength;
      barn.cx = x + gap * -house.sinA;
      barn.cy = y + gap * house.cosA;
      if (tryAddBuilding(house)) {
        tryAddBuilding(barn);
        break;
      }
    }
  }
}

void TerrainModel::planTrees() {
  treeGridSide_ = std::max(1, static_cast<int>(std::ceil(extent_ / treeCell_)));
  trees_.assign(static_cast<size_t>(treeGridSide_) * treeGridSide_, Tree{});
  for (int j = 0; j < treeGridSide_; ++j) {
    for (int i = 0; i < treeGridSide_; ++i) {
      const double x = (i + 0.15 + 0.7 * hashUnit(seed_, kSaltTrees, i, j)) * treeCell_;
      const double y = (j + 0.15 + 0.7 * hashUnit(seed_, kSaltTrees + 1, i, j)) * treeCell_;
      const double pick = hashUnit(seed_, kSaltTrees + 2, i, j);
      const double size = hashUnit(seed_, kSaltTrees + 3, i, j);
      const double tall = hashUnit(seed_, kSaltTrees + 4, i, j);
      double radius = 0.0;
      double height = 0.0;
      if (villageWeight(x, y) > 0.0) {
        if (pick < 0.04) {
          radius = 2.5 + 1.5 * size;
          height = 5.0 + 3.0 * tall;
        }
      } else if (inForest(x, y)) {
        if (pick < 0.92) {
          radius = 3.2 + 1.5 * size;
          height = 9.0 + 5.0 * tall;
        }
      } else if (fieldAt(x, y).border < 2.0) {
        if (pick < 0.5) {
          radius = 2.2 + 1.2 * size;
          height = 5.0 + 3.0 * tall;
        }
      } else if (pick < 0.003) {
        radius = 3.5 + 1.5 * size;
        height = 8.0 + 4.0 * tall;
      }
      if (radius <= 0.0) continue;
      if (x < radius || y < radius || x > extent_ - radius || y > extent_ - radius) continue;
      if (nearRoad(x, y, radius + 1.0)) continue;
      if (distanceToBuilding(x, y, radius + 2.0) < radius + 2.0) continue;
      Tree& t = trees_[static_cast<size_t>(j) * treeGridSide_ + i];
      t.x = static_cast<float>(x);
      t.y = static_cast<float>(y);
      t.radius = static_cast<float>(radius);
      t.height = static_cast<float>(height);
    }
  }
}

int TerrainModel::treeCount() const {
  return static_cast<int>(std::count_if(trees_.begin(), trees_.end(), [](const Tree& t) { return t.radius > 0.0f; }));
}

bool TerrainModel::nearRoad(double x, double y, double clearance) const {
  RoadHit hit;
  return roadAt(x, y, clearance, hit);
}

bool TerrainModel::roadAt(double x, double y, double margin, RoadHit& hit) const {
  bool found = false;
  double best = 0.0;
  for (const Road& road : roads_) {
    // Cheap rejection: the meander keeps the centre line within `amplitude` of `offset`.
    const double position = road.northSouth ? x : y;
    const double maxSlope = road.amplitude * road.wavenumber;
    if ((std::abs(position - road.offset) - road.amplitude) / std::sqrt(1.0 + maxSlope * maxSlope) - road.halfWidth >= margin)
      continue;
    double across = 0.0;
    double along = 0.0;
    road.locate(x, y, across, along);
    const double excess = std::abs(across) - road.halfWidth;
    if (excess < margin && (!found || excess < best)) {
      found = true;
      best = excess;
      hit.road = &road;
      hit.across = across;
      hit.along = along;
    }
  }
  return found;
}

bool TerrainModel::buildingAt(double x, double y, BuildingHit& hit) const {
  const int i = static_cast<int>(std::floor(x / buildingCell_));
  const int j = static_cast<int>(std::floor(y / buildingCell_));
  if (i < 0 || j < 0 || i >= buildingGridSide_ || j >= buildingGridSide_) return false;
  for (int index : buildingGrid_[static_cast<size_t>(j) * buildingGridSide_ + i]) {
    const Building& b = buildings_[static_cast<size_t>(index)];
    double u = 0.0;
    double v = 0.0;
    b.toLocal(x, y, u, v);
    if (std::abs(u) <= b.halfLength && std::abs(v) <= b.halfWidth) {
      hit.building = &b;
      hit.u = u;
      hit.v = v;
      return true;
    }
  }
  return false;
}

double TerrainModel::distanceToBuilding(double x, double y, double limit) const {
  double best = limit;
  const int i0 = std::max(0, static_cast<int>(std::floor((x - limit) / buildingCell_)));
  const int i1 = std::min(buildingGridSide_ - 1, static_cast<int>(std::floor((x + limit) / buildingCell_)));
  const int j0 = std::max(0, static_cast<int>(std::floor((y - limit) / buildingCell_)));
  const int j1 = std::min(buildingGridSide_ - 1, static_cast<int>(std::floor((y + limit) / buildingCell_)));
  for (int j = j0; j <= j1; ++j) {
    for (int i = i0; i <= i1; ++i) {
      for (int index : buildingGrid_[static_cast<size_t>(j) * buildingGridSide_ + i]) {
        const Building& b = buildings_[static_cast<size_t>(index)];
        double u = 0.0;
        double v = 0.0;
        b.toLocal(x, y, u, v);
        const double du = std::max(std::abs(u) - b.halfLength, 0.0);
        const double dv = std::max(std::abs(v) - b.halfWidth, 0.0);
        best = std::min(best, std::sqrt(du * du + dv * dv));
      }
    }
  }
  return best;
}

bool TerrainModel::treeAt(double x, double y, TreeHit& hit) const {
  const int ci = static_cast<int>(std::floor(x / treeCell_));
  const int cj = static_cast<int>(std::floor(y / treeCell_));
  bool found = false;
  for (int j = std::max(0, cj - 1); j <= std::min(treeGridSide_ - 1, cj + 1); ++j) {
    for (int i = std::max(0, ci - 1); i <= std::min(treeGridSide_ - 1, ci + 1); ++i) {
      const Tree& t = trees_[static_cast<size_t>(j) * treeGridSide_ + i];
      if (t.radius <= 0.0f) continue;
      const double d2 = ((x - t.x) * (x - t.x) + (y - t.y) * (y - t.y)) / (static_cast<double>(t.radius) * t.radius);
      if (d2 >= 1.0) continue;
      const double d = std::sqrt(d2);
      const double h = t.height * (0.6 + 0.4 * std::sqrt(1.0 - d * d));
      if (!found || h > hit.height) {
        found = true;
        hit.distance = d;
        hit.height = h;
        hit.id = static_cast<std::uint64_t>(j) * static_cast<std::uint64_t>(treeGridSide_) + static_cast<std::uint64_t>(i);
      }
    }
  }
  return found;
}

FieldHit TerrainModel::fieldAt(double x, double y) const {
  const int ci = static_cast<int>(std::floor(x / kFieldCell));
  const int cj = static_cast<int>(std::floor(y / kFieldCell));
  FieldSeed scratch[9];
  const FieldSeed* seeds[9];
  int n = 0;
  int nearest = 0;
  double nearestD2 = 1e300;
  for (int j = cj - 1; j <= cj + 1; ++j) {
    for (int i = ci - 1; i <= ci + 1; ++i) {
      seeds[n] = &fieldSeed(i, j, scratch[n]);
      const double d2 = (x - seeds[n]->x) * (x - seeds[n]->x) + (y - seeds[n]->y) * (y - seeds[n]->y);
      if (d2 < nearestD2) {
        nearestD2 = d2;
        nearest = n;
      }
      ++n;
    }
  }
  const FieldSeed& own = *seeds[nearest];
  FieldHit hit;
  hit.border = 1e300;
  for (int k = 0; k < n; ++k) {
    if (k == nearest) continue;
    const FieldSeed& other = *seeds[k];
    const double d2 = (x - other.x) * (x - other.x) + (y - other.y) * (y - other.y);
    const double gap = std::sqrt((other.x - own.x) * (other.x - own.x) + (other.y - own.y) * (other.y - own.y));
    hit.border = std::min(hit.border, (d2 - nearestD2) / (2.0 * gap));
  }
  hit.id = own.id;
  hit.furrowX = own.furrowX;
  hit.furrowY = own.furrowY;
  hit.crop = own.crop;
  return hit;
}

TerrainModel::FieldSeed TerrainModel::makeFieldSeed(int i, int j) const {
  static const Crop crops[] = {Crop::Meadow,   Crop::Wheat,    Crop::Wheat, Crop::Barley, Crop::GreenCrop,
                               Crop::Ploughed, Crop::Rapeseed, Crop::Maize, Crop::Meadow, Crop::GreenCrop};
  FieldSeed seed;
  seed.x = (i + 0.1 + 0.8 * hashUnit(seed_, kSaltFields, i, j)) * kFieldCell;
  seed.y = (j + 0.1 + 0.8 * hashUnit(seed_, kSaltFields + 1, i, j)) * kFieldCell;
  const double angle = hashUnit(seed_, kSaltFields + 2, i, j) * kPi;
  seed.furrowX = std::cos(angle);
  seed.furrowY = std::sin(angle);
  seed.crop = crops[static_cast<int>(hashUnit(seed_, kSaltFields + 3, i, j) * 10.0) % 10];
  seed.id = mixBits(static_cast<std::uint64_t>(i) * 0x9e3779b1ULL ^ static_cast<std::uint64_t>(j));
  return seed;
}

const TerrainModel::FieldSeed& TerrainModel::fieldSeed(int i, int j, FieldSeed& scratch) const {
  const int gi = i + 1;
  const int gj = j + 1;
  if (gi >= 0 && gj >= 0 && gi < fieldGridSide_ && gj < fieldGridSide_)
    return fieldSeeds_[static_cast<size_t>(gj) * fieldGridSide_ + gi];
  scratch = makeFieldSeed(i, j);
  return scratch;
}

void TerrainModel::planFields() {
  // Cells -1 .. n + 1 of the field grid, so that every query inside the area finds its neighbours here.
  fieldGridSide_ = static_cast<int>(std::ceil(extent_ / kFieldCell)) + 3;
  fieldSeeds_.clear();
  for (int gj = 0; gj < fieldGridSide_; ++gj) {
    for (int gi = 0; gi < fieldGridSide_; ++gi) fieldSeeds_.push_back(makeFieldSeed(gi - 1, gj - 1));
  }
}

double TerrainModel::villageWeight(double x, double y) const {
  constexpr double kRagged = 6.0;
  double weight = 0.0;
  double ragged = 0.0;
  bool raggedKnown = false;
  for (const Village& v : villages_) {
    const double centre = std::sqrt((x - v.x) * (x - v.x) + (y - v.y) * (y - v.y));
    if (centre - kRagged >= v.radius + 25.0) continue;
    if (!raggedKnown) {
      ragged = 2.0 * kRagged * (valueNoise(seed_, kSaltVillageEdge, x / 25.0, y / 25.0) - 0.5);
      raggedKnown = true;
    }
    const double d = centre + ragged;
    const double inner = v.radius + 10.0;
    const double outer = v.radius + 25.0;
    if (d < inner) return 1.0;
    if (d < outer) weight = std::max(weight, (outer - d) / (outer - inner));
  }
  return weight;
}

bool TerrainModel::inForest(double x, double y) const {
  return fractalNoise(seed_, kSaltForest, x / 380.0, y / 380.0, 3) > 0.56;
}

}  // namespace demo
