#include <QTemporaryDir>
#include <QTest>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <functional>

#include "TestProjects.h"
#include "vx/MeshIO.h"
#include "vx/VEXAProject.h"

using testprojects::readText;
using testprojects::writeText;
using namespace vx::steps;
namespace meshio = vx::meshio;

using Change = std::function<void(vx::VEXAProject&)>;
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(std::vector<vx::steps::Steps>)

namespace {

const char* const kWkt =
    "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],PRIMEM[\"Greenwich\",0],"
    "UNIT[\"degree\",0.0174532925199433]]";

QString invalidArgument(const std::function<void()>& run) {
  try {
    run();
  } catch (const std::invalid_argument& e) {
    return QString::fromUtf8(e.what());
  }
  return "no exception";
}

void finishAllSteps(vx::VEXAProject& project) {
  for (Steps step : kAllSteps) project.setStepStatus(step, Done);
}

std::vector<Steps> resetSteps(const vx::VEXAProject& project) {
  std::vector<Steps> reset;
  for (Steps step : kAllSteps) {
    if (project.stepStatus(step) != Done) reset.push_back(step);
  }
  return reset;
}

// Every setting away from its default.
void changeEverySetting(vx::VEXAProject& p) {
  p.setCoordinateSystem(kWkt);
  p.setTileSize(62.5);
  p.setTileSizeAuto(true);
  p.setGroundSampleDistance(0.07);
  p.setGsdAuto(true);
  p.setInterpolationGsdMultiplier(3);
  p.setPointFormatIndex(1);
  p.setAxisRange(0, -10.5, 20.25);
  p.setAxisRange(2, 1, 2);
  p.setArea({{-10.5, 5, 1}}, {{20.25, 6, 2}});
  p.setAreaShapefile("Internal/Shapefiles/Area Ü.shp");
  p.setWaterbodyShapefile("/data/water.shp");
  p.setEstimateWaterbodyHeights(true);
  p.setCorrectionShapefile("Internal/Editor/CorrectionShape.shp");
  p.setGlobalColorBalancing(true);
  p.setColorAdjustmentFile("colors.gcb");
  p.setUseTerrainHeight(true);
  p.setTerrainHeight(-12.75);
  p.setUseLidar(true);
  p.setLidarListPath("lidar.lst");
  p.setSubprojectSizeAuto(false);
  p.setSubprojectSize(17);
  p.setForce8BitColor(true);
  p.setRequiredPointsPerCell(4);
  p.setDepthBuffer(9);
  for (int which = 0; which < vx::kDsmExportCount; which += 2) p.setDsmExport(vx::DsmExport(which), true);
  p.setMeshFormatWritten(meshio::OSGB, false);
  p.setMeshFormatWritten(meshio::OBJ, true);
  p.setMeshFormatWritten(meshio::Tiles3D, true);
  p.setTextureFormat(meshio::OBJ, meshio::TIF);
  p.setTextureFormat(meshio::OSGB, meshio::JPG_DDS);
  p.setCesiumOverImposeHeights(true);
  p.setCesiumDracoCompression(true);
  p.setDistributedDenseMatching(true);
  p.setDistributedProcessing(true);
  p.setAreaBasedImageSelection(true);
  p.setModeValue(2);
  p.setStepActive(Mesh, false);
  p.setStepStatus(DSM, Started);
  p.setStepStatus(Analysis, Done);
}

void compareSettings(const vx::VEXAProject& a, const vx::VEXAProject& b) {
  QCOMPARE(a.coordinateSystemWkt(), b.coordinateSystemWkt());
  QCOMPARE(a.tileSize(), b.tileSize());
  QCOMPARE(a.isTileSizeAuto(), b.isTileSizeAuto());
  QCOMPARE(a.groundSampleDistance(), b.groundSampleDistance());
  QCOMPARE(a.isGsdAuto(), b.isGsdAuto());
  QCOMPARE(a.interpolationGsdMultiplier(), b.interpolationGsdMultiplier());
  QCOMPARE(a.pointFormatIndex(), b.pointFormatIndex());
  for (int axis = 0; axis < 3; ++axis) {
    QCOMPARE(a.axisRange(axis), b.axisRange(axis));
    QCOMPARE(a.isAxisAuto(axis), b.isAxisAuto(axis));
  }
  QCOMPARE(a.areaShapefile(), b.areaShapefile());
  QCOMPARE(a.waterbodyShapefile(), b.waterbodyShapefile());
  QCOMPARE(a.estimateWaterbodyHeights(), b.estimateWaterbodyHeights());
  QCOMPARE(a.correctionShapefile(), b.correctionShapefile());
  QCOMPARE(a.globalColorBalancing(), b.globalColorBalancing());
  QCOMPARE(a.colorAdjustmentFile(), b.colorAdjustmentFile());
  QCOMPARE(a.useTerrainHeight(), b.useTerrainHeight());
  QVERIFY(a.terrainHeight() == b.terrainHeight() || (std::isnan(a.terrainHeight()) && std::isnan(b.terrainHeight())));
  QCOMPARE(a.useLidar(), b.useLidar());
  QCOMPARE(a.lidarListPath(), b.lidarListPath());
  QCOMPARE(a.isSubprojectSizeAuto(), b.isSubprojectSizeAuto());
  QCOMPARE(a.subprojectSize(), b.subprojectSize());
  QCOMPARE(a.force8BitColor(), b.force8BitColor());
  QCOMPARE(a.requiredPointsPerCell(), b.requiredPointsPerCell());
  QCOMPARE(a.depthBuffer(), b.depthBuffer());
  for (int which = 0; which < vx::kDsmExportCount; ++which) {
    QCOMPARE(a.dsmExport(vx::DsmExport(which)), b.dsmExport(vx::DsmExport(which)));
  }
  for (meshio::MeshFileFormat format : meshio::allMeshFileFormats()) {
    QCOMPARE(a.isMeshFormatWritten(format), b.isMeshFormatWritten(format));
    QCOMPARE(int(a.textureFormat(format)), int(b.textureFormat(format)));
  }
  QCOMPARE(a.cesiumOverImposeHeights(), b.cesiumOverImposeHeights());
  QCOMPARE(a.cesiumDracoCompression(), b.cesiumDracoCompression());
  QCOMPARE(a.distributedDenseMatching(), b.distributedDenseMatching());
  QCOMPARE(a.distributedProcessing(), b.distributedProcessing());
  QCOMPARE(a.areaBasedImageSelection(), b.areaBasedImageSelection());
  QCOMPARE(a.modeValue(), b.modeValue());
  for (Steps step : kAllSteps) {
    QCOMPARE(a.isStepActive(step), b.isStepActive(step));
    QCOMPARE(a.stepStatus(step), b.stepStatus(step));
  }
}

// A project of 9 nadir cameras 100 m above the ground at x = 0, 50, ..., 400 (y = 0), each seeing
// 80 m x 60 m of the ground at height 0.
void makeCameraRow(vx::VEXAProject& project, const QString& folder) {
  QVERIFY(QDir().mkpath(folder + "/Internal/Orientations"));
  QCOMPARE(project.setOutputFolder(folder.toStdString(), 0, 0), 0);
  for (int i = 0; i < 9; ++i) {
    const std::string name = "img" + std::to_string(i);
    const std::string ori = "Internal/Orientations/" + name + ".ori";
    testprojects::nadirOrientation(name + ".jpg", i * 50.0).writeFile(folder.toStdString() + "/" + ori);
    project.addImage({name + ".jpg", "Images/" + name + ".jpg", ori, true});
  }
}

std::vector<bool> selection(const vx::VEXAProject& project) {
  std::vector<bool> flags;
  for (size_t i = 0; i < project.imageCount(); ++i) flags.push_back(project.isImageSelected(project.image(i)));
  return flags;
}

std::vector<bool> onlyImages(std::initializer_list<int> kept) {
  std::vector<bool> flags(9, false);
  for (int i : kept) flags[size_t(i)] = true;
  return flags;
}

// A polygon shapefile with one rectangle.
void writeRectangleShapefile(const QString& path, double minX, double minY, double maxX, double maxY) {
  GDALAllRegister();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile");
  GDALDataset* dataset = driver->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr);
  OGRLayer* layer = dataset->CreateLayer("area", nullptr, wkbPolygon, nullptr);
  OGRLinearRing ring;
  ring.addPoint(minX, minY);
  ring.addPoint(maxX, minY);
  ring.addPoint(maxX, maxY);
  ring.addPoint(minX, maxY);
  ring.closeRings();
  OGRPolygon polygon;
  polygon.addRing(&ring);
  OGRFeature* feature = OGRFeature::CreateFeature(layer->GetLayerDefn());
  feature->SetGeometry(&polygon);
  QCOMPARE(layer->CreateFeature(feature), OGRERR_NONE);
  OGRFeature::DestroyFeature(feature);
  GDALClose(dataset);
}

}  // namespace

class ProjectSettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void everySettingSurvivesSaveAndLoad() {
    QTemporaryDir dir;
    vx::VEXAProject project;
    changeEverySetting(project);
    const QString path = dir.filePath("Project.vpr");
    project.saveProjectFile(path.toStdString());
    vx::VEXAProject read;
    read.loadProjectFile(path.toStdString());
    compareSettings(read, project);
    // What the file holds is exactly what was read: a second save writes the same text.
    read.saveProjectFile(dir.filePath("Again.vpr").toStdString());
    QCOMPARE(readText(dir.filePath("Again.vpr")), readText(path));

    // A file of an older editor, without any of these elements, reads with the defaults.
    writeText(path, "<VEXAProject><version>2</version><tileSize>50</tileSize><future>kept quiet</future></VEXAProject>");
    read.loadProjectFile(path.toStdString());
    vx::VEXAProject defaults;
    defaults.setTileSize(50);
    compareSettings(read, defaults);
    QVERIFY(std::isnan(read.terrainHeight()));
    QVERIFY(read.isMeshFormatWritten(meshio::OSGB) && !read.isMeshFormatWritten(meshio::OBJ));
  }

  void saveProjectWritesIntoTheProjectFolder() {
    QTemporaryDir dir;
    vx::VEXAProject project;
    QVERIFY_EXCEPTION_THROWN(project.saveProject(), std::runtime_error);
    QCOMPARE(project.setOutputFolder(dir.path().toStdString(), 0, 0), 0);
    project.setDepthBuffer(7);
    project.saveProject();
    vx::VEXAProject read;
    read.loadProjectFile(dir.filePath("Project.vpr").toStdString());
    QCOMPARE(read.depthBuffer(), 7);
  }

  void invalidValuesAreRefusedAndChangeNothing_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("message");
    QTest::newRow("tile size 0") << Change([](auto& p) { p.setTileSize(0); }) << "The tile size must be a positive number: 0";
    QTest::newRow("tile size NaN") << Change([](auto& p) { p.setTileSize(std::nan("")); })
                                   << "The tile size must be a positive number: none";
    QTest::newRow("negative GSD") << Change([](auto& p) { p.setGroundSampleDistance(-1); })
                                  << "The ground sample distance must be a positive number: -1";
    QTest::newRow("multiplier 0") << Change([](auto& p) { p.setInterpolationGsdMultiplier(0); })
                                  << "The interpolation GSD multiplier must be 1 or more: 0";
    QTest::newRow("point format 2") << Change([](auto& p) { p.setPointFormatIndex(2); })
                                    << "The point format (0 las, 1 laz) must be 0 to 1: 2";
    QTest::newRow("subproject 0") << Change([](auto& p) { p.setSubprojectSize(0); })
                                  << "The subproject size [tiles per dimension] must be 1 to 100: 0";
    QTest::newRow("subproject 101") << Change([](auto& p) { p.setSubprojectSize(101); })
                                    << "The subproject size [tiles per dimension] must be 1 to 100: 101";
    QTest::newRow("points per cell") << Change([](auto& p) { p.setRequiredPointsPerCell(0); })
                                     << "The required points per cell must be 1 or more: 0";
    QTest::newRow("depth buffer") << Change([](auto& p) { p.setDepthBuffer(-3); })
                                  << "The depth buffer must be 1 or more: -3";
    QTest::newRow("infinite terrain") << Change([](auto& p) { p.setTerrainHeight(INFINITY); })
                                      << "The terrain height must be finite or none.";
    QTest::newRow("area not shp") << Change([](auto& p) { p.setAreaShapefile("area.txt"); })
                                  << "The area shape file must be a .shp file: area.txt";
    QTest::newRow("suffix case") << Change([](auto& p) { p.setAreaShapefile("area.SHP"); })
                                 << "The area shape file must be a .shp file: area.SHP";
    QTest::newRow("bare suffix") << Change([](auto& p) { p.setWaterbodyShapefile("dir/.shp"); })
                                 << "The waterbody shapefile must be a .shp file: dir/.shp";
    QTest::newRow("correction") << Change([](auto& p) { p.setCorrectionShapefile("c.dbf"); })
                                << "The correction shapefile must be a .shp file: c.dbf";
    QTest::newRow("color file") << Change([](auto& p) { p.setColorAdjustmentFile("c.shp"); })
                                << "The color adjustment file must be a .gcb file: c.shp";
    QTest::newRow("garbage WKT") << Change([](auto& p) { p.setCoordinateSystem("EPSG:4326"); })
                                 << "The coordinate system is not valid WKT (well-known text): \"EPSG:4326\"";
    QTest::newRow("WKT cut short") << Change([](auto& p) { p.setCoordinateSystem(std::string(kWkt).substr(0, 60)); })
                                   << "The coordinate system is not valid WKT";
    QTest::newRow("min above max") << Change([](auto& p) { p.setAxisRange(1, 5, 4); })
                                   << "The Y minimum of the project area (5) lies above its maximum (4).";
    QTest::newRow("NaN bound") << Change([](auto& p) { p.setAxisRange(2, std::nan(""), 4); })
                               << "The Z range of the project area must be finite numbers.";
    QTest::newRow("axis 3") << Change([](auto& p) { p.setAxisRange(3, 0, 1); }) << "There is no area axis 3.";
    QTest::newRow("texture for PLY") << Change([](auto& p) { p.setTextureFormat(meshio::PLY, meshio::DDS); })
                                     << "The mesh format PLY cannot carry dds textures.";
    QTest::newRow("unknown mesh format") << Change([](auto& p) { p.setMeshFormatWritten(meshio::MeshFileFormat(9), true); })
                                         << "There is no mesh format 9.";
  }
  void invalidValuesAreRefusedAndChangeNothing() {
    QFETCH(Change, change);
    QFETCH(QString, message);
    QTemporaryDir dir;
    vx::VEXAProject project;
    changeEverySetting(project);
    finishAllSteps(project);
    const QString before = dir.filePath("before.vpr");
    project.saveProjectFile(before.toStdString());
    const QString error = invalidArgument([&] { change(project); });
    QVERIFY2(error.startsWith(message), qPrintable(error));
    project.saveProjectFile(dir.filePath("after.vpr").toStdString());
    QCOMPARE(readText(dir.filePath("after.vpr")), readText(before));
  }

  void emptyPathsClearFiles() {
    vx::VEXAProject project;
    changeEverySetting(project);
    project.setAreaShapefile("");
    project.setColorAdjustmentFile("");
    project.setCoordinateSystem("");
    QVERIFY(project.areaShapefile().empty() && project.colorAdjustmentFile().empty());
    QVERIFY(project.coordinateSystemWkt().empty());
  }

  void invalidValuesInTheFileNameTheirElement_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("subproject") << QByteArray("<subprojectSize>500</subprojectSize>")
                                << "is invalid: <subprojectSize>: The subproject size [tiles per dimension] must be 1 to 100: 500.";
    QTest::newRow("text for a number") << QByteArray("<depthBuffer>deep</depthBuffer>")
                                       << "is invalid: <depthBuffer> is not a whole number: \"deep\".";
    QTest::newRow("fraction for a number") << QByteArray("<depthBuffer>2.5</depthBuffer>")
                                           << "is invalid: <depthBuffer> is not a whole number: \"2.5\".";
    QTest::newRow("flag") << QByteArray("<useLidar>maybe</useLidar>") << "is invalid: <useLidar> must be true or false";
    QTest::newRow("wkt") << QByteArray("<coordinateSystem>nonsense</coordinateSystem>")
                         << "is invalid: <coordinateSystem>: The coordinate system is not valid WKT";
    QTest::newRow("suffix") << QByteArray("<areaShapefile>a.kml</areaShapefile>")
                            << "is invalid: <areaShapefile>: The area shape file must be a .shp file: a.kml.";
    QTest::newRow("axis flags") << QByteArray("<area><auto>true yes true</auto></area>")
                                << "is invalid: <area.auto> must hold three times true or false";
    QTest::newRow("manual axis upside down")
        << QByteArray("<area><min>5 0 0</min><max>4 1 1</max><auto>false true true</auto></area>")
        << "is invalid: <area> has a manual axis whose minimum lies above its maximum.";
    QTest::newRow("export flag") << QByteArray("<dsmExports><tfwFiles>2</tfwFiles></dsmExports>")
                                 << "is invalid: <dsmExports.tfwFiles> must be true or false";
    QTest::newRow("mesh format") << QByteArray("<meshFormats><format><name>STL</name></format></meshFormats>")
                                 << "is invalid: <meshFormats> names an unknown mesh format \"STL\".";
    QTest::newRow("texture") << QByteArray("<meshFormats><format><name>PLY</name><texture>dds</texture></format></meshFormats>")
                             << "is invalid: the texture format of PLY is not one it can carry: \"dds\".";
  }
  void invalidValuesInTheFileNameTheirElement() {
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("Project.vpr");
    writeText(path, "<VEXAProject><version>2</version>" + content + "</VEXAProject>");
    vx::VEXAProject project;
    project.setDepthBuffer(3);
    const QString message = testprojects::errorOf([&] { project.loadProjectFile(path.toStdString()); });
    QVERIFY2(message.startsWith("The project file " + path + " ") && message.contains(expected), qPrintable(message));
    QCOMPARE(project.depthBuffer(), 3);
  }

  void changesResetTheStepsThatDependOnThem_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<std::vector<Steps>>("reset");
    const std::vector<Steps> all(kAllSteps.begin(), kAllSteps.end());
    const std::vector<Steps> fromDsm = {DSM, TrueOrtho, DSMMesh, DSMMeshTexturing};
    QTest::newRow("tile size") << Change([](auto& p) { p.setTileSize(10); }) << all;
    QTest::newRow("tile size auto") << Change([](auto& p) { p.setTileSizeAuto(true); }) << all;
    QTest::newRow("wkt") << Change([](auto& p) { p.setCoordinateSystem(kWkt); }) << all;
    QTest::newRow("axis range") << Change([](auto& p) { p.setAxisRange(0, 1, 2); }) << all;
    QTest::newRow("axis auto") << Change([](auto& p) { p.setAxisAuto(2, false); }) << all;
    QTest::newRow("area") << Change([](auto& p) { p.setArea({{0, 0, 0}}, {{1, 1, 1}}); }) << all;
    QTest::newRow("area shapefile") << Change([](auto& p) { p.setAreaShapefile("a.shp"); }) << all;
    QTest::newRow("gsd") << Change([](auto& p) { p.setGroundSampleDistance(0.2); }) << all;
    QTest::newRow("terrain height") << Change([](auto& p) { p.setTerrainHeight(3); }) << all;
    QTest::newRow("area selection") << Change([](auto& p) { p.setAreaBasedImageSelection(true); }) << all;
    QTest::newRow("correction") << Change([](auto& p) { p.setCorrectionShapefile("c.shp"); }) << fromDsm;
    QTest::newRow("depth buffer") << Change([](auto& p) { p.setDepthBuffer(2); }) << fromDsm;
    QTest::newRow("export") << Change([](auto& p) { p.setDsmExport(vx::ExportLocalRoughness, true); }) << fromDsm;
    QTest::newRow("multiplier") << Change([](auto& p) { p.setInterpolationGsdMultiplier(2); }) << fromDsm;
    QTest::newRow("color balancing") << Change([](auto& p) { p.setGlobalColorBalancing(true); })
                                     << std::vector<Steps>{TrueOrtho, MeshTexturing, DSMMeshTexturing};
    QTest::newRow("lidar") << Change([](auto& p) { p.setUseLidar(true); })
                           << std::vector<Steps>{DSM, TrueOrtho, DSMMesh, Mesh, MeshTexturing, DSMMeshTexturing};
    QTest::newRow("mesh format") << Change([](auto& p) { p.setMeshFormatWritten(meshio::PLY, true); })
                                 << std::vector<Steps>{DSMMesh, Mesh, MeshTexturing, DSMMeshTexturing};
    QTest::newRow("texture format") << Change([](auto& p) { p.setTextureFormat(meshio::OSGB, meshio::PNG); })
                                    << std::vector<Steps>{DSMMesh, Mesh, MeshTexturing, DSMMeshTexturing};
    QTest::newRow("point format") << Change([](auto& p) { p.setPointFormatIndex(1); })
                                  << std::vector<Steps>{PointCloud, Mesh, MeshTexturing};
    QTest::newRow("distributed") << Change([](auto& p) { p.setDistributedProcessing(true); }) << std::vector<Steps>{};
    QTest::newRow("subproject") << Change([](auto& p) { p.setSubprojectSize(9); }) << std::vector<Steps>{};
    QTest::newRow("same value") << Change([](auto& p) { p.setTileSize(p.tileSize()); }) << std::vector<Steps>{};
    QTest::newRow("same none") << Change([](auto& p) { p.setTerrainHeight(std::nan("")); }) << std::vector<Steps>{};
    QTest::newRow("same auto") << Change([](auto& p) { p.setAxisAuto(0, true); }) << std::vector<Steps>{};
  }
  void changesResetTheStepsThatDependOnThem() {
    QFETCH(Change, change);
    QFETCH(std::vector<Steps>, reset);
    vx::VEXAProject project;
    finishAllSteps(project);
    change(project);
    std::sort(reset.begin(), reset.end());
    QCOMPARE(resetSteps(project), reset);
  }

  void effectiveGsdIsTheInterpolationCellLimitedPerTile() {
    vx::VEXAProject project;
    project.setTileSize(100);
    project.setGroundSampleDistance(0.05);
    project.setInterpolationGsdMultiplier(3);
    QCOMPARE(project.effectiveGsd(), 0.15);
    project.setGroundSampleDistance(0.001);
    project.setInterpolationGsdMultiplier(1);
    QCOMPARE(project.effectiveGsd(), 100 / vx::VEXAProject::kMaxCellsPerTileSide);
  }

  void areaQueriesAndComparison() {
    vx::VEXAProject project;
    QVERIFY(!project.hasManualArea() && !project.hasAreaShapefile() && !project.hasImageFootprintArea());
    project.setArea({{0, 0, 0}}, {{100, 50, 10}});
    QVERIFY(project.hasImageFootprintArea() && !project.hasManualArea());

    vx::VEXAProject edited;
    edited.copySettingsFrom(project);
    QVERIFY(edited.sameProjectArea(project));
    edited.setAxisRange(2, -5, 5);  // a manual height range is no 2D area
    QVERIFY(!edited.hasManualArea() && !edited.sameProjectArea(project));
    edited.setAxisRange(0, 10, 20);
    QVERIFY(edited.hasManualArea() && !edited.hasImageFootprintArea());
    QCOMPARE(edited.axisRange(0), std::make_pair(10.0, 20.0));
    QVERIFY(!edited.isAxisAuto(0) && edited.isAxisAuto(1));
    QCOMPARE(edited.areaMin()[0], 10.0);  // the corners are the axes' ranges

    vx::VEXAProject other;
    other.copySettingsFrom(edited);
    QVERIFY(other.sameProjectArea(edited));
    other.setAxisRange(0, 10, 21);
    QVERIFY(!other.sameProjectArea(edited));
    other.setAxisRange(0, 10, 20);
    other.setAreaShapefile("a.shp");
    QVERIFY(!other.sameProjectArea(edited) && other.hasAreaShapefile());
    // Automatic axes compare by flag only: their ranges come from the processing.
    vx::VEXAProject automatic = project;
    automatic.setArea({{1, 1, 1}}, {{2, 2, 2}});
    QVERIFY(automatic.sameProjectArea(project));
    // Back to automatic keeps the last range.
    edited.setAxisAuto(0, true);
    QCOMPARE(edited.axisRange(0), std::make_pair(10.0, 20.0));
    QVERIFY(edited.isAxisAuto(0));
  }

  void copySettingsTakesSettingsAndStepsButNotTheProjectsIdentity() {
    QTemporaryDir dir;
    vx::VEXAProject source;
    changeEverySetting(source);
    source.setName("source");
    source.addImage({"a.jpg", "Images/a.jpg", "a.ori", false});
    source.addImage({"b.jpg", "Images/b.jpg", "b.ori", true});
    vx::VEXAProject target;
    QCOMPARE(target.setOutputFolder(dir.path().toStdString(), 0, 0), 0);
    target.setName("target");
    target.addImage({"a.jpg", "Images/a.jpg", "a.ori", true});
    target.addImage({"b.jpg", "Images/b.jpg", "b.ori", true});
    target.copySettingsFrom(source);
    compareSettings(target, source);
    QCOMPARE(target.name(), std::string("target"));
    QCOMPARE(QString::fromStdWString(target.projectFolder()), dir.path());
    QCOMPARE(selection(target), (std::vector<bool>{false, true}));  // same images: their selection too

    vx::VEXAProject otherImages;
    otherImages.addImage({"c.jpg", "Images/c.jpg", "c.ori", true});
    otherImages.copySettingsFrom(source);
    QCOMPARE(otherImages.imageCount(), size_t(1));
    QVERIFY(otherImages.isImageSelected(otherImages.image(0)));
  }

  void areaSelectionKeepsTheImagesThatSeeTheArea() {
    QTemporaryDir dir;
    vx::VEXAProject project;
    makeCameraRow(project, dir.path());
    QCOMPARE(project.totalImageCount(), size_t(9));
    QVERIFY(!project.canSelectImagesByArea());
    QVERIFY(!project.filterImagesByArea());  // no area: nothing to filter by
    QCOMPARE(project.selectedImageCount(), size_t(9));

    // 100..130 x -10..10: cameras at 50 (sees 10..90)? no; 100 yes; 150 (110..190) yes.
    project.setAxisRange(0, 100, 130);
    project.setAxisRange(1, -10, 10);
    QVERIFY(project.canSelectImagesByArea());
    finishAllSteps(project);
    QVERIFY(project.filterImagesByArea());
    QCOMPARE(selection(project), onlyImages({2, 3}));
    QCOMPARE(project.selectedImageCount(), size_t(2));
    QCOMPARE(project.stepStatus(Analysis), int(NotStarted));

    // At terrain height 50 a camera sees only 40 m x 30 m: the camera at 150 (130..170) touches 130.
    project.setUseTerrainHeight(true);
    project.setTerrainHeight(50);
    project.setAxisRange(0, 95, 125);
    QVERIFY(project.filterImagesByArea());
    QCOMPARE(selection(project), onlyImages({2}));

    // An area larger than every photo: the footprints overlap it although no corner is seen.
    project.setUseTerrainHeight(false);
    project.setAxisRange(0, 180, 320);
    project.setAxisRange(1, -500, 500);
    QVERIFY(project.filterImagesByArea());
    QCOMPARE(selection(project), onlyImages({3, 4, 5, 6, 7}));

    // An area no camera sees fails and keeps the selection.
    project.setAxisRange(0, 1000, 1100);
    QVERIFY(!project.filterImagesByArea());
    QCOMPARE(selection(project), onlyImages({3, 4, 5, 6, 7}));

    project.useAllImages();
    QCOMPARE(project.selectedImageCount(), size_t(9));
  }

  void areaSelectionByShapefile() {
    QTemporaryDir dir;
    vx::VEXAProject project;
    makeCameraRow(project, dir.path());
    QVERIFY(QDir().mkpath(dir.filePath("Shapes")));
    writeRectangleShapefile(dir.filePath("Shapes/area.shp"), 285, -5, 305, 5);
    project.setAreaShapefile("Shapes/area.shp");
    QVERIFY(project.filterImagesByArea());
    QCOMPARE(selection(project), onlyImages({5, 6}));
    // A manual axis narrows the shape.
    project.setAxisRange(0, 300, 1000);
    QVERIFY(project.filterImagesByArea());
    QCOMPARE(selection(project), onlyImages({6}));

    project.setAreaShapefile("Shapes/missing.shp");
    const QString error = testprojects::errorOf([&] { project.filterImagesByArea(); });
    QVERIFY2(error.contains(dir.filePath("Shapes/missing.shp")), qPrintable(error));
  }

  void areaSelectionNamesAnUnreadableOrientation() {
    QTemporaryDir dir;
    vx::VEXAProject project;
    makeCameraRow(project, dir.path());
    const QString broken = dir.filePath("Internal/Orientations/img4.ori");
    writeText(broken, "VEXA-ORI 1\nimage img4.jpg\n");
    project.setAxisRange(0, 0, 10);
    project.setAxisRange(1, 0, 10);
    const QString error = testprojects::errorOf([&] { project.filterImagesByArea(); });
    QVERIFY2(error.contains(broken), qPrintable(error));
    QCOMPARE(project.selectedImageCount(), size_t(9));
  }

  void meshAndTextureFormatNames() {
    QCOMPARE(meshio::allMeshFileFormats().size(), size_t(meshio::kMeshFileFormatCount));
    for (meshio::MeshFileFormat format : meshio::allMeshFileFormats()) {
      QVERIFY(!meshio::toString(format).empty());
      const auto valid = meshio::getValidTextureFormats(format);
      QVERIFY(!valid.empty());
      // A fresh project writes every format with a texture format it can carry.
      QCOMPARE(int(vx::VEXAProject().textureFormat(format)), int(valid.front()));
      QCOMPARE(meshio::hasLevelsOfDetail(format), format == 2 || format == 3);
    }
    for (int value = 0; value < meshio::kTextureFileFormatCount; ++value) {
      const auto texture = meshio::TextureFileFormat(value);
      QCOMPARE(int(meshio::stringToTextureFileFormat(meshio::toString(texture))), value);
    }
    QCOMPARE(meshio::toString(meshio::JPG_DDS), std::string("jpg_dds"));
    QCOMPARE(int(meshio::JPG_DDS), 5);
    QVERIFY(invalidArgument([] { meshio::stringToTextureFileFormat("JPG"); }).contains("\"JPG\""));
    QVERIFY(meshio::toString(meshio::MeshFileFormat(17)).empty());
    QVERIFY(meshio::getValidTextureFormats(meshio::MeshFileFormat(-1)).empty());
  }
};

QTEST_GUILESS_MAIN(ProjectSettingsTest)
#include "ProjectSettingsTest.moc"
