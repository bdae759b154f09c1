#include "project/Layout.h"

#include <QDir>
#include <boost/nowide/convert.hpp>
#include <filesystem>

#include "vx/VEXAProject.h"

namespace layout {

namespace {
const wchar_t kSeparator = static_cast<wchar_t>(std::filesystem::path::preferred_separator);
bool isSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }
}  // namespace

std::wstring join(const std::wstring& left, const std::wstring& right) {
  if (left.empty() || isSeparator(left.back()) || (!right.empty() && isSeparator(right.front()))) {
    return left + right;
  }
  return left + kSeparator + right;
}

std::string toUtf8(const std::wstring& text) { return boost::nowide::narrow(text); }

std::wstring fromUtf8(const std::string& text) { return boost::nowide::widen(text); }

QString projectPath(const vx::VEXAProject& project, const std::wstring& relative) {
  return QDir::toNativeSeparators(
      QDir::cleanPath(QString::fromStdWString(join(project.projectFolder(), relative))));
}

// Definitions in dependency order: constants of one translation unit are built top to bottom.

// Folder names
const std::wstring Internal = L"Internal";
const std::wstring Control_Files = L"Control_Files";
const std::wstring DSM_Mesh_Merged = L"DSM_Mesh_Merged";
const std::wstring Iter_0 = L"Iter_0";
const std::wstring Iter_1 = L"Iter_1";
const std::wstring DSM_Mesh_Untextured = L"DSM_Mesh_Untextured";
const std::wstring DSM_Raw = L"DSM_Raw";
const std::wstring DSM_Extended = L"DSM_Extended";
const std::wstring Editor = L"Editor";
const std::wstring Images = L"Images";
const std::wstring Color = L"Color";
const std::wstring Match = L"Match";
const std::wstring Init = L"Init";
const std::wstring LiDAR = L"LiDAR";
const std::wstring Trajectories = L"Trajectories";
const std::wstring Lists = L"Lists";
const std::wstring Mesh_Merged = L"Mesh_Merged";
const std::wstring Mesh_Untextured = L"Mesh_Untextured";
const std::wstring Orientations = L"Orientations";
const std::wstring Point_Cloud_Raw = L"Point_Cloud_Raw";
const std::wstring Rect = L"Rect";
const std::wstring SGM = L"SGM";
const std::wstring Shapefiles = L"Shapefiles";
const std::wstring Subprojects = L"Subprojects";
const std::wstring Topologies = L"Topologies";
const std::wstring Results = L"Results";
const std::wstring DSM = L"DSM";
const std::wstring DSM_Mesh = L"DSM_Mesh";
const std::wstring DSM_Mesh_For_Editing = L"DSM_Mesh_For_Editing";
const std::wstring Mesh = L"Mesh";
const std::wstring Point_Cloud = L"Point_Cloud";
const std::wstring True_Ortho = L"True_Ortho";
const std::wstring DSM_Metainformation = L"DSM_Metainformation";
const std::wstring DSM_Binary_Mask = L"DSM_Binary_Mask";
const std::wstring DSM_Cell_Point_Count = L"DSM_Cell_Point_Count";
const std::wstring DSM_Cell_Standard_Deviation = L"DSM_Cell_Standard_Deviation";
const std::wstring DSM_Distance_Map = L"DSM_Distance_Map";
const std::wstring DSM_Height_Colored = L"DSM_Height_Colored";
const std::wstring DSM_Point_Color = L"DSM_Point_Color";
const std::wstring DSM_Point_Color_Interpolated = L"DSM_Point_Color_Interpolated";
const std::wstring DSM_Point_Model_Count = L"DSM_Point_Model_Count";
const std::wstring DSM_Roughness = L"DSM_Roughness";

// Name parts
const std::wstring AreaShape = L"AreaShape";
const std::wstring CorrectionShape = L"CorrectionShape";
const std::wstring Buffer_Tiles = L"Buffer_Tiles";
const std::wstring DSM_PMC = L"DSM_PMC";
const std::wstring DSM_CPC = L"DSM_CPC";
const std::wstring DSM_CSD = L"DSM_CSD";
const std::wstring DSM_PCI = L"DSM_PCI";

