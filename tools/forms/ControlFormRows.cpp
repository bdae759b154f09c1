// The parameter table of ControlForm: which rows, in which section, bound to which setting.

#include <QLabel>
#include <QMap>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <cmath>

#include "tools/forms/AreaSetter.h"
#include "tools/forms/ConfigurableCtrlFormWidget.h"
#include "tools/forms/ControlForm.h"
#include "tools/forms/CtrlParameter.h"
#include "tools/forms/ExpandFrame.h"
#include "tools/forms/TexturedMeshFormatPopup.h"
#include "vx/VEXAProject.h"

namespace {

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

// A WKT text on one line: line breaks and runs of blanks become one blank.
QString oneLine(QString wkt) {
  static const QRegularExpression lineBreaks(QStringLiteral("(\r|\n)"));
  static const QRegularExpression blanks(QStringLiteral("[ ]{2,}"));
  return wkt.replace(lineBreaks, QStringLiteral(" ")).replace(blanks, QStringLiteral(" "));
}

ValueBinding<bool> boolOf(vx::VEXAProject* p, bool (vx::VEXAProject::*get)() const,
                          void (vx::VEXAProject::*set)(bool)) {
  return {[p, get] { return (p->*get)(); }, [p, set](const bool& v) { (p->*set)(v); }};
}

ValueBinding<int> intOf(vx::VEXAProject* p, int (vx::VEXAProject::*get)() const,
                        void (vx::VEXAProject::*set)(int)) {
  return {[p, get] { return (p->*get)(); }, [p, set](const int& v) { (p->*set)(v); }};
}

ValueBinding<QString> pathOf(vx::VEXAProject* p, const std::string& (vx::VEXAProject::*get)() const,
                             void (vx::VEXAProject::*set)(const std::string&)) {
  return {[p, get] { return fromStd((p->*get)()); }, [p, set](const QString& v) { (p->*set)(v.toStdString()); }};
}

ValueBinding<bool> exportOf(vx::VEXAProject* p, vx::DsmExport which) {
  return {[p, which] { return p->dsmExport(which); }, [p, which](const bool& v) { p->setDsmExport(which, v); }};
}

}  // namespace

