#pragma once

#include <QString>

namespace fuzz {

// Writes the seed files of all readers into `folder`, which must be new or empty: a small demo
// project made by `demoProgram` (vexa-demo-project), a default init file, small PLY (ASCII and
// binary), OBJ and OSG meshes, a list of relative entries with copies of the project's orientation
// files, and a waypoint file. The same program always writes the same bytes. Throws
// std::runtime_error naming what failed.
void writeCorpus(const QString& folder, const QString& demoProgram);

}  // namespace fuzz
