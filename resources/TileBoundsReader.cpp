#include "resources/TileBoundsReader.h"

#include <QtConcurrent>

#include <osgDB/Options>
#include <osgDB/Registry>

#include "scenefiles/SceneFileGuard.h"

namespace MeshTree {

namespace {

QMap<QString, TileBounds> readBatch(const QStringList& files, const std::shared_ptr<std::atomic_bool>& stop) {
  // Only the root's user values are wanted: nothing to cache, and the registry's read callbacks
  // (which prepare textures for drawing) are skipped.
  osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
  options->setObjectCacheHint(osgDB::Options::CACHE_NONE);
  QMap<QString, TileBounds> results;
  scenefiles::SceneFileGuard* guard = scenefiles::SceneFileGuard::installed();
  for (const QString& file : files) {
    if (*stop) break;
    // Reading the implementation directly skips the registry's callbacks, the guard's among them.
    if (guard && guard->check(file).isBad()) continue;
    osgDB::ReaderWriter::ReadResult read =
        osgDB::Registry::instance()->readNodeImplementation(file.toUtf8().toStdString(), options.get());
    TileBounds bounds;
    if (read.getNode() && readTileBounds(*read.getNode(), bounds)) results.insert(file, bounds);
  }
  return results;
}

}  // namespace

TileBoundsReader::TileBoundsReader(QObject* parent)
    : QObject(parent), stop_(std::make_shared<std::atomic_bool>(false)) {
  connect(&watcher_, &QFutureWatcher<QMap<QString, TileBounds>>::finished, this, &TileBoundsReader::on_batchFinished);
}

TileBoundsReader::~TileBoundsReader() {
  *stop_ = true;
  watcher_.waitForFinished();
}

void TileBoundsReader::read(const QStringList& files) {
  for (const QString& file : files) {
    if (!waiting_.contains(file) && !reading_.contains(file)) waiting_.append(file);
  }
  if (!isReading()) startBatch();
}

void TileBoundsReader::startBatch() {
  if (waiting_.isEmpty()) return;
  reading_ = std::exchange(waiting_, {});
  watcher_.setFuture(QtConcurrent::run(readBatch, reading_, stop_));
}

void TileBoundsReader::on_batchFinished() {
  reading_.clear();
  emit signal_batchRead(watcher_.result());
  startBatch();
}

}  // namespace MeshTree
