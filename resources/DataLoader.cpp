#include "resources/DataLoader.h"

#include <QSemaphore>
#include <QThreadPool>

#include <osg/StateSet>
#include <osgDB/ReadFile>
#include <osgDB/Registry>

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
    const QString path = file->absoluteFilePath();
    const std::string utf8Path = path.toUtf8().toStdString();
    osg::ref_ptr<osg::Node> node =
        osgDB::readRefNodeFile(utf8Path, osgDB::Registry::instance()->getOptions());
    if (!node) {
      emit signal_failed("Could not read file: " + path);
      return;
    }
    node->setName(utf8Path);
    node->getOrCreateStateSet()->setMode(GL_DEPTH_TEST, osg::StateAttribute::ON);
    results_.append(node);
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
