#include "resources/DataLoader.h"

#include <QDir>

#include <osg/StateSet>
#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include "scenefiles/FileLimits.h"
#include "scenefiles/SceneFileGuard.h"

namespace MeshTree {

DataLoader::DataLoader(const QList<std::shared_ptr<QFileInfo>>& files, QObject* parent)
    : QObject(parent), files_(files) {
  connect(&task_, &tasks::Task::finished, this, &DataLoader::on_taskFinished);
}

void DataLoader::start() {
  // The pool thread gets plain paths: the shared file infos stay with the main thread.
  QStringList paths;
  for (const std::shared_ptr<QFileInfo>& file : files_) paths.append(file->absoluteFilePath());
  task_.start([paths](tasks::Feedback& feedback) { return readFiles(paths, feedback); });
}

DataLoader::Read DataLoader::readFiles(const QStringList& paths, tasks::Feedback& feedback) {
  Read read;
  for (int i = 0; i < paths.size(); ++i) {
    if (feedback.isCanceled()) break;
    feedback.setProgress(100.0 * i / paths.size());
    const QString& path = paths[i];
    // The guard reports the files it refuses itself; asking first keeps the message single.
    if (scenefiles::SceneFileGuard* guard = scenefiles::SceneFileGuard::installed()) {
      if (guard->check(path).isBad()) continue;
    } else {
      const QString problem = scenefiles::precheck(path);
      if (!problem.isEmpty()) {
        read.failures.append(problem);
        continue;
      }
    }
    const std::string utf8Path = path.toUtf8().toStdString();
    osg::ref_ptr<osg::Node> node =
        osgDB::readRefNodeFile(utf8Path, osgDB::Registry::instance()->getOptions());
    if (!node) {
      read.failures.append("Could not read file: " + QDir::toNativeSeparators(path));
      continue;
    }
    node->setName(utf8Path);
    node->getOrCreateStateSet()->setMode(GL_DEPTH_TEST, osg::StateAttribute::ON);
    read.nodes.append(node);
    read.loaded.append(i);
  }
  if (!feedback.isCanceled()) feedback.setProgress(100.0);
  return read;
}

void DataLoader::on_taskFinished() {
  if (!task_.error().isEmpty()) {
    emit signal_failed("Exception during file loading");
    return;
  }
  const Read& read = task_.result();
  results_ = read.nodes;
  for (int index : read.loaded) loadedFiles_.append(files_[index]);
  failures_ = read.failures;
  emit signal_finished();
}

}  // namespace MeshTree
