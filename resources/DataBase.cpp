#include "resources/DataBase.h"

#include <QThreadPool>

#include <limits>

#include <osg/ComputeBoundsVisitor>
#include <osg/PagedLOD>
#include <osgDB/FileNameUtils>

#include "me/TreeStructure.h"
#include "resources/DataLoader.h"
#include "resources/MeshTreeGroup.h"
#include "resources/MeshTreeItem.h"
#include "resources/ResourcePaths.h"
#include "resources/ResourceTypes.h"
#include "resources/TileReplacement.h"
#include "project/Layout.h"
#include "viewer/visitors/UnifyTileAndModelMainsVisitor.h"
#include "viewer/visitors/ViewerForceLODVisitor.h"

namespace MeshTree {

namespace {

const char* const kVexaTilesLabel = "VEXA Tiles";
const char* const kNonVexaMeshesLabel = "Non-VEXA Meshes";

QString tileFileOf(const vx::me::forceLOD::ForceLODPagedLOD& tileMain) {
  return normalizedPath(tileMain.getOriginalFilePath());
}

}  // namespace

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

DataBase::DataBase(QObject* parent) : QObject(parent) {}

DataBase::~DataBase() {
  if (loader_) {
    if (!QThreadPool::globalInstance()->tryTake(loader_)) loader_->waitUntilDone();
    delete loader_;
  }
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
  connect(loader_, &DataLoader::signal_finished, this, &DataBase::on_dataLoaded, Qt::QueuedConnection);
  connect(loader_, &DataLoader::signal_failed, this, &DataBase::on_dataNotLoaded, Qt::QueuedConnection);
  loader_->markStarted();
  QThreadPool::globalInstance()->start(loader_);
}

void DataBase::startNextRequest() {
  if (loader_ || pending_.isEmpty()) return;
  startLoader(pending_.takeFirst());
}

void DataBase::finishLoader() {
  if (!loader_) return;
  loader_->waitUntilDone();
  delete loader_;
  loader_ = nullptr;
}

void DataBase::on_dataLoaded() {
  emit signal_busy(false, "");
  if (!loader_) {
    emit signal_loadingDone();
    return;
  }
  loader_->waitUntilDone();
  const QList<osg::ref_ptr<osg::Node>> results = loader_->results();
  const QList<std::shared_ptr<QFileInfo>> files = loader_->files();
  if (results.isEmpty()) {
    emit signal_error("could not load mesh resource");
  } else {
    for (int i = 0; i < results.size() && i < files.size(); ++i) addLoadedNode(results[i], *files[i]);
    resetCamera_ = loaderResetsCamera_;
    emit signal_newData();
  }
  finishLoader();
  emit signal_loadingDone();
  startNextRequest();
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

void DataBase::addLoadedNode(osg::ref_ptr<osg::Node> node, const QFileInfo& file) {
  const QString path = file.absoluteFilePath();
  if (isLoaded(path)) {
    emit signal_error("Can't load file twice, since the requested file is already loaded:\n" + path);
    return;
  }
  vx::me::DetectTreeStructureVisitor detect;
  node->accept(detect);
  const unsigned int structure = detect.getTreeStructure();
  if (structure < 3) {
    qvx::viewer::ViewerForceLODVisitor forceLOD;
    node->accept(forceLOD);
  }
  if (structure < 2) {
    addTiledMesh(node, file, structure);
  } else {
    addPlainMesh(node, file, structure);
  }
}

void DataBase::addTiledMesh(osg::ref_ptr<osg::Node> node, const QFileInfo& file, unsigned int structure) {
  const QString path = file.absoluteFilePath();
  UnifyTileAndModelMainsVisitor unify(structure);
  node->accept(unify);
  const auto& tileMains = unify.getTileMains();
  if (tileMains.empty()) {
    emit signal_error("Couldn't retrieve tile mains from mesh: " + path + "\nError message: " +
                      unify.getErrorMessage());
    return;
  }
  // Everything is checked before anything is added, so a refused mesh leaves no trace.
  for (const auto& tileMain : tileMains) {
    const QString tileFile = tileFileOf(*tileMain);
    if (isLoaded(tileFile)) {
      emit signal_error("Can't load mesh since the following tile of the mesh is already loaded:\n" +
                        tileFile + "\n\nPlease unload it first.");
      return;
    }
  }
  for (const auto& tileMain : tileMains) {
    if (tileMain->getNumFileNames() > 1) {
      emit signal_error("Detected tile main with multiple file names, can't work with this mesh: " + path);
      return;
    }
  }

  const QString databasePath = normalizedPath(tileMains.front()->getOriginalDatabasePath());
  Group* group = findGroup(databasePath, VexaTiles);
  if (!group) {
    // A single tile stands for the mesh index in the folder above its own.
    const QString meshPath =
        structure == vx::me::TileMain
            ? normalizedPath(path)
            : joinPath(QFileInfo(file.absolutePath()).absolutePath(),
                       QString::fromStdWString(layout::Mesh) + "." + file.suffix());
    group = createGroup(QFileInfo(meshPath).fileName(), VexaTiles, false, meshPath);
    group->setToolTip(0, QString(kVexaTilesLabel) + "\n" + meshPath);
    group->setTreeStructure(structure);
  }
  const bool groupShown = group->checkState(0) == Qt::Checked;
  if (structure == vx::me::TileMain) group->node()->addChild(node.get());
  for (const auto& tileMain : tileMains) {
    if (structure != vx::me::TileMain) group->node()->addChild(tileMain.get());
    ItemSource source;
    source.filePath = tileFileOf(*tileMain);
    source.databasePath = normalizedPath(tileMain->getOriginalDatabasePath());
    source.loadedFile = normalizedPath(path);
    source.treeStructure = structure;
    auto* item = new Item(QFileInfo(source.filePath).fileName(), tileMain.get(), VexaTiles, source);
    group->addItem(item);
    item->applyShown(groupShown);
  }
}

void DataBase::addPlainMesh(osg::ref_ptr<osg::Node> node, const QFileInfo& file, unsigned int structure) {
  const QString path = normalizedPath(file.absoluteFilePath());
  const std::string utf8Path = path.toUtf8().toStdString();

  osg::ref_ptr<osg::PagedLOD> wrapper = new osg::PagedLOD;
  wrapper->setName(utf8Path);
  wrapper->setDatabasePath(osgDB::getFilePath(utf8Path));
  wrapper->setFileName(0, osgDB::getSimpleFileName(utf8Path));
  wrapper->setRange(0, 0.0f, std::numeric_limits<float>::max());
  wrapper->getOrCreateStateSet()->setMode(GL_DEPTH_TEST, osg::StateAttribute::ON);
  // Until the file is paged in the wrapper has no child; the loaded bound lets the camera frame it.
  const osg::BoundingSphere& bound = node->getBound();
  if (bound.valid()) {
    wrapper->setCenterMode(osg::LOD::UNION_OF_BOUNDING_SPHERE_AND_USER_DEFINED);
    wrapper->setCenter(bound.center());
    wrapper->setRadius(bound.radius());
  }

  const QString folder = normalizedPath(file.absolutePath());
  Group* group = findGroup(folder, PlainMesh);
  if (!group) {
    group = createGroup(kNonVexaMeshesLabel, PlainMesh, true, folder);
    group->setToolTip(0, QString(kNonVexaMeshesLabel) + "\n" + folder);
    group->setTreeStructure(structure);
  }
  group->node()->addChild(wrapper.get());

  ItemSource source;
  source.filePath = path;
  source.databasePath = folder;
  source.loadedFile = path;
  source.treeStructure = structure;
  auto* item = new Item(file.fileName(), wrapper.get(), PlainMesh, source);
  osg::ComputeBoundsVisitor bounds;
  node->accept(bounds);
  const osg::BoundingBox& box = bounds.getBoundingBox();
  if (box.valid()) item->setLoadedBounds(osg::BoundingBoxd(box._min, box._max));
  group->addItem(item);
  item->applyShown(group->checkState(0) == Qt::Checked);
}

bool DataBase::isLoaded(const QString& path) const {
  for (Group* group : groups()) {
    for (Item* item : group->items()) {
      if (samePath(item->source().filePath, path) || samePath(item->source().loadedFile, path)) return true;
    }
  }
  return false;
}

Group* DataBase::findGroup(const QString& databasePath, int type) const {
  for (Group* group : groups()) {
    const Item* first = group->firstItem();
    if (group->type() == type && first && samePath(first->source().databasePath, databasePath)) return group;
  }
  return nullptr;
}

Group* DataBase::createGroup(const QString& name, int type, bool container, const QString& nodeName) {
  osg::ref_ptr<osg::Group> node = new osg::Group;
  node->setName(nodeName.toUtf8().toStdString());
  auto* group = new Group(name, type, container, node);
  groups_.append(group);
  newGroups_.append(group);
  return group;
}

void DataBase::deleteUnownedGroups() {
  for (const QPointer<Group>& group : groups_) {
    if (group && !group->treeWidget()) delete group.data();
  }
}

QList<Group*> DataBase::groups() const {
  QList<Group*> result;
  for (const QPointer<Group>& group : groups_) {
    if (group) result.append(group.data());
  }
  return result;
}

QList<Group*> DataBase::takeNewGroups() {
  QList<Group*> result;
  for (const QPointer<Group>& group : newGroups_) {
    if (group) result.append(group.data());
  }
  newGroups_.clear();
  return result;
}

Item* DataBase::addPolygon(osg::ref_ptr<osg::Node> polygon) {
  Group* group = nullptr;
  for (Group* candidate : groups()) {
    if (candidate->type() == Polygon) group = candidate;
  }
  if (!group) {
    group = new Group("Polygons", Polygon, true);
    groups_.append(group);
    newGroups_.append(group);
  }
  auto* item = new Item("Polygon", polygon, Polygon);
  group->addItem(item);
  return item;
}

osg::ref_ptr<osg::Node> DataBase::sceneData() const {
  osg::ref_ptr<osg::Group> root = new osg::Group;
  for (Group* group : groups()) {
    if (group->type() != Polygon && group->node()) root->addChild(group->node());
  }
  return root;
}

bool DataBase::heightRange(float& minHeight, float& maxHeight) const {
  bool found = false;
  double low = 0.0, high = 0.0;
  for (Group* group : groups()) {
    if (group->type() == Polygon) continue;
    for (Item* item : group->items()) {
      double itemLow = 0.0, itemHigh = 0.0;
      if (!item->heightRange(itemLow, itemHigh)) continue;
      low = found ? std::min(low, itemLow) : itemLow;
      high = found ? std::max(high, itemHigh) : itemHigh;
      found = true;
    }
  }
  if (found) {
    minHeight = static_cast<float>(low);
    maxHeight = static_cast<float>(high);
  }
  return found;
}

bool DataBase::hasData() const {
  for (Group* group : groups()) {
    if (group->type() != Polygon && group->firstItem()) return true;
  }
  return false;
}

QStringList DataBase::loadedFiles() const {
  QStringList files;
  for (Group* group : groups()) {
    for (Item* item : group->items()) {
      const QString& file = item->source().loadedFile;
      if (!file.isEmpty() && !files.contains(file)) files.append(file);
    }
  }
  return files;
}

QStringList DataBase::fileSuffixes() const {
  QStringList suffixes;
  for (const QString& file : loadedFiles()) {
    const QString suffix = QFileInfo(file).suffix();
    if (!suffixes.contains(suffix)) suffixes.append(suffix);
  }
  return suffixes;
}

int DataBase::replaceTiles(const QString& listFile) {
  QStringList listed;
  if (!readTileList(listFile, listed)) {
    emit signal_error("Couldn't read the list of reprocessed tiles: " + listFile);
    return 0;
  }
  int replaced = 0;
  QStringList failures;
  for (const QString& entry : listed) {
    const QString tileFile = listedTileFile(entry);
    const QString tileName = QFileInfo(tileFile).fileName();
    for (Group* group : groups()) {
      for (Item* item : group->items()) {
        if (!item->tileLOD() || QFileInfo(item->source().filePath).fileName() != tileName) continue;
        QString error;
        if (repointTile(*item, tileFile, error)) {
          ++replaced;
        } else if (!failures.contains(error)) {
          failures.append(error);
        }
      }
    }
  }
  if (!failures.isEmpty()) emit signal_error("Some reprocessed tiles couldn't be shown:\n" + failures.join("\n"));
  return replaced;
}

}  // namespace MeshTree
