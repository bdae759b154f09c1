#include "viewer/visitors/UnifyTileAndModelMainsVisitor.h"

#include <limits>

#include <QDir>
#include <QFileInfo>

#include "me/TreeStructure.h"

using vx::me::forceLOD::ForceLODPagedLOD;

UnifyTileAndModelMainsVisitor::UnifyTileAndModelMainsVisitor(unsigned int treeStructure)
    : osg::NodeVisitor(osg::NodeVisitor::TRAVERSE_ALL_CHILDREN), treeStructure_(treeStructure) {}

void UnifyTileAndModelMainsVisitor::apply(osg::MatrixTransform& node) {
  if (treeStructure_ == vx::me::ModelMain) {
    unifyModelMain(node);
    return;
  }
  traverse(node);
}

void UnifyTileAndModelMainsVisitor::apply(osg::PagedLOD& node) {
  if (treeStructure_ != vx::me::TileMain) {
    errorMessage_ = QStringLiteral(
        "Couldn't unify model main. Found a PagedLOD although the tree structure is model main.");
    return;
  }
  // Conversion may drop the last reference its parents hold.
  osg::ref_ptr<osg::PagedLOD> keepAlive(&node);
  unsigned int namedFiles = 0;
  for (unsigned int i = 0; i < node.getNumFileNames(); ++i) {
    if (!node.getFileName(i).empty()) ++namedFiles;
  }
  if (namedFiles == 0) return;
  const osg::ref_ptr<ForceLODPagedLOD> converted = convert(node);
  tileMains_.insert(tileMains_.end(), namedFiles, converted);
}

void UnifyTileAndModelMainsVisitor::unifyModelMain(osg::MatrixTransform& node) {
  const QString name = QString::fromStdString(node.getName());
  const QFileInfo file(name);
  if (name.isEmpty() || !QDir::isAbsolutePath(name) || !file.isFile()) {
    errorMessage_ = QStringLiteral(
        "Couldn't unify tile main. The MatrixTransform doesn't contain an absolute path to a file "
        "as name.");
    return;
  }

  const QDir tileFolder = file.absoluteDir();
  QDir meshFolder = tileFolder;
  const bool hasParent = meshFolder.cdUp();
  const QString databasePath = QDir::toNativeSeparators(meshFolder.absolutePath());
  const QString relativeName = tileFolder.dirName() + QDir::separator() + file.fileName();
  const QFileInfo joined(databasePath + QDir::separator() + relativeName);
  if (!hasParent || !joined.isFile() || joined.canonicalFilePath() != file.canonicalFilePath()) {
    errorMessage_ = QStringLiteral("Couldn't derive databasePath and fileName from tile main.");
    return;
  }
  if (node.getNumParents() > 1) {
    errorMessage_ = QStringLiteral(
        "Couldn't unify tile main. Trying to reparent MatrixTransform with multiple parents.");
    return;
  }

  osg::ref_ptr<osg::MatrixTransform> keepAlive(&node);
  osg::Group* parent = node.getNumParents() == 1 ? node.getParent(0) : nullptr;
  const unsigned int index = parent ? parent->getChildIndex(&node) : 0;

  osg::ref_ptr<osg::PagedLOD> paged = new osg::PagedLOD;
  paged->setDatabasePath(databasePath.toStdString());
  paged->setFileName(0, relativeName.toStdString());
  paged->addChild(&node, 0.0f, std::numeric_limits<float>::max());
  if (parent) parent->setChild(index, paged);
  tileMains_.push_back(convert(*paged));
}

osg::ref_ptr<ForceLODPagedLOD> UnifyTileAndModelMainsVisitor::convert(osg::PagedLOD& node) {
  if (auto* existing = dynamic_cast<ForceLODPagedLOD*>(&node)) return existing;
  osg::ref_ptr<ForceLODPagedLOD> converted = new ForceLODPagedLOD(node);
  osg::ref_ptr<osg::PagedLOD> keepAlive(&node);
  // Copied, since every replacement shrinks the node's parent list.
  const osg::Node::ParentList parents = node.getParents();
  for (osg::Group* parent : parents) {
    for (unsigned int i = 0; i < parent->getNumChildren(); ++i) {
      if (parent->getChild(i) == &node) parent->setChild(i, converted);
    }
  }
  // Once detached, the source must not stay a second parent of the children it handed over.
  if (!parents.empty()) node.removeChildren(0, node.getNumChildren());
  return converted;
}

const std::vector<osg::ref_ptr<ForceLODPagedLOD>>& UnifyTileAndModelMainsVisitor::getTileMains() const {
  return tileMains_;
}

const QString& UnifyTileAndModelMainsVisitor::getErrorMessage() const { return errorMessage_; }
