#pragma once

// The project folder layout: process-wide, immutable paths relative to the project folder.
//
// Naming: a folder or name part as spelled on disk (`DSM_Raw`); a file name with the suffix `Name`
// (`LogName` is "log.txt"); a path relative to the project folder with the suffix `Dir` for folders
// and `File` for files (`LogFile` is Internal/log.txt). Composed paths use join().

#include <QString>
#include <string>
#include <vector>

namespace vx {
class VEXAProject;
}

namespace layout {

// Inserts the native separator between the parts unless `left` is empty or ends in '/' or '\\',
// or `right` starts with one.
std::wstring join(const std::wstring& left, const std::wstring& right);

std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);

// The absolute, cleaned path of a layout constant inside the project's folder, native separators.
QString projectPath(const vx::VEXAProject& project, const std::wstring& relative);

// Folder names
extern const std::wstring Internal;
extern const std::wstring Control_Files;
extern const std::wstring DSM_Mesh_Merged;
extern const std::wstring Iter_0;
extern const std::wstring Iter_1;
extern const std::wstring DSM_Mesh_Untextured;
extern const std::wstring DSM_Raw;
extern const std::wstring DSM_Extended;
extern const std::wstring Editor;
extern const std::wstring Images;
extern const std::wstring Color;
extern const std::wstring Match;
extern const std::wstring Init;
extern const std::wstring LiDAR;
extern const std::wstring Trajectories;
extern const std::wstring Lists;
extern const std::wstring Mesh_Merged;
extern const std::wstring Mesh_Untextured;
extern const std::wstring Orientations;
extern const std::wstring Point_Cloud_Raw;
extern const std::wstring Rect;
extern const std::wstring SGM;
extern const std::wstring Shapefiles;
extern const std::wstring Subprojects;
extern const std::wstring Topologies;
extern const std::wstring Results;
extern const std::wstring DSM;
extern const std::wstring DSM_Mesh;
extern const std::wstring DSM_Mesh_For_Editing;
extern const std::wstring Mesh;
extern const std::wstring Point_Cloud;
extern const std::wstring True_Ortho;
extern const std::wstring DSM_Metainformation;
extern const std::wstring DSM_Binary_Mask;
extern const std::wstring DSM_Cell_Point_Count;
extern const std::wstring DSM_Cell_Standard_Deviation;
extern const std::wstring DSM_Distance_Map;
extern const std::wstring DSM_Height_Colored;
extern const std::wstring DSM_Point_Color;
extern const std::wstring DSM_Point_Color_Interpolated;
extern const std::wstring DSM_Point_Model_Count;
extern const std::wstring DSM_Roughness;

// Name parts
extern const std::wstring AreaShape;
extern const std::wstring CorrectionShape;
extern const std::wstring Buffer_Tiles;
extern const std::wstring DSM_PMC;
extern const std::wstring DSM_CPC;
extern const std::wstring DSM_CSD;
extern const std::wstring DSM_PCI;

// File names
extern const std::wstring ProjectName;
extern const std::wstring ProjectBackupName;
extern const std::wstring Control3DMeshName;
extern const std::wstring ControlAreaName;
extern const std::wstring ControlBootstrapName;
extern const std::wstring ControlDsmName;
extern const std::wstring ControlDsmMeshName;
extern const std::wstring ControlFusionName;
extern const std::wstring ControlInitName;
extern const std::wstring ControlInvalidateName;
extern const std::wstring ControlMeshTexturingName;
extern const std::wstring ControlRectName;
extern const std::wstring ControlSgmName;
extern const std::wstring ControlTriangName;
extern const std::wstring ControlTrueOrthoName;
extern const std::wstring ImageColorListName;
extern const std::wstring ImageColorIter0ListName;
extern const std::wstring ImageColorIter1ListName;
extern const std::wstring ImageColorIter2ListName;
extern const std::wstring ImageColorLevelMaxListName;
extern const std::wstring ImageMatchListName;
extern const std::wstring ImageMeshListName;
extern const std::wstring DsmExtendedListName;
extern const std::wstring DsmMeshForEditingListName;
extern const std::wstring DsmMeshListName;
extern const std::wstring DsmMeshMergedIter0ListName;
extern const std::wstring DsmMeshMergedIter1ListName;
extern const std::wstring DsmMeshUntexturedListName;
extern const std::wstring DsmRawListName;
extern const std::wstring LidarListName;
extern const std::wstring MeshListName;
extern const std::wstring MeshMergedIter0ListName;
extern const std::wstring MeshMergedIter1ListName;
extern const std::wstring MeshUntexturedListName;
extern const std::wstring PointCloudListName;
extern const std::wstring PointCloudMetaListName;
extern const std::wstring PointCloudRawListName;
extern const std::wstring PointCloudTempListName;
extern const std::wstring SubprojectListName;
extern const std::wstring TrueOrthoListName;
extern const std::wstring DsmMeshTexturedIter0ListName;
extern const std::wstring DsmMeshTexturedIter1ListName;
extern const std::wstring MeshTexturedIter0ListName;
extern const std::wstring MeshTexturedIter1ListName;
extern const std::wstring OrientationListName;
extern const std::wstring OrientationIter0ListName;
extern const std::wstring OrientationIter1ListName;
extern const std::wstring OrientationIter2ListName;
extern const std::wstring OrientationLevel0ListName;
extern const std::wstring OrientationLevelMaxListName;
extern const std::wstring OrientationMeshListName;
extern const std::wstring ResourcesDatabaseName;
extern const std::wstring ChronicleDatabaseName;
extern const std::wstring ColorAdjustmentName;
extern const std::wstring CoordinateSystemName;
extern const std::wstring LogName;
extern const std::wstring TopologyListName;
extern const std::wstring TopologyName;
extern const std::wstring AreaShapeShpName;
extern const std::wstring ClippedAreaShapeShpName;
extern const std::wstring CorrectionShapeShpName;
extern const std::wstring EditedAreaShapeShpName;
extern const std::wstring TilesShapeShpName;
extern const std::wstring WaterBodyShapeShpName;

