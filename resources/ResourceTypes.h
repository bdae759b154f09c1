#pragma once

namespace MeshTree {

// Resource types of tree entries. Only Polygon (5) is shared with other parts of the editor.
enum ResourceType : int {
  UserGroup = 0,      // a group the user added; it carries no node
  VexaTiles = 1,      // tiles of a mesh in the tile layout
  PlainMesh = 2,      // any other mesh, paged in whole through a wrapper
  ExternalEntry = 3,  // an entry added by id (on_add); it carries no node
  Polygon = 5,        // a digitized polygon of the mesh-editing tools
};

}  // namespace MeshTree
