#include "resources/DataLoader.h"

#include <QDir>
#include <QSemaphore>
#include <QThreadPool>

#include <osg/StateSet>
#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include "scenefiles/FileLimits.h"
#include "scenefiles/SceneFileGuard.h"

namespace MeshTree {

DataLoader::DataLoader(const QList<std::shared_ptr<QFileInfo>>& files, QObject* parent)
    : QObject(parent), files_(files), done_(std::make_shared<QSemaphore>(0)) {
  setAutoDelete(false);
}

DataLoader::~DataLoader() = default;

void DataLoader::run() {
  const std::shared_ptr<QSemaphore> done = done_;
  try {
    readFiles();
  } catch (...) {
    emit signal_failed("Exception during file loading");
  }
  done->release();
}

void DataLoader::readFiles() {
  for (const std::shared_ptr<QFileInfo>& file : files_) {
    if (cancelled_) break;
    const QString path = file->absoluteFilePath();
    // The guard reports the files it refuses itself; asking first keeps the message single.
    if (scenefiles::SceneFileGuard* guard = scenefiles::SceneFileGuard::installed()) {
      if (guard->check(path).isBad()) continue;
    } else {
      const QString problem = scenefiles::precheck(path);
      if (!problem.isEmpty()) {
        failures_.append(problem);
        continue;
      }
    }
    const std::string utf8Path = path.toUtf8().toStdString();
    osg::ref_ptr<osg::Node> node =
        osgDB::readRefNodeFile(utf8Path, osgDB::Registry::instance()->getOptions());
    if (!node) {
      failures_.append("Could not read file: " + QDir::toNativeSeparators(path));
      continue;
    }
    node->setName(utf8Path);
    node->getOrCreateStateSet()->setMode(GL_DEPTH_TEST, osg::StateAttribute::ON);
    results_.append(node);
    loadedFiles_.append(file);
  }
  emit signal_finished();
}

void DataLoader::start() {
  started_ = true;
  QThreadPool::globalInstance()->start(this);
}

void DataLoader::stop() {
  if (started_ && QThreadPool::globalInstance()->tryTake(this)) started_ = false;
  waitUntilDone();
}

void DataLoader::waitUntilDone() {
  if (!started_) return;
  done_->acquire();
  done_->release();
}

}  // namespace MeshTree
