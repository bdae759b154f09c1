#include "resources/DataBase.h"

#include <QDir>

#include "resources/DataLoader.h"
#include "resources/TileBoundsReader.h"

namespace MeshTree {

DataBase::LoadRequest DataBase::meshResourcesRequest(const QStringList& files, bool resetCamera) {
  LoadRequest request;
  request.busyMessage = "Loading mesh resources";
  request.resetCamera = resetCamera;
  for (const QString& path : files) {
    QFileInfo file(path);
    if (file.exists()) request.files.append(std::make_shared<QFileInfo>(file));
  }
  return request;
}

DataBase::DataBase(QObject* parent) : QObject(parent), boundsReader_(new TileBoundsReader(this)) {
  connect(boundsReader_, &TileBoundsReader::signal_batchRead, this, &DataBase::on_tileBoundsRead);
}

DataBase::~DataBase() {
  // A running loader is cancelled and stops after the file being read; nothing of it arrives.
  delete loader_;
  deleteUnownedGroups();
}

void DataBase::loadFile(const QFileInfo& file) {
  if (!file.exists()) return;
  LoadRequest request;
  request.busyMessage = "Loading: " + file.absoluteFilePath();
  request.files.append(std::make_shared<QFileInfo>(file));
  requestLoad(request);
}

void DataBase::loadFiles(const QStringList& files) { requestLoad(meshResourcesRequest(files, true)); }

void DataBase::reloadAll(bool resetCamera) {
  const QStringList files = loadedFiles();
  if (files.isEmpty()) return;
  emit signal_clearData();
  // Without a tree listening the groups would survive and make every file a duplicate.
  deleteUnownedGroups();
  groups_.clear();
  newGroups_.clear();
  requestLoad(meshResourcesRequest(files, resetCamera));
}

void DataBase::requestLoad(const LoadRequest& request) {
  // Deleting a running loader would pull its memory from under the pool thread, so a request
  // that arrives while one runs waits its turn.
  if (loader_ || !pending_.isEmpty()) {
    pending_.append(request);
    return;
  }
  startLoader(request);
}

void DataBase::startLoader(const LoadRequest& request) {
  emit signal_busy(true, request.busyMessage);
  loader_ = new DataLoader(request.files);
  loaderResetsCamera_ = request.resetCamera;
  // Queued: the handlers delete the loader, which must not happen inside its own emit.
  connect(loader_, &DataLoader::signal_finished, this, &DataBase::on_dataLoaded, Qt::QueuedConnection);
  connect(loader_, &DataLoader::signal_failed, this, &DataBase::on_dataNotLoaded, Qt::QueuedConnection);
  loader_->start();
}

void DataBase::startNextRequest() {
  if (loader_ || pending_.isEmpty()) return;
  startLoader(pending_.takeFirst());
}

void DataBase::finishLoader() {
  if (!loader_) return;
  delete loader_;
  loader_ = nullptr;
}

void DataBase::on_dataLoaded() {
  emit signal_busy(false, "");
  if (!loader_) {
    emit signal_loadingDone();
    return;
  }
  const QList<osg::ref_ptr<osg::Node>> results = loader_->results();
  const QList<std::shared_ptr<QFileInfo>> files = loader_->loadedFiles();
  if (!loader_->isCancelled()) {
    for (const QString& failure : loader_->failures()) emit signal_error(failure);
  }
  if (loader_->isCancelled()) {
    // Nothing of a cancelled load is added or reported.
  } else if (results.isEmpty()) {
    QStringList paths;
    for (const auto& file : loader_->files()) paths.append(QDir::toNativeSeparators(file->absoluteFilePath()));
    emit signal_error(paths.isEmpty() ? QString("could not load mesh resource")
                                      : "could not load mesh resource: " + paths.join(", "));
  } else {
    for (int i = 0; i < results.size() && i < files.size(); ++i) addLoadedNode(results[i], *files[i]);
    readMissingTileBounds();
    resetCamera_ = loaderResetsCamera_;
    emit signal_newData();
  }
  finishLoader();
  emit signal_loadingDone();
  startNextRequest();
}

void DataBase::cancelLoad() {
  pending_.clear();
  if (loader_) loader_->cancel();
}

void DataBase::on_dataNotLoaded(QString errorString) {
  emit signal_busy(false, errorString);
  emit signal_error(errorString);
  finishLoader();
  // A failed load is a finished load too; unattended rendering waits for this signal.
  emit signal_loadingDone();
  startNextRequest();
}

void DataBase::on_dataSaved() {
  emit signal_busy(false, "");
  emit signal_savingDone();
}

void DataBase::on_dataNotSaved(QString errorString) {
  emit signal_busy(false, errorString);
  emit signal_error(errorString);
}

}  // namespace MeshTree
