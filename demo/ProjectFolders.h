#pragma once

#include <filesystem>
#include <vector>

namespace demo {

// The parts of the project folder layout that the demo project fills, relative to the project folder.
namespace paths {
extern const char* const kProjectFile;           // "Project.vpr"
extern const char* const kResourcesDatabase;     // "Internal/resources.vxdb"
extern const char* const kChronicleDatabase;     // "Internal/chronicle.vxdb"
extern const char* const kLog;                   // "Internal/log.txt"
extern const char* const kCoordinateSystem;      // "Internal/coordinate_system.wkt"
extern const char* const kDsmMesh;               // "Results/DSM_Mesh"
extern const char* const kDsmMeshForEditing;     // "Results/DSM_Mesh_For_Editing"
extern const char* const kDsmMeshList;           // "Internal/Lists/dsm_mesh_list.txt"
extern const char* const kDsmMeshForEditingList; // "Internal/Lists/dsm_mesh_for_editing_list.txt"
extern const char* const kOrientations;          // "Internal/Orientations"
extern const char* const kOrientationList;       // "Internal/Orientations/orientation_list.txt"
extern const char* const kColorImages;           // "Internal/Images/Color"
extern const char* const kImageList;             // "Internal/Images/Color/image_color_list.txt"
extern const char* const kTopology;              // "Internal/Topologies/Topology.tif"
}  // namespace paths

// Every folder of the project layout, relative, parents before children.
const std::vector<std::filesystem::path>& projectFolders();

}  // namespace demo
