#pragma once

#include <QHash>
#include <QString>

#include <mutex>

#include "scenefiles/Verdict.h"

namespace scenefiles {

// Verdicts by canonical path, size and modification time, so a changed file is checked again.
// Thread-safe. Persisted as JSON; a damaged cache file is ignored, saving is atomic.
class VerdictCache {
 public:
  // Empty for a file that does not exist.
  static QString keyOf(const QString& path);

  bool find(const QString& key, Verdict& verdict) const;
  // Unchecked verdicts are not kept: the next start may have a helper.
  void insert(const QString& key, const Verdict& verdict);
  int size() const;

  // False (and nothing kept) when the file is missing or damaged.
  bool load(const QString& file);
  // Writes only when something changed since the last load or save.
  bool save(const QString& file);

 private:
  mutable std::mutex mutex_;
  QHash<QString, Verdict> verdicts_;
  bool changed_ = false;
};

}  // namespace scenefiles
