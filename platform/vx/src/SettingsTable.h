#pragma once

// The one table of the project's settings: each one's element in Project.vpr, its check and the
// processing steps whose results it feeds. Not part of the public interface.

#include <array>
#include <string>
#include <variant>
#include <vector>

#include "vx/ProjectSettings.h"
#include "vx/Steps.h"

namespace vx {
namespace detail {

enum class Setting : int {
  CoordinateSystem,
  Area,
  TileSize,
  Gsd,
  InterpolationGsd,
  PointFormat,
  Waterbody,
  Correction,
  ColorBalancing,
  TerrainHeight,
  Lidar,
  Subproject,
  DsmGrid,
  DsmOutputs,
  MeshOutputs,
  Distributed,
  ImageSelection,
  Mode,
};

// The steps whose results depend directly on a setting. A change makes them and every step that
// needs them (steps::prerequisites) start again.
const std::vector<steps::Steps>& stepsFedBy(Setting setting);

using PS = ProjectSettings;
using Member = std::variant<bool PS::*, int PS::*, double PS::*, std::string PS::*>;

// A single-valued setting. `check` throws std::invalid_argument with a text for the operator when
// the setting's value in the given settings is not acceptable; null accepts everything.
struct ScalarField {
  const char* key;  // element below the root of Project.vpr
  Member member;
  Setting setting;
  void (*check)(const PS&);
};
const std::vector<ScalarField>& scalarFields();
const ScalarField& fieldOf(const Member& member);

// Elements of the 2.5D export flags below <dsmExports>, in DsmExport order.
const std::array<const char*, kDsmExportCount>& dsmExportKeys();

// Throws std::invalid_argument when the text is neither empty nor WKT that OGR accepts.
void checkWkt(const std::string& wkt);

}  // namespace detail
}  // namespace vx
