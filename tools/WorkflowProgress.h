#pragma once

#include <QDateTime>
#include <QString>

#include <vector>

namespace qvx {
namespace tool {

// Overall progress of a workflow while the module at `current` reports `percentage` of its own
// work. Modules weigh by their step's weight; the sums are kept in whole numbers, as the step weights
// are whole percentages. With no weight at all the module's own percentage is shown.
int overallProgress(const std::vector<float>& weights, size_t current, int percentage);

// "<prefix><date>" naming a default output folder: "yy-MM-dd", or "yy-MM-dd-hh-mm-ss" with the time,
// so that folders made on different days (or seconds) never collide.
QString outputFolderName(const QString& prefix, const QDateTime& when, bool withTime);

}  // namespace tool
}  // namespace qvx
