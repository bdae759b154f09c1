#pragma once

#include <cstdint>
#include <vector>

namespace demo {

// A country road: a gently meandering centre line running north-south or east-west.
struct Road {
  bool northSouth = true;  // the centre line's x varies with y (else y varies with x)
  double offset = 0.0;     // centre line position across the road
  double amplitude = 0.0;  // meander
  double wavenumber = 0.0;
  double phase = 0.0;
  double halfWidth = 3.5;

  double centre(double along) const;
  double slope(double along) const;
  // Signed distance of (x, y) from the centre line (positive east or north) and the position along it.
  void locate(double x, double y, double& across, double& along) const;
};

struct Village {
  double x = 0.0;
  double y = 0.0;
  double radius = 0.0;
};

// A box-shaped building; u runs along its length (the ridge of a gable roof), v across.
struct Building {
  double cx = 0.0;
  double cy = 0.0;
  double cosA = 1.0;
  double sinA = 0.0;
  double halfLength = 5.0;
  double halfWidth = 4.0;
  double baseZ = 0.0;
  double eaveZ = 0.0;
  double ridgeZ = 0.0;  // equals eaveZ for flat roofs
  bool gable = true;
  int roofStyle = 0;
  std::uint32_t id = 0;

  void toLocal(double x, double y, double& u, double& v) const;
  double roofHeight(double v) const;
};

struct RoadHit {
  const Road* road = nullptr;
  double across = 0.0;
  double along = 0.0;
};

struct BuildingHit {
  const Building* building = nullptr;
  double u = 0.0;
  double v = 0.0;
};

struct TreeHit {
  double distance = 0.0;  // from the trunk, as a fraction of the crown radius
  double height = 0.0;    // crown surface above the ground
  std::uint64_t id = 0;
};

enum class Crop : int { Meadow, Wheat, Barley, GreenCrop, Ploughed, Rapeseed, Maize };

struct FieldHit {
  std::uint64_t id = 0;
  double border = 0.0;  // distance to the field's edge in metres (approximate)
  // Unit direction across the furrows.
  double furrowX = 1.0;
  double furrowY = 0.0;
  Crop crop = Crop::Meadow;
};

// The procedural landscape of the demo project: hills, roads, villages with buildings, fields,
// forests and hedgerows. Coordinates are metres east and north of the area's south-west corner;
// heights are absolute. The area is a square of side `extent`. Deterministic for a seed.
class TerrainModel {
 public:
  TerrainModel(unsigned seed, double extent);

  unsigned seed() const { return seed_; }
  double extent() const { return extent_; }

  // Bare ground (roads and fields).
  double groundHeight(double x, double y) const;
  // Ground, buildings and tree crowns: what the surface mesh shows.
  double surfaceHeight(double x, double y) const;

  bool roadAt(double x, double y, double margin, RoadHit& hit) const;
  bool buildingAt(double x, double y, BuildingHit& hit) const;
  // Distance to the nearest building footprint, capped at `limit`.
  double distanceToBuilding(double x, double y, double limit) const;
  bool treeAt(double x, double y, TreeHit& hit) const;
  FieldHit fieldAt(double x, double y) const;
  // 1 inside a village, falling to 0 at its edge.
  double villageWeight(double x, double y) const;
  bool inForest(double x, double y) const;

  const std::vector<Road>& roads() const { return roads_; }
  const std::vector<Village>& villages() const { return villages_; }
  const std::vector<Building>& buildings() const { return buildings_; }
  int treeCount() const;

 private:
  struct Tree {
    float x = 0.0f;
    float y = 0.0f;
    float radius = 0.0f;  // 0: no tree in this cell
    float height = 0.0f;  // crown top above the ground
  };

  struct FieldSeed {
    double x = 0.0;
    double y = 0.0;
    double furrowX = 1.0;
    double furrowY = 0.0;
    Crop crop = Crop::Meadow;
    std::uint64_t id = 0;
  };

  void planFields();
  FieldSeed makeFieldSeed(int i, int j) const;
  const FieldSeed& fieldSeed(int i, int j, FieldSeed& scratch) const;
  void planRoads();
  void planVillages();
  void planBuildings();
  void planTrees();
  bool tryAddBuilding(Building b);
  bool nearRoad(double x, double y, double clearance) const;
  double hills(double x, double y) const;
  void indexBuilding(int index);

  unsigned seed_;
  double extent_;
  std::vector<Road> roads_;
  std::vector<Village> villages_;
  std::vector<Building> buildings_;
  // Buildings per grid cell, for point queries.
  double buildingCell_ = 32.0;
  int buildingGridSide_ = 1;
  std::vector<std::vector<int>> buildingGrid_;
  // The centres of the fields: one per cell of a jittered grid.
  int fieldGridSide_ = 1;
  std::vector<FieldSeed> fieldSeeds_;
  // One candidate tree per cell of a jittered grid.
  double treeCell_ = 6.0;
  int treeGridSide_ = 1;
  std::vector<Tree> trees_;
};

}  // namespace demo