// File names
const std::wstring ProjectName = L"Project.vpr";
const std::wstring ProjectBackupName = L"Project.vpr.backup";
const std::wstring Control3DMeshName = L"control3DMesh.txt";
const std::wstring ControlAreaName = L"controlArea.txt";
const std::wstring ControlBootstrapName = L"controlBootstrap.txt";
const std::wstring ControlDsmName = L"controlDsm.txt";
const std::wstring ControlDsmMeshName = L"controlDsmMesh.txt";
const std::wstring ControlFusionName = L"controlFusion.txt";
const std::wstring ControlInitName = L"controlInit.txt";
const std::wstring ControlInvalidateName = L"controlInvalidate.txt";
const std::wstring ControlMeshTexturingName = L"controlMeshTexturing.txt";
const std::wstring ControlRectName = L"controlRect.txt";
const std::wstring ControlSgmName = L"controlSgm.txt";
const std::wstring ControlTriangName = L"controlTriang.txt";
const std::wstring ControlTrueOrthoName = L"controlTrueOrtho.txt";
const std::wstring ImageColorListName = L"image_color_list.txt";
const std::wstring ImageColorIter0ListName = L"image_color_iter0_list.txt";
const std::wstring ImageColorIter1ListName = L"image_color_iter1_list.txt";
const std::wstring ImageColorIter2ListName = L"image_color_iter2_list.txt";
const std::wstring ImageColorLevelMaxListName = L"image_color_level_max_list.txt";
const std::wstring ImageMatchListName = L"image_match_list.txt";
const std::wstring ImageMeshListName = L"image_mesh_list.txt";
const std::wstring DsmExtendedListName = L"dsm_extended_list.txt";
const std::wstring DsmMeshForEditingListName = L"dsm_mesh_for_editing_list.txt";
const std::wstring DsmMeshListName = L"dsm_mesh_list.txt";
const std::wstring DsmMeshMergedIter0ListName = L"dsm_mesh_merged_iter0_list.txt";
const std::wstring DsmMeshMergedIter1ListName = L"dsm_mesh_merged_iter1_list.txt";
const std::wstring DsmMeshUntexturedListName = L"dsm_mesh_untextured_list.txt";
const std::wstring DsmRawListName = L"dsm_raw_list.txt";
const std::wstring LidarListName = L"lidar_list.txt";
const std::wstring MeshListName = L"mesh_list.txt";
const std::wstring MeshMergedIter0ListName = L"mesh_merged_iter0_list.txt";
const std::wstring MeshMergedIter1ListName = L"mesh_merged_iter1_list.txt";
const std::wstring MeshUntexturedListName = L"mesh_untextured_list.txt";
const std::wstring PointCloudListName = L"point_cloud_list.txt";
const std::wstring PointCloudMetaListName = L"point_cloud_meta_list.txt";
const std::wstring PointCloudRawListName = L"point_cloud_raw_list.txt";
const std::wstring PointCloudTempListName = L"point_cloud_temp_list.txt";
const std::wstring SubprojectListName = L"subproject_list.txt";
const std::wstring TrueOrthoListName = L"true_ortho_list.txt";
const std::wstring DsmMeshTexturedIter0ListName = L"dsm_mesh_textured_iter0_list.txt";
const std::wstring DsmMeshTexturedIter1ListName = L"dsm_mesh_textured_iter1_list.txt";
const std::wstring MeshTexturedIter0ListName = L"mesh_textured_iter0_list.txt";
const std::wstring MeshTexturedIter1ListName = L"mesh_textured_iter1_list.txt";
const std::wstring OrientationListName = L"orientation_list.txt";
const std::wstring OrientationIter0ListName = L"orientation_iter0_list.txt";
const std::wstring OrientationIter1ListName = L"orientation_iter1_list.txt";
const std::wstring OrientationIter2ListName = L"orientation_iter2_list.txt";
const std::wstring OrientationLevel0ListName = L"orientation_level0_list.txt";
const std::wstring OrientationLevelMaxListName = L"orientation_level_max_list.txt";
const std::wstring OrientationMeshListName = L"orientation_mesh_list.txt";
const std::wstring ResourcesDatabaseName = L"resources.vxdb";
const std::wstring ChronicleDatabaseName = L"chronicle.vxdb";
const std::wstring ColorAdjustmentName = L"color_adjustment.gcb";
const std::wstring CoordinateSystemName = L"coordinate_system.wkt";
const std::wstring LogName = L"log.txt";
const std::wstring TopologyListName = L"List.txt";
const std::wstring TopologyName = L"Topology.tif";
const std::wstring AreaShapeShpName = AreaShape + L".shp";
const std::wstring ClippedAreaShapeShpName = L"ClippedAreaShape.shp";
const std::wstring CorrectionShapeShpName = CorrectionShape + L".shp";
const std::wstring EditedAreaShapeShpName = L"Edited" + AreaShape + L".shp";
const std::wstring TilesShapeShpName = L"TilesShape.shp";
const std::wstring WaterBodyShapeShpName = L"WaterBodyShape.shp";

