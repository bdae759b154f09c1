#include "resources/TileBoundsReader.h"

#include <osgDB/Options>
#include <osgDB/Registry>

#include "scenefiles/SceneFileGuard.h"

namespace MeshTree {

namespace {

QMap<QString, TileBounds> readBatch(const QStringList& files, tasks::Feedback& feedback) {
  // Only the root's user values are wanted: nothing to cache, and the registry's read callbacks
  // (which prepare textures for drawing) are skipped.
  osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
  options->setObjectCacheHint(osgDB::Options::CACHE_NONE);
  QMap<QString, TileBounds> results;
  scenefiles::SceneFileGuard* guard = scenefiles::SceneFileGuard::installed();
  for (const QString& file : files) {
    if (feedback.isCanceled()) break;
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

TileBoundsReader::TileBoundsReader(QObject* parent) : QObject(parent) {
  connect(&task_, &tasks::Task::finished, this, &TileBoundsReader::on_batchFinished);
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
  const QStringList batch = reading_;
  task_.start([batch](tasks::Feedback& feedback) { return readBatch(batch, feedback); });
}

void TileBoundsReader::on_batchFinished() {
  reading_.clear();
  emit signal_batchRead(task_.result());
  startBatch();
}

}  // namespace MeshTree
