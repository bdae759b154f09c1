#pragma once

namespace qvx {
namespace viewer {

// Colour map of the height colouring, RGB in [0, 1]; the mesh shader embeds the same table.
extern const float kViridis[256][3];

}  // namespace viewer
}  // namespace qvx
