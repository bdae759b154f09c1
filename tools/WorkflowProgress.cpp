#include "tools/WorkflowProgress.h"

#include <cmath>

namespace qvx {
namespace tool {

int overallProgress(const std::vector<float>& weights, size_t current, int percentage) {
  int total = 0;
  int done = 0;
  for (size_t i = 0; i < weights.size(); ++i) {
    total = int(float(total) + weights[i]);
    if (i < current) done = int(float(done) + weights[i]);
  }
  if (total <= 0 || current >= weights.size()) return percentage;
  const float share = weights[current] / float(total) * float(percentage);
  const float before = float(done) / float(total) * 100.0f;
  return int(std::ceil(share)) + int(std::ceil(before));
}

QString outputFolderName(const QString& prefix, const QDateTime& when, bool withTime) {
  return prefix + when.toString(withTime ? QStringLiteral("yy-MM-dd-hh-mm-ss") : QStringLiteral("yy-MM-dd"));
}

}  // namespace tool
}  // namespace qvx