// Folders (relative to the project folder)
const std::wstring InternalDir = Internal;
const std::wstring ControlFilesDir = join(InternalDir, Control_Files);
const std::wstring DsmMeshMergedDir = join(InternalDir, DSM_Mesh_Merged);
const std::wstring DsmMeshMergedIter0Dir = join(DsmMeshMergedDir, Iter_0);
const std::wstring DsmMeshMergedIter1Dir = join(DsmMeshMergedDir, Iter_1);
const std::wstring DsmMeshUntexturedDir = join(InternalDir, DSM_Mesh_Untextured);
const std::wstring DsmRawDir = join(InternalDir, DSM_Raw);
const std::wstring DsmRawExtendedDir = join(DsmRawDir, DSM_Extended);
const std::wstring DsmRawRawDir = join(DsmRawDir, DSM_Raw);
const std::wstring EditorDir = join(InternalDir, Editor);
const std::wstring ImagesDir = join(InternalDir, Images);
const std::wstring ImagesColorDir = join(ImagesDir, Color);
const std::wstring ImagesMatchDir = join(ImagesDir, Match);
const std::wstring InitDir = join(InternalDir, Init);
const std::wstring LidarDir = join(InternalDir, LiDAR);
const std::wstring LidarTrajectoriesDir = join(LidarDir, Trajectories);
const std::wstring ListsDir = join(InternalDir, Lists);
const std::wstring MeshMergedDir = join(InternalDir, Mesh_Merged);
const std::wstring MeshMergedIter0Dir = join(MeshMergedDir, Iter_0);
const std::wstring MeshMergedIter1Dir = join(MeshMergedDir, Iter_1);
const std::wstring MeshUntexturedDir = join(InternalDir, Mesh_Untextured);
const std::wstring OrientationsDir = join(InternalDir, Orientations);
const std::wstring PointCloudRawDir = join(InternalDir, Point_Cloud_Raw);
const std::wstring RectDir = join(InternalDir, Rect);
const std::wstring SgmDir = join(InternalDir, SGM);
const std::wstring ShapefilesDir = join(InternalDir, Shapefiles);
const std::wstring SubprojectsDir = join(InternalDir, Subprojects);
const std::wstring TopologiesDir = join(InternalDir, Topologies);
const std::wstring ResultsDir = Results;
const std::wstring ResultsDsmDir = join(ResultsDir, DSM);
const std::wstring ResultsDsmMeshDir = join(ResultsDir, DSM_Mesh);
const std::wstring ResultsDsmMeshForEditingDir = join(ResultsDir, DSM_Mesh_For_Editing);
const std::wstring ResultsMeshDir = join(ResultsDir, Mesh);
const std::wstring ResultsPointCloudDir = join(ResultsDir, Point_Cloud);
const std::wstring ResultsTrueOrthoDir = join(ResultsDir, True_Ortho);
const std::wstring ResultsDsmMetainformationDir = join(ResultsDir, DSM_Metainformation);
const std::wstring ResultsDsmBinaryMaskDir = join(ResultsDsmMetainformationDir, DSM_Binary_Mask);
const std::wstring ResultsDsmCellPointCountDir = join(ResultsDsmMetainformationDir, DSM_Cell_Point_Count);
const std::wstring ResultsDsmCellStandardDeviationDir = join(ResultsDsmMetainformationDir, DSM_Cell_Standard_Deviation);
const std::wstring ResultsDsmDistanceMapDir = join(ResultsDsmMetainformationDir, DSM_Distance_Map);
const std::wstring ResultsDsmHeightColoredDir = join(ResultsDsmMetainformationDir, DSM_Height_Colored);
const std::wstring ResultsDsmPointColorDir = join(ResultsDsmMetainformationDir, DSM_Point_Color);
const std::wstring ResultsDsmPointColorInterpolatedDir = join(ResultsDsmMetainformationDir, DSM_Point_Color_Interpolated);
const std::wstring ResultsDsmPointModelCountDir = join(ResultsDsmMetainformationDir, DSM_Point_Model_Count);
const std::wstring ResultsDsmRoughnessDir = join(ResultsDsmMetainformationDir, DSM_Roughness);