// Folders (relative to the project folder)
extern const std::wstring InternalDir;
extern const std::wstring ControlFilesDir;
extern const std::wstring DsmMeshMergedDir;
extern const std::wstring DsmMeshMergedIter0Dir;
extern const std::wstring DsmMeshMergedIter1Dir;
extern const std::wstring DsmMeshUntexturedDir;
extern const std::wstring DsmRawDir;
extern const std::wstring DsmRawExtendedDir;
extern const std::wstring DsmRawRawDir;
extern const std::wstring EditorDir;
extern const std::wstring ImagesDir;
extern const std::wstring ImagesColorDir;
extern const std::wstring ImagesMatchDir;
extern const std::wstring InitDir;
extern const std::wstring LidarDir;
extern const std::wstring LidarTrajectoriesDir;
extern const std::wstring ListsDir;
extern const std::wstring MeshMergedDir;
extern const std::wstring MeshMergedIter0Dir;
extern const std::wstring MeshMergedIter1Dir;
extern const std::wstring MeshUntexturedDir;
extern const std::wstring OrientationsDir;
extern const std::wstring PointCloudRawDir;
extern const std::wstring RectDir;
extern const std::wstring SgmDir;
extern const std::wstring ShapefilesDir;
extern const std::wstring SubprojectsDir;
extern const std::wstring TopologiesDir;
extern const std::wstring ResultsDir;
extern const std::wstring ResultsDsmDir;
extern const std::wstring ResultsDsmMeshDir;
extern const std::wstring ResultsDsmMeshForEditingDir;
extern const std::wstring ResultsMeshDir;
extern const std::wstring ResultsPointCloudDir;
extern const std::wstring ResultsTrueOrthoDir;
extern const std::wstring ResultsDsmMetainformationDir;
extern const std::wstring ResultsDsmBinaryMaskDir;
extern const std::wstring ResultsDsmCellPointCountDir;
extern const std::wstring ResultsDsmCellStandardDeviationDir;
extern const std::wstring ResultsDsmDistanceMapDir;
extern const std::wstring ResultsDsmHeightColoredDir;
extern const std::wstring ResultsDsmPointColorDir;
extern const std::wstring ResultsDsmPointColorInterpolatedDir;
extern const std::wstring ResultsDsmPointModelCountDir;
extern const std::wstring ResultsDsmRoughnessDir;

// Every folder above, parents before children, so that creating them in order never skips a level.
std::vector<std::wstring> allFolders();

// Files (relative to the project folder)
extern const std::wstring ProjectFile;
extern const std::wstring ProjectBackupFile;
extern const std::wstring Control3DMeshFile;
extern const std::wstring ControlAreaFile;
extern const std::wstring ControlBootstrapFile;
extern const std::wstring ControlDsmFile;
extern const std::wstring ControlDsmMeshFile;
extern const std::wstring ControlFusionFile;
extern const std::wstring ControlInitFile;
extern const std::wstring ControlInvalidateFile;
extern const std::wstring ControlMeshTexturingFile;
extern const std::wstring ControlRectFile;
extern const std::wstring ControlSgmFile;
extern const std::wstring ControlTriangFile;
extern const std::wstring ControlTrueOrthoFile;
extern const std::wstring ImageColorListFile;
extern const std::wstring ImageColorIter0ListFile;
extern const std::wstring ImageColorIter1ListFile;
extern const std::wstring ImageColorIter2ListFile;
extern const std::wstring ImageColorLevelMaxListFile;
extern const std::wstring ImageMatchListFile;
extern const std::wstring ImageMeshListFile;
extern const std::wstring DsmExtendedListFile;
extern const std::wstring DsmMeshForEditingListFile;
extern const std::wstring DsmMeshListFile;
extern const std::wstring DsmMeshMergedIter0ListFile;
extern const std::wstring DsmMeshMergedIter1ListFile;
extern const std::wstring DsmMeshUntexturedListFile;
extern const std::wstring DsmRawListFile;
extern const std::wstring LidarListFile;
extern const std::wstring MeshListFile;
extern const std::wstring MeshMergedIter0ListFile;
extern const std::wstring MeshMergedIter1ListFile;
extern const std::wstring MeshUntexturedListFile;
extern const std::wstring PointCloudListFile;
extern const std::wstring PointCloudMetaListFile;
extern const std::wstring PointCloudRawListFile;
extern const std::wstring PointCloudTempListFile;
extern const std::wstring SubprojectListFile;
extern const std::wstring TrueOrthoListFile;
extern const std::wstring OrientationListFile;
extern const std::wstring OrientationIter0ListFile;
extern const std::wstring OrientationIter1ListFile;
extern const std::wstring OrientationIter2ListFile;
extern const std::wstring OrientationLevel0ListFile;
extern const std::wstring OrientationLevelMaxListFile;
extern const std::wstring OrientationMeshListFile;
extern const std::wstring AreaShapeFile;
extern const std::wstring ClippedAreaShapeFile;
extern const std::wstring CorrectionShapeFile;
extern const std::wstring TilesShapeFile;
extern const std::wstring WaterBodyShapeFile;
extern const std::wstring TopologyListFile;
extern const std::wstring TopologyFile;
extern const std::wstring ResourcesDatabaseFile;
extern const std::wstring ChronicleDatabaseFile;
extern const std::wstring ColorAdjustmentFile;
extern const std::wstring CoordinateSystemFile;
extern const std::wstring LogFile;

}  // namespace layout
