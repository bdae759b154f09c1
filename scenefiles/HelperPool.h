#pragma once

#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "scenefiles/Verdict.h"

namespace scenefiles {

// Helper processes that read scene files on the editor's behalf: one path per line on their
// standard input, one verdict per line on their standard output ("ok", "unreadable", or "slow" when
// the read outran its processor-time budget and the helper ended). A helper that dies or does not
// answer in time was taken down by the file; it is killed and the next
// check starts a new one. At most `size` helpers run, each serving one check at a time, so
// reading threads check in parallel.
class HelperPool {
 public:
  // `cpuBudgetMs` (0: none) is the processor time a small file's read may take in a helper.
  HelperPool(QString program, int size, int timeoutMs, int cpuBudgetMs = 0);
  ~HelperPool();
  HelperPool(const HelperPool&) = delete;
  HelperPool& operator=(const HelperPool&) = delete;

  // `timeoutMs` is what a small file may take; larger files get a second more per 4 MiB.
  // Thread-safe. Unchecked when no helper can be started. With `copyTo`, a good file is also
  // written there in OpenSceneGraph's binary format (Verdict::readInstead).
  Verdict check(const QString& path, const QString& copyTo = QString());
  // Helpers started so far, restarts included.
  int startedHelpers() const;

 private:
  struct Helper;
  std::unique_ptr<Helper> acquire();
  void release(std::unique_ptr<Helper> helper);
  int allowedMilliseconds(const QString& path) const;

  const QString program_;
  const int size_;
  const int timeoutMs_;
  const int cpuBudgetMs_;
  mutable std::mutex mutex_;
  std::condition_variable idleChanged_;
  std::vector<std::unique_ptr<Helper>> idle_;
  int running_ = 0;
  int started_ = 0;
};

}  // namespace scenefiles