void ControlForm::buildRows(QVBoxLayout* layout) {
  vx::VEXAProject* p = m_work.get();
  auto* general = new ExpandFrame(QStringLiteral("General"), this);
  auto* workflow25D = new ExpandFrame(QStringLiteral("2.5D Workflow"), this);
  auto* mesh = new ExpandFrame(QStringLiteral("Mesh"), this);
  m_sections = {general, workflow25D, mesh};

  auto add = [this](ExpandFrame* section, CtrlParameter* row, QWidget* shown = nullptr) {
    row->setRowStyle(m_rows.size() % 2);
    m_rows << row;
    connect(row, &CtrlParameter::signal_modified, this, &ControlForm::slot_paramChanged);
    section->addRow(shown ? shown : row);
    return row;
  };
  auto check = [](const char* label, const char* tip, ValueBinding<bool> binding) {
    return new CtrlParameterCheckBox(QString::fromUtf8(label), QString::fromUtf8(tip), std::move(binding));
  };
  auto hideIn = [](CtrlParameter* row, std::initializer_list<FormSetting> settings) {
    for (FormSetting s : settings) row->setHiddenIn(s);
  };
  using VP = vx::VEXAProject;

  m_coordinateSystemRow = new CtrlParameterStringArbitrary(
      QStringLiteral("Coordinate System"), QString(),
      ValueBinding<QString>([p] { return oneLine(fromStd(p->coordinateSystemWkt())); }, {}), true);
  auto* coordinateSystem = new ConfigurableCtrlFormWidget(m_coordinateSystemRow, this);
  connect(coordinateSystem, &ConfigurableCtrlFormWidget::signal_configurePressed, this,
          &ControlForm::slot_configureWktStringClicked);
  add(general, m_coordinateSystemRow, coordinateSystem);

  insertAreaEditor(general);

  auto* tileSize = add(general, new CtrlParameterAutoManualDouble(
                                    QStringLiteral("Tile size [m]"),
                                    QStringLiteral("The width and height of the result tiles."), -1.0, 999999.0,
                                    {[p] { return p->isTileSizeAuto(); }, [p](bool a) { p->setTileSizeAuto(a); },
                                     [p] { return p->tileSize(); }, [p](const double& v) { p->setTileSize(v); }}));
  // The effective GSD keeps a tile within a bounded number of cells.
  connect(tileSize, &CtrlParameter::signal_modified, this, &ControlForm::updateEffectiveGSD);
  auto* areaShape = add(
      general, new CtrlParameterFile(
                   QStringLiteral("Area shape file"),
                   QStringLiteral("Path to the shape file used for computing the final project area."),
                   QStringLiteral("Shape Files (*.shp)"), pathOf(p, &VP::areaShapefile, &VP::setAreaShapefile)));
  auto* waterbody =
      add(general, new CtrlParameterFile(QStringLiteral("Waterbody shapefile"),
                                         QStringLiteral("Path to the shapefile used for waterbody filtering."),
                                         QStringLiteral("Shapefiles (*.shp)"),
                                         pathOf(p, &VP::waterbodyShapefile, &VP::setWaterbodyShapefile)));
  hideIn(waterbody, {FormSetting::TexturingTool});
  auto* waterbodyHeights = add(
      general, check("Estimate waterbody heights (Beta)",
                     "Beta feature: Enable height estimation for the given waterbody shape file during Analysis.",
                     boolOf(p, &VP::estimateWaterbodyHeights, &VP::setEstimateWaterbodyHeights)));
  waterbodyHeights->setEnabledCondition([p] { return !p->waterbodyShapefile().empty(); });
  connect(waterbody, &CtrlParameter::signal_modified, waterbodyHeights, &CtrlParameter::slot_updateUi);
  hideIn(waterbodyHeights, {FormSetting::WorkflowTool, FormSetting::TexturingTool});
  auto* correction =
      add(general, new CtrlParameterFile(QStringLiteral("Correction shapefile"),
                                         QStringLiteral("Path to the shapefile used for correcting the results."),
                                         QStringLiteral("Shapefiles (*.shp)"),
                                         pathOf(p, &VP::correctionShapefile, &VP::setCorrectionShapefile)));
  hideIn(correction, {FormSetting::WorkflowTool, FormSetting::TexturingTool});
  auto* balancing =
      add(general, check("Apply global color balancing",
                         "Apply global color balancing to the images for more homogeneous True Ortho and "
                         "Mesh Texturing results.",
                         boolOf(p, &VP::globalColorBalancing, &VP::setGlobalColorBalancing)));
  // A custom adjustment refines the balancing, so it needs the balancing on.
  auto* adjustment =
      add(general, new CtrlParameterFile(
                       QStringLiteral("Custom color adjustment file"),
                       QStringLiteral("Color adjustment file that is used for True Ortho and Mesh Texturing."),
                       QStringLiteral("Color Adjustment Files (*.gcb)"),
                       pathOf(p, &VP::colorAdjustmentFile, &VP::setColorAdjustmentFile)));
  adjustment->setEnabledCondition([p] { return p->globalColorBalancing(); });
  connect(balancing, &CtrlParameter::signal_modified, adjustment, &CtrlParameter::slot_updateUi);
  hideIn(adjustment, {FormSetting::ProjectWide});
  // The terrain height only narrows the images down to a manual area or an area shape.
  auto hasArea = [p] { return p->hasManualArea() || p->hasAreaShapefile(); };
  auto* useTerrain =
      add(general,
          check("Use terrain height for image selection",
                "If activated, images not relevant for a manual 2D area or area shape will be filtered out early "
                "by approximating the terrain. This can speed up image preparation significantly. Will only have "
                "an effect in combination with a valid terrain height.",
                boolOf(p, &VP::useTerrainHeight, &VP::setUseTerrainHeight)));
  useTerrain->setEnabledCondition([p, hasArea] { return hasArea() && std::isfinite(p->terrainHeight()); });
  auto* terrain =
      add(general,
          new CtrlParameterDouble(
              QStringLiteral("Terrain height for image selection"),
              QStringLiteral("Terrain height used in image selection if this feature is activated. This is "
                             "automatically read from certain input orientation formats if available, but it can "
                             "also be set manually."),
              {[p] {
                 const double h = p->terrainHeight();
                 return std::isfinite(h) ? h : 0.0;
               },
               [p](const double& v) { p->setTerrainHeight(v); }}));
  terrain->setEnabledCondition(hasArea);
  connect(useTerrain, &CtrlParameter::signal_user_modified, terrain, &CtrlParameter::slot_uiChanged);
  connect(terrain, &CtrlParameter::signal_modified, useTerrain, &CtrlParameter::slot_updateUi);
  for (CtrlParameter* row : {useTerrain, terrain}) {
    connect(areaShape, &CtrlParameter::signal_modified, row, &CtrlParameter::slot_updateUi);
    connect(m_areaSetter, &AreaSetter::signal_modified, row, &CtrlParameter::slot_updateUi);
    hideIn(row, {FormSetting::WorkflowTool, FormSetting::TexturingTool});
  }
  auto* lidar = add(general, check("Use LiDAR data", "Use LiDAR data for processing DSM and Mesh",
                                   boolOf(p, &VP::useLidar, &VP::setUseLidar)));
  lidar->setEnabledCondition([p] { return !p->lidarListPath().empty(); });
  auto* subproject =
      add(general,
          new CtrlParameterAutoManualInt(
              QStringLiteral("Subproject size [tiles per dimension]"),
              QStringLiteral("The number of tiles per dimension of a subproject - for distributed processing."), 1,
              100,
              {[p] { return p->isSubprojectSizeAuto(); }, [p](bool a) { p->setSubprojectSizeAuto(a); },
               [p] { return p->subprojectSize(); }, [p](const int& v) { p->setSubprojectSize(v); }}));
  hideIn(subproject, {FormSetting::WorkflowTool, FormSetting::TexturingTool});

  add(workflow25D,
      check("Force 8 bit color in True Ortho and DSM color images",
            "Force 8bit color output in Ortho, Ortho_Interpolated and Ortho_Refined images regardless of input.",
            boolOf(p, &VP::force8BitColor, &VP::setForce8BitColor)));
  add(workflow25D, new CtrlParameterInt(QStringLiteral("Required points per cell"),
                                        QStringLiteral("Minimum number of points for a DSM grid cell."),
                                        intOf(p, &VP::requiredPointsPerCell, &VP::setRequiredPointsPerCell)));
  add(workflow25D, new CtrlParameterInt(QStringLiteral("Depth Buffer"),
                                        QStringLiteral("Number of height values stored in cell."),
                                        intOf(p, &VP::depthBuffer, &VP::setDepthBuffer)));
  struct Export {
    vx::DsmExport which;
    const char* label;
    const char* tip;
  };
  const Export exports[] = {
      {vx::ExportPointCountMap, "Export point count per cell map", ""},
      {vx::ExportTfwFiles, "Export additional TFW files",
       "Activate additional TFW output for DSMs and True Orthos."},
      {vx::ExportTiffPyramids, "Export image pyramids in TIFF files",
       "Export internal image pyramids (overviews) in TIFF files."},
      {vx::ExportHeightColoredDsm, "Export height colored DSM visualization image", ""},
      {vx::ExportDsmPointColor, "Export DSM Point Color", ""},
      {vx::ExportDsmPointColorInterpolated, "Export DSM Point Color interpolated",
       "Only available if \"Export DSM Point Color\" is activated."},
      {vx::ExportDsmCloud, "Export DSM cloud",
       "Only available if \"Export DSM Point Color Interpolated\" is activated."},
      {vx::ExportDsmCloudTrueOrthoColors, "Export DSM point cloud with True Ortho colors", ""},
      {vx::ExportNonInterpolatedMask, "Export binary mask image for non-interpolated pixels", ""},
      {vx::ExportNonInterpolatedDistanceMap, "Export distance map to next non-interpolated pixel", ""},
      {vx::ExportStereoModelCountMap, "Export map with stereo model count of final point", ""},
      {vx::ExportHeightStdDeviation, "Export standard deviation of height cell", ""},
      {vx::ExportLocalRoughness, "Export local roughness", ""},
  };
  QMap<int, CtrlParameter*> exportRows;
  for (const Export& e : exports)
    exportRows[e.which] = add(workflow25D, check(e.label, e.tip, exportOf(p, e.which)));
  // The interpolated point colours need the point colours, the DSM cloud needs both.
  CtrlParameter* pointColor = exportRows[vx::ExportDsmPointColor];
  CtrlParameter* interpolated = exportRows[vx::ExportDsmPointColorInterpolated];
  CtrlParameter* cloud = exportRows[vx::ExportDsmCloud];
  interpolated->setEnabledCondition([p] { return p->dsmExport(vx::ExportDsmPointColor); });
  cloud->setEnabledCondition(
      [p] { return p->dsmExport(vx::ExportDsmPointColor) && p->dsmExport(vx::ExportDsmPointColorInterpolated); });
  connect(pointColor, &CtrlParameter::signal_modified, interpolated, &CtrlParameter::slot_updateUi);
  connect(pointColor, &CtrlParameter::signal_modified, cloud, &CtrlParameter::slot_updateUi);
  connect(interpolated, &CtrlParameter::signal_modified, cloud, &CtrlParameter::slot_updateUi);

  m_meshFormatSummary = new QLabel(this);
  m_meshFormatSummary->setObjectName(QStringLiteral("labelMeshFormats"));
  auto* formatsRow = new CtrlParameterWrapper(QStringLiteral("Mesh & Texture formats"),
                                              QStringLiteral("Select mesh output formats"), m_meshFormatSummary);
  auto* formats = new ConfigurableCtrlFormWidget(formatsRow, this);
  connect(formats, &ConfigurableCtrlFormWidget::signal_configurePressed, this,
          &ControlForm::slot_configureTexturedMeshFormatsClicked);
  add(mesh, formatsRow, formats);
  add(mesh, check("Cesium: Over-impose heights on target ellipsoid",
                  "Keep height values from input coordinate system and impose them over the target ellipsoid.",
                  boolOf(p, &VP::cesiumOverImposeHeights, &VP::setCesiumOverImposeHeights)));
  add(mesh, check("Cesium: Enable Draco compression", "Write Draco-compressed mesh.",
                  boolOf(p, &VP::cesiumDracoCompression, &VP::setCesiumDracoCompression)));

  for (ExpandFrame* section : m_sections) layout->addWidget(section);
  general->slot_expand(true);
}

void ControlForm::updateMeshFormatSummary() {
  QStringList written;
  for (vx::meshio::MeshFileFormat format : vx::meshio::allMeshFileFormats()) {
    if (m_work->isMeshFormatWritten(format))
      written << fromStd(vx::meshio::toString(format)) + QStringLiteral(" (") +
                     TexturedMeshFormatPopup::textureLabel(m_work->textureFormat(format)) + QStringLiteral(")");
  }
  m_meshFormatSummary->setText(written.join(QStringLiteral(", ")));
}
