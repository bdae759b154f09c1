#include "viewer/visitors/ViewerTextureVisitor.h"

#include <QDebug>
#include <algorithm>
#include <QString>
#include <osg/Texture2D>
#include <osgDB/ReadFile>

#include "me/FilePaths.h"

namespace qvx {
namespace viewer {

ViewerTextureVisitor::ViewerTextureVisitor(bool readFiles)
    : osg::NodeVisitor(osg::NodeVisitor::TRAVERSE_ALL_CHILDREN), readFiles_(readFiles) {}

void ViewerTextureVisitor::apply(osg::Node& node) {
  if (!done_) traverse(node);
}

void ViewerTextureVisitor::apply(osg::Geometry& geometry) {
  if (done_) return;
  ++inspectedGeometries_;
  if (textureReaches(geometry)) hasTexture_ = true;
  const osg::Array* colors = geometry.getColorArray();
  const osg::Array* vertices = geometry.getVertexArray();
  if (colors && vertices && colors->getNumElements() == vertices->getNumElements()) {
    hasVertexColors_ = true;
  }
  done_ = (hasTexture_ && hasVertexColors_) || inspectedGeometries_ >= maxGeometries_;
}

void ViewerTextureVisitor::apply(osg::PagedLOD& node) {
  if (done_) return;
  traverse(node);
  const std::string databasePath = node.getDatabasePath();
  // Levels already paged in were visited above; reading them again would find nothing new.
  for (unsigned int i = node.getNumChildren(); i < node.getNumFileNames() && !done_; ++i) {
    if (static_cast<int>(seenFiles_.size()) >= maxFiles_) break;
    const std::string& fileName = node.getFileName(i);
    if (!fileName.empty()) visitFile(vx::me::joinDatabasePath(databasePath, fileName));
  }
}

void ViewerTextureVisitor::continueWith(const ViewerTextureVisitor& earlier) {
  inspectedGeometries_ = earlier.inspectedGeometries_;
  hasTexture_ = earlier.hasTexture_;
  hasVertexColors_ = earlier.hasVertexColors_;
  done_ = earlier.done_;
  for (const std::string& file : earlier.seenFiles_) {
    if (std::find(earlier.pendingFiles_.begin(), earlier.pendingFiles_.end(), file) == earlier.pendingFiles_.end())
      seenFiles_.insert(file);
  }
  for (const std::string& file : earlier.pendingFiles_) {
    if (done_) break;
    visitFile(file);
  }
}

bool ViewerTextureVisitor::textureReaches(const osg::Geometry& geometry) const {
  // The nearest state set that binds texture unit 0 decides; writers put it on the geometry or
  // on a node above it. The node path ends with the geometry itself.
  const osg::NodePath& path = getNodePath();
  for (auto it = path.rbegin(); it != path.rend(); ++it) {
    const osg::StateSet* state = (*it)->getStateSet();
    if (!state) continue;
    const osg::StateAttribute* attribute =
        state->getTextureAttribute(0, osg::StateAttribute::TEXTURE);
    if (!attribute) continue;
    const auto* texture = dynamic_cast<const osg::Texture2D*>(attribute);
    // The database pager lets textures of paged-in tiles drop their image once uploaded; such a
    // texture still has its size.
    return texture && (texture->getImage() || texture->getTextureWidth() > 0);
  }
  return false;
}

void ViewerTextureVisitor::visitFile(const std::string& path) {
  if (!seenFiles_.insert(path).second) return;
  if (!readFiles_) {
    pendingFiles_.push_back(path);
    return;
  }
  osg::ref_ptr<osg::Node> loaded = osgDB::readRefNodeFile(path);
  if (loaded) {
    loaded->accept(*this);
  } else {
    qDebug().noquote() << QStringLiteral("Couldn't check file for texture: ") + QString::fromStdString(path);
  }
}

bool ViewerTextureVisitor::hasTexture() const { return hasTexture_; }

bool ViewerTextureVisitor::hasVertexColors() const { return hasVertexColors_; }

bool ViewerTextureVisitor::isDone() const { return done_; }

int ViewerTextureVisitor::getNumInspectedGeometries() const { return inspectedGeometries_; }

}  // namespace viewer
}  // namespace qvx