std::vector<std::wstring> allFolders() {
  return {
      InternalDir,
      ControlFilesDir,
      DsmMeshMergedDir,
      DsmMeshMergedIter0Dir,
      DsmMeshMergedIter1Dir,
      DsmMeshUntexturedDir,
      DsmRawDir,
      DsmRawExtendedDir,
      DsmRawRawDir,
      EditorDir,
      ImagesDir,
      ImagesColorDir,
      ImagesMatchDir,
      InitDir,
      LidarDir,
      LidarTrajectoriesDir,
      ListsDir,
      MeshMergedDir,
      MeshMergedIter0Dir,
      MeshMergedIter1Dir,
      MeshUntexturedDir,
      OrientationsDir,
      PointCloudRawDir,
      RectDir,
      SgmDir,
      ShapefilesDir,
      SubprojectsDir,
      TopologiesDir,
      ResultsDir,
      ResultsDsmDir,
      ResultsDsmMeshDir,
      ResultsDsmMeshForEditingDir,
      ResultsMeshDir,
      ResultsPointCloudDir,
      ResultsTrueOrthoDir,
      ResultsDsmMetainformationDir,
      ResultsDsmBinaryMaskDir,
      ResultsDsmCellPointCountDir,
      ResultsDsmCellStandardDeviationDir,
      ResultsDsmDistanceMapDir,
      ResultsDsmHeightColoredDir,
      ResultsDsmPointColorDir,
      ResultsDsmPointColorInterpolatedDir,
      ResultsDsmPointModelCountDir,
      ResultsDsmRoughnessDir,
  };
}

