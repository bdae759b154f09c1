#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QTemporaryDir>

#include <future>
#include <map>
#include <memory>
#include <mutex>

#include "scenefiles/HelperPool.h"
#include "scenefiles/Verdict.h"
#include "scenefiles/VerdictCache.h"

namespace scenefiles {

// Decides whether a scene file may be read in the editor's process: OpenSceneGraph's readers
// crash or hang on some damaged files, so every file is first read by a helper process (see
// HelperPool) unless its verdict is cached. Installed as the registry's read-file callback, it
// guards every read through osgDB; readers that bypass the callbacks call check() themselves.
class SceneFileGuard : public QObject {
  Q_OBJECT

 public:
  struct Settings {
    // The helper executable; defaultHelperProgram() when empty.
    QString helperProgram;
    // Where verdicts persist between runs; none when empty.
    QString cacheFile;
    int helpers = 0;  // 0: one per core, at least four (the pager and the loaders read at once)
    // What reading a small file may take before it counts as hanging; more for larger files.
    int timeoutMs = 10000;
    // Processor time a small file's read may take in a helper (0: no limit but the timeout); more
    // for larger files. Unlike the timeout it does not grow with the machine's load.
    int cpuBudgetMs = 0;
  };

  explicit SceneFileGuard(const Settings& settings, QObject* parent = nullptr);
  ~SceneFileGuard() override;

  // Thread-safe. A bad file is reported once per run through signal_badFile and the debug log.
  Verdict check(const QString& path);
  // Atomic; also done on destruction.
  bool saveCache();
  int startedHelpers() const { return pool_.startedHelpers(); }

  // Makes `guard` (owned by the caller, null to remove) the registry's guard, chained in front of
  // the read-file callback installed so far; the callback stays installed and asks the current
  // guard.
  static void install(SceneFileGuard* guard);
  static SceneFileGuard* installed();
  // The helper beside the running executable, else the one of the build tree.
  static QString defaultHelperProgram();
  // The user's verdict cache in the ".VEXA" folder of the home directory.
  static QString defaultCacheFile();

 signals:
  void signal_badFile(QString message);

 private:
  void report(const QString& key, const Verdict& verdict);
  Verdict askHelper(const QString& key, const QString& path);
  // Where the helper writes the copy of a file whose own reader the editor does not run; empty
  // when no private folder could be made (the helper then only checks).
  QString copyPathFor(const QString& key);

  const QString cacheFile_;
  VerdictCache cache_;
  HelperPool pool_;
  std::mutex reportedMutex_;
  QSet<QString> reported_;
  // Checks under way, by key: the tile bounds reader and the pager often ask for the same file
  // at once, and one helper read answers both.
  std::mutex inFlightMutex_;
  std::map<QString, std::shared_future<Verdict>> inFlight_;
  std::mutex copiesMutex_;
  std::unique_ptr<QTemporaryDir> copies_;
};

}  // namespace scenefiles
