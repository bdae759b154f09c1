#pragma once

#include <QMetaType>
#include <QString>

#include <array>

namespace qvx {
namespace me {

// The mesh-editing tools; the value is the tool's number (keys 1 to 5 pick 0 to 4).
enum class Mode { ShapeDigitization = 0, PlaneGuide, DistanceMeasurement, PolylineMeasurement, MeshInfo };

// Display names in the order of Mode; the toolbar's combo and the editor both use them.
inline constexpr std::array<const char*, 5> kModeNames = {
    "Shape Digitization", "Plane Guide", "Distance Measurement", "Polyline Measurement", "Mesh Info"};

inline QString modeName(Mode mode) { return QString::fromUtf8(kModeNames[static_cast<std::size_t>(mode)]); }

// An unknown name falls back to Shape Digitization, the tool the editor starts with.
inline Mode modeFromName(const QString& name) {
  for (std::size_t i = 0; i < kModeNames.size(); ++i)
    if (name == QLatin1String(kModeNames[i])) return static_cast<Mode>(i);
  return Mode::ShapeDigitization;
}

}  // namespace me
}  // namespace qvx

Q_DECLARE_METATYPE(qvx::me::Mode)
