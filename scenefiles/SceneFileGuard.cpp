#include "scenefiles/SceneFileGuard.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <atomic>

#include "scenefiles/FileLimits.h"
#include "scenefiles/GuardReadCallback.h"

namespace scenefiles {

namespace {

std::atomic<SceneFileGuard*> installedGuard{nullptr};

int helperCount(int asked) {
  if (asked > 0) return asked;
  return std::max(4, QThread::idealThreadCount());
}

QString helperName() {
#ifdef _WIN32
  return QStringLiteral("vexa-scenecheck.exe");
#else
  return QStringLiteral("vexa-scenecheck");
#endif
}

}  // namespace

SceneFileGuard::SceneFileGuard(const Settings& settings, QObject* parent)
    : QObject(parent),
      cacheFile_(settings.cacheFile),
      pool_(settings.helperProgram.isEmpty() ? defaultHelperProgram() : settings.helperProgram,
            helperCount(settings.helpers), settings.timeoutMs, settings.cpuBudgetMs) {
  if (!cacheFile_.isEmpty()) cache_.load(cacheFile_);
}

SceneFileGuard::~SceneFileGuard() {
  if (installedGuard == this) installedGuard = nullptr;
  saveCache();
}

bool SceneFileGuard::saveCache() { return cacheFile_.isEmpty() || cache_.save(cacheFile_); }

Verdict SceneFileGuard::check(const QString& path) {
  const QString problem = precheck(path);
  if (!problem.isEmpty()) {
    const Verdict refused{Verdict::Bad, problem, {}};
    report(QFileInfo(path).absoluteFilePath(), refused);
    return refused;
  }
  const QString key = VerdictCache::keyOf(path);
  Verdict verdict;
  // A good verdict without a copy does not do for a file the editor only reads through one.
  const bool needsCopy = readOnlyThroughCopy(path);
  if (cache_.find(key, verdict) && !(needsCopy && verdict.state == Verdict::Good && verdict.readInstead.isEmpty())) {
    if (verdict.isBad()) report(key, verdict);
    return verdict;
  }
  return askHelper(key, path);
}

Verdict SceneFileGuard::askHelper(const QString& key, const QString& path) {
  std::promise<Verdict> promise;
  std::shared_future<Verdict> running;
  {
    std::lock_guard<std::mutex> lock(inFlightMutex_);
    const auto found = inFlight_.find(key);
    if (found != inFlight_.end()) {
      running = found->second;
    } else {
      inFlight_.emplace(key, promise.get_future().share());
    }
  }
  if (running.valid()) return running.get();
  const QString copy = readOnlyThroughCopy(path) ? copyPathFor(key) : QString();
  const Verdict verdict = pool_.check(QFileInfo(path).absoluteFilePath(), copy);
  if (verdict.state == Verdict::Unchecked) {
    static std::once_flag warned;
    std::call_once(warned, [] { qDebug() << "No scene file helper could be started; files are read unchecked"; });
  } else {
    cache_.insert(key, verdict);
    if (verdict.isBad()) report(key, verdict);
  }
  promise.set_value(verdict);
  std::lock_guard<std::mutex> lock(inFlightMutex_);
  inFlight_.erase(key);
  return verdict;
}

QString SceneFileGuard::copyPathFor(const QString& key) {
  std::lock_guard<std::mutex> lock(copiesMutex_);
  if (!copies_) copies_ = std::make_unique<QTemporaryDir>(QDir::temp().filePath("vexa-scenecopies-XXXXXX"));
  if (!copies_->isValid()) return {};
  const QByteArray digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
  return copies_->filePath(QString::fromLatin1(digest) + ".osgb");
}

void SceneFileGuard::report(const QString& key, const Verdict& verdict) {
  {
    std::lock_guard<std::mutex> lock(reportedMutex_);
    if (reported_.contains(key)) return;
    reported_.insert(key);
  }
  qDebug().noquote() << verdict.message;
  emit signal_badFile(verdict.message);
}

void SceneFileGuard::install(SceneFileGuard* guard) {
  static std::once_flag chained;
  std::call_once(chained, [] {
    osgDB::Registry* registry = osgDB::Registry::instance();
    registry->setReadFileCallback(new GuardReadCallback(registry->getReadFileCallback()));
  });
  installedGuard = guard;
}

SceneFileGuard* SceneFileGuard::installed() { return installedGuard; }

QString SceneFileGuard::defaultHelperProgram() {
  if (QCoreApplication::instance()) {
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(helperName());
    if (QFileInfo(beside).isExecutable()) return beside;
  }
  return QStringLiteral(VEXA_SCENECHECK_BUILD_PATH);
}

QString SceneFileGuard::defaultCacheFile() {
  return QDir::home().absoluteFilePath(QStringLiteral(".VEXA/scenefile_verdicts.json"));
}

}  // namespace scenefiles
