#include "viewer/visitors/TextureAnalysis.h"

#include <osg/Group>

#include "me/ForceLODPagedLOD.h"

namespace qvx {
namespace viewer {

namespace {

bool isPlainGroup(const osg::Node& node) {
  return node.asGroup() && std::string(node.className()) == "Group";
}

bool holdsTiles(const osg::Group& group) {
  for (unsigned int i = 0; i < group.getNumChildren(); ++i) {
    if (dynamic_cast<const vx::me::forceLOD::ForceLODPagedLOD*>(group.getChild(i))) return true;
  }
  return false;
}

// The scene root holds one group per loaded mesh group; the items of a group of plain meshes
// are separate resources, the tiles of a tiled mesh are one.
std::vector<osg::Node*> resourcesOf(osg::Node* scene) {
  if (!scene || !isPlainGroup(*scene)) return {scene};
  std::vector<osg::Node*> resources;
  osg::Group* root = scene->asGroup();
  for (unsigned int i = 0; i < root->getNumChildren(); ++i) {
    osg::Node* child = root->getChild(i);
    osg::Group* group = child->asGroup();
    if (group && isPlainGroup(*group) && !holdsTiles(*group)) {
      for (unsigned int j = 0; j < group->getNumChildren(); ++j) resources.push_back(group->getChild(j));
    } else {
      resources.push_back(child);
    }
  }
  if (resources.empty()) resources.push_back(scene);
  return resources;
}

}  // namespace

TextureAnalysis::TextureAnalysis(osg::Node* scene) {
  for (osg::Node* resource : resourcesOf(scene)) {
    if (!resource) continue;
    auto visitor = std::make_unique<ViewerTextureVisitor>(false);
    resource->accept(*visitor);
    resources_.push_back(std::move(visitor));
  }
}

TextureFindings TextureAnalysis::findings() const {
  TextureFindings found;
  for (const auto& resource : resources_) {
    found.hasTexture = found.hasTexture || resource->hasTexture();
    found.hasVertexColors = found.hasVertexColors || resource->hasVertexColors();
  }
  return found;
}

bool TextureAnalysis::needsFiles() const {
  const TextureFindings found = findings();
  if (found.hasTexture && found.hasVertexColors) return false;
  for (const auto& resource : resources_) {
    if (!resource->isDone() && !resource->pendingFiles().empty()) return true;
  }
  return false;
}

void TextureAnalysis::readFiles() {
  for (auto& resource : resources_) {
    if (cancelled_) return;
    const TextureFindings found = findings();
    if (found.hasTexture && found.hasVertexColors) return;
    if (resource->isDone() || resource->pendingFiles().empty()) continue;
    auto reader = std::make_unique<ViewerTextureVisitor>(true);
    reader->continueWith(*resource);
    resource = std::move(reader);
  }
}

}  // namespace viewer
}  // namespace qvx