// Files (relative to the project folder)
const std::wstring ProjectFile = join(L".", ProjectName);
const std::wstring ProjectBackupFile = join(L".", ProjectBackupName);
const std::wstring Control3DMeshFile = join(ControlFilesDir, Control3DMeshName);
const std::wstring ControlAreaFile = join(ControlFilesDir, ControlAreaName);
const std::wstring ControlBootstrapFile = join(ControlFilesDir, ControlBootstrapName);
const std::wstring ControlDsmFile = join(ControlFilesDir, ControlDsmName);
const std::wstring ControlDsmMeshFile = join(ControlFilesDir, ControlDsmMeshName);
const std::wstring ControlFusionFile = join(ControlFilesDir, ControlFusionName);
const std::wstring ControlInitFile = join(ControlFilesDir, ControlInitName);
const std::wstring ControlInvalidateFile = join(ControlFilesDir, ControlInvalidateName);
const std::wstring ControlMeshTexturingFile = join(ControlFilesDir, ControlMeshTexturingName);
const std::wstring ControlRectFile = join(ControlFilesDir, ControlRectName);
const std::wstring ControlSgmFile = join(ControlFilesDir, ControlSgmName);
const std::wstring ControlTriangFile = join(ControlFilesDir, ControlTriangName);
const std::wstring ControlTrueOrthoFile = join(ControlFilesDir, ControlTrueOrthoName);
const std::wstring ImageColorListFile = join(ImagesColorDir, ImageColorListName);
const std::wstring ImageColorIter0ListFile = join(ImagesColorDir, ImageColorIter0ListName);
const std::wstring ImageColorIter1ListFile = join(ImagesColorDir, ImageColorIter1ListName);
const std::wstring ImageColorIter2ListFile = join(ImagesColorDir, ImageColorIter2ListName);
const std::wstring ImageColorLevelMaxListFile = join(ImagesColorDir, ImageColorLevelMaxListName);
const std::wstring ImageMatchListFile = join(ImagesMatchDir, ImageMatchListName);
const std::wstring ImageMeshListFile = join(ImagesMatchDir, ImageMeshListName);
const std::wstring DsmExtendedListFile = join(ListsDir, DsmExtendedListName);
const std::wstring DsmMeshForEditingListFile = join(ListsDir, DsmMeshForEditingListName);
const std::wstring DsmMeshListFile = join(ListsDir, DsmMeshListName);
const std::wstring DsmMeshMergedIter0ListFile = join(ListsDir, DsmMeshMergedIter0ListName);
const std::wstring DsmMeshMergedIter1ListFile = join(ListsDir, DsmMeshMergedIter1ListName);
const std::wstring DsmMeshUntexturedListFile = join(ListsDir, DsmMeshUntexturedListName);
const std::wstring DsmRawListFile = join(ListsDir, DsmRawListName);
const std::wstring LidarListFile = join(ListsDir, LidarListName);
const std::wstring MeshListFile = join(ListsDir, MeshListName);
const std::wstring MeshMergedIter0ListFile = join(ListsDir, MeshMergedIter0ListName);
const std::wstring MeshMergedIter1ListFile = join(ListsDir, MeshMergedIter1ListName);
const std::wstring MeshUntexturedListFile = join(ListsDir, MeshUntexturedListName);
const std::wstring PointCloudListFile = join(ListsDir, PointCloudListName);
const std::wstring PointCloudMetaListFile = join(ListsDir, PointCloudMetaListName);
const std::wstring PointCloudRawListFile = join(ListsDir, PointCloudRawListName);
const std::wstring PointCloudTempListFile = join(ListsDir, PointCloudTempListName);
const std::wstring SubprojectListFile = join(ListsDir, SubprojectListName);
const std::wstring TrueOrthoListFile = join(ListsDir, TrueOrthoListName);
const std::wstring OrientationListFile = join(OrientationsDir, OrientationListName);
const std::wstring OrientationIter0ListFile = join(OrientationsDir, OrientationIter0ListName);
const std::wstring OrientationIter1ListFile = join(OrientationsDir, OrientationIter1ListName);
const std::wstring OrientationIter2ListFile = join(OrientationsDir, OrientationIter2ListName);
const std::wstring OrientationLevel0ListFile = join(OrientationsDir, OrientationLevel0ListName);
const std::wstring OrientationLevelMaxListFile = join(OrientationsDir, OrientationLevelMaxListName);
const std::wstring OrientationMeshListFile = join(OrientationsDir, OrientationMeshListName);
const std::wstring AreaShapeFile = join(ShapefilesDir, AreaShapeShpName);
const std::wstring ClippedAreaShapeFile = join(ShapefilesDir, ClippedAreaShapeShpName);
const std::wstring CorrectionShapeFile = join(ShapefilesDir, CorrectionShapeShpName);
const std::wstring TilesShapeFile = join(ShapefilesDir, TilesShapeShpName);
const std::wstring WaterBodyShapeFile = join(ShapefilesDir, WaterBodyShapeShpName);
const std::wstring TopologyListFile = join(TopologiesDir, TopologyListName);
const std::wstring TopologyFile = join(TopologiesDir, TopologyName);
const std::wstring ResourcesDatabaseFile = join(InternalDir, ResourcesDatabaseName);
const std::wstring ChronicleDatabaseFile = join(InternalDir, ChronicleDatabaseName);
const std::wstring ColorAdjustmentFile = join(InternalDir, ColorAdjustmentName);
const std::wstring CoordinateSystemFile = join(InternalDir, CoordinateSystemName);
const std::wstring LogFile = join(InternalDir, LogName);

}  // namespace layout
