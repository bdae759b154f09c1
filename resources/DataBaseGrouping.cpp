// Classifying, wrapping and grouping the nodes that a loader read.
#include "resources/DataBase.h"

#include <limits>

#include <osg/ComputeBoundsVisitor>
#include <osg/PagedLOD>
#include <osgDB/FileNameUtils>

#include "me/TreeStructure.h"
#include "project/Layout.h"
#include "resources/MeshTreeGroup.h"
#include "resources/MeshTreeItem.h"
#include "resources/ResourcePaths.h"
#include "resources/ResourceTypes.h"
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
  // Plain meshes share one container whatever their folder; two groups of the same name could not
  // be told apart in the tree.
  Group* group = findGroupOfType(PlainMesh);
  if (!group) {
    group = createGroup(kNonVexaMeshesLabel, PlainMesh, true, kNonVexaMeshesLabel);
    group->setToolTip(0, kNonVexaMeshesLabel);
    group->setTreeStructure(structure);
  }
  const QString toolTip = group->toolTip(0);
  if (!toolTip.split('\n').contains(folder)) group->setToolTip(0, toolTip + "\n" + folder);
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

Group* DataBase::findGroupOfType(int type) const {
  for (Group* group : groups()) {
    if (group->type() == type && group->firstItem()) return group;
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

}  // namespace MeshTree
