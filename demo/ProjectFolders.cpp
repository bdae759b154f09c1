#include "demo/ProjectFolders.h"

namespace demo {

namespace paths {
const char* const kProjectFile = "Project.vpr";
const char* const kResourcesDatabase = "Internal/resources.vxdb";
const char* const kChronicleDatabase = "Internal/chronicle.vxdb";
const char* const kLog = "Internal/log.txt";
const char* const kCoordinateSystem = "Internal/coordinate_system.wkt";
const char* const kDsmMesh = "Results/DSM_Mesh";
const char* const kDsmMeshForEditing = "Results/DSM_Mesh_For_Editing";
const char* const kDsmMeshList = "Internal/Lists/dsm_mesh_list.txt";
const char* const kDsmMeshForEditingList = "Internal/Lists/dsm_mesh_for_editing_list.txt";
const char* const kOrientations = "Internal/Orientations";
const char* const kOrientationList = "Internal/Orientations/orientation_list.txt";
const char* const kColorImages = "Internal/Images/Color";
const char* const kImageList = "Internal/Images/Color/image_color_list.txt";
const char* const kTopology = "Internal/Topologies/Topology.tif";
}  // namespace paths

const std::vector<std::filesystem::path>& projectFolders() {
  static const std::vector<std::filesystem::path> folders = [] {
    std::vector<std::filesystem::path> list;
    const std::filesystem::path internal("Internal");
    for (const char* name :
         {"Control_Files", "DSM_Mesh_Merged", "DSM_Mesh_Merged/Iter_0", "DSM_Mesh_Merged/Iter_1", "DSM_Mesh_Untextured",
          "DSM_Raw", "DSM_Raw/DSM_Extended", "DSM_Raw/DSM_Raw", "Editor", "Images", "Images/Color", "Images/Match", "Init",
          "LiDAR", "LiDAR/Trajectories", "Lists", "Mesh_Merged", "Mesh_Merged/Iter_0", "Mesh_Merged/Iter_1",
          "Mesh_Untextured", "Orientations", "Point_Cloud_Raw", "Rect", "SGM", "Shapefiles", "Subprojects", "Topologies"}) {
      list.push_back(internal / name);
    }
    const std::filesystem::path results("Results");
    for (const char* name : {"DSM", "DSM_Mesh", "DSM_Mesh_For_Editing", "Mesh", "Point_Cloud", "True_Ortho", "DSM_Metainformation"})
      list.push_back(results / name);
    for (const char* name : {"DSM_Binary_Mask", "DSM_Cell_Point_Count", "DSM_Cell_Standard_Deviation", "DSM_Distance_Map",
                             "DSM_Height_Colored", "DSM_Point_Color", "DSM_Point_Color_Interpolated",
                             "DSM_Point_Model_Count", "DSM_Roughness"})
      list.push_back(results / "DSM_Metainformation" / name);
    return list;
  }();
  return folders;
}

}  // namespace demo
