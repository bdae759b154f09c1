#pragma once

#include <osg/Node>

namespace MeshTree {

// Hidden entries stay in the scene graph with an empty node mask, so every traversal skips them
// and showing them again needs no scene rebuild.
inline void setNodeShown(osg::Node* node, bool shown) {
  if (node) node->setNodeMask(shown ? ~0u : 0u);
}

inline bool isNodeShown(const osg::Node* node) { return node && node->getNodeMask() != 0u; }

}  // namespace MeshTree
