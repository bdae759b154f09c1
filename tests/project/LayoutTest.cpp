#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "project/Layout.h"
#include "vx/VEXAProject.h"

namespace {
const std::wstring sep(1, static_cast<wchar_t>(QDir::separator().unicode()));
}

class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void joinRules_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("joined");
    const QString s = QString::fromStdWString(sep);
    QTest::newRow("plain") << "a" << "b" << "a" + s + "b";
    QTest::newRow("empty left") << "" << "b" << "b";
    QTest::newRow("left ends in slash") << "a/" << "b" << "a/b";
    QTest::newRow("left ends in backslash") << "a\\" << "b" << "a\\b";
    QTest::newRow("right starts with slash") << "a" << "/b" << "a/b";
  }
  void joinRules() {
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(QString, joined);
    QCOMPARE(QString::fromStdWString(layout::join(left.toStdWString(), right.toStdWString())), joined);
  }

  void composedConstantsHaveExactlyOneSeparator() {
    using namespace layout;
    QVERIFY(ControlFilesDir == Internal + sep + Control_Files);
    QVERIFY(DsmRawExtendedDir == join(DsmRawDir, DSM_Extended));
    QVERIFY(DsmRawExtendedDir == Internal + sep + DSM_Raw + sep + DSM_Extended);
    QVERIFY(DsmRawRawDir == Internal + sep + DSM_Raw + sep + DSM_Raw);
    QVERIFY(ImageColorListFile == Internal + sep + Images + sep + Color + sep + L"image_color_list.txt");
    QVERIFY(DsmMeshForEditingListFile == Internal + sep + Lists + sep + L"dsm_mesh_for_editing_list.txt");
    QVERIFY(ResultsDsmMeshForEditingDir == Results + sep + DSM_Mesh_For_Editing);
    QVERIFY(ResultsDsmRoughnessDir == Results + sep + DSM_Metainformation + sep + L"DSM_Roughness");
    QVERIFY(MeshMergedIter1Dir == Internal + sep + Mesh_Merged + sep + Iter_1);
    QVERIFY(CorrectionShapeFile == Internal + sep + Shapefiles + sep + L"CorrectionShape.shp");
    QVERIFY(TopologyFile == Internal + sep + Topologies + sep + L"Topology.tif");
    QVERIFY(ResourcesDatabaseFile == Internal + sep + L"resources.vxdb");
    QVERIFY(ChronicleDatabaseFile == Internal + sep + L"chronicle.vxdb");
    QVERIFY(LogFile == Internal + sep + L"log.txt");
    QVERIFY(SubprojectListFile == join(ListsDir, L"subproject_list.txt"));
    QVERIFY(OrientationIter0ListFile == join(OrientationsDir, L"orientation_iter0_list.txt"));
    for (const std::wstring* path : {&ControlFilesDir, &DsmRawExtendedDir, &ImageColorListFile,
                                     &ResultsDsmPointColorInterpolatedDir, &LidarTrajectoriesDir,
                                     &ControlTrueOrthoFile, &WaterBodyShapeFile}) {
      QVERIFY(path->find(sep + sep) == std::wstring::npos);
    }
  }

  void allFoldersHoldsEveryFolderParentsFirst() {
    using namespace layout;
    const std::vector<std::wstring> folders = allFolders();
    const std::vector<const std::wstring*> constants{
        &InternalDir, &ControlFilesDir, &DsmMeshMergedDir, &DsmMeshMergedIter0Dir, &DsmMeshMergedIter1Dir,
        &DsmMeshUntexturedDir, &DsmRawDir, &DsmRawExtendedDir, &DsmRawRawDir, &EditorDir, &ImagesDir,
        &ImagesColorDir, &ImagesMatchDir, &InitDir, &LidarDir, &LidarTrajectoriesDir, &ListsDir, &MeshMergedDir,
        &MeshMergedIter0Dir, &MeshMergedIter1Dir, &MeshUntexturedDir, &OrientationsDir, &PointCloudRawDir, &RectDir,
        &SgmDir, &ShapefilesDir, &SubprojectsDir, &TopologiesDir, &ResultsDir, &ResultsDsmDir, &ResultsDsmMeshDir,
        &ResultsDsmMeshForEditingDir, &ResultsMeshDir, &ResultsPointCloudDir, &ResultsTrueOrthoDir,
        &ResultsDsmMetainformationDir, &ResultsDsmBinaryMaskDir, &ResultsDsmCellPointCountDir,
        &ResultsDsmCellStandardDeviationDir, &ResultsDsmDistanceMapDir, &ResultsDsmHeightColoredDir,
        &ResultsDsmPointColorDir, &ResultsDsmPointColorInterpolatedDir, &ResultsDsmPointModelCountDir,
        &ResultsDsmRoughnessDir};
    for (const std::wstring* folder : constants) {
      QVERIFY2(std::count(folders.begin(), folders.end(), *folder) == 1, layout::toUtf8(*folder).c_str());
    }
    QCOMPARE(folders.size(), constants.size());

    // Creating the folders one level at a time in this order must always find the parent in place.
    for (auto it = folders.begin(); it != folders.end(); ++it) {
      const size_t cut = it->rfind(sep);
      if (cut == std::wstring::npos) continue;
      const std::wstring parent = it->substr(0, cut);
      QVERIFY2(std::find(folders.begin(), it, parent) != it, layout::toUtf8(*it).c_str());
    }
  }

  void utf8Conversions() {
    const QString text = QString::fromUtf8("Ordner_\xC3\xBC_\xE2\x82\xAC_\xF0\x9F\x98\x80");
    QCOMPARE(QByteArray::fromStdString(layout::toUtf8(text.toStdWString())), text.toUtf8());
    QCOMPARE(QString::fromStdWString(layout::fromUtf8(text.toStdString())), text);
  }

  void projectPathsLieInTheProjectFolder() {
    QTemporaryDir dir;
    vx::VEXAProject project;
    QCOMPARE(project.setOutputFolder(dir.path().toStdString(), 0, 0), 0);
    const QString folder = QDir::toNativeSeparators(dir.path());
    QCOMPARE(layout::projectPath(project, layout::ProjectFile), folder + QDir::separator() + "Project.vpr");
    QCOMPARE(layout::projectPath(project, layout::ResourcesDatabaseFile),
             QDir::toNativeSeparators(dir.filePath("Internal/resources.vxdb")));
  }
};

QTEST_GUILESS_MAIN(LayoutTest)
#include "LayoutTest.moc"
