#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>
#include <cmath>

#include "FormTestProject.h"
#include "img/images/Images.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/tools/forms/ModalAnswer.h"
#include "tools/forms/AreaSetter.h"
#include "tools/forms/ConfigurableCtrlFormWidget.h"
#include "tools/forms/ControlForm.h"
#include "tools/forms/ExpandFrame.h"
#include "tools/forms/TexturedMeshFormatPopup.h"

namespace {
const QString kWkt =
    "GEOGCS[\"WGS 84\",\r\n    DATUM[\"WGS_1984\",\n      SPHEROID[\"WGS 84\",6378137,298.257223563]],\n"
    "    PRIMEM[\"Greenwich\",0],\n    UNIT[\"degree\",0.0174532925199433]]";

QComboBox* combo(ControlForm& form, const char* name) { return form.findChild<QComboBox*>(name); }

void click(CtrlParameter* row) { qobject_cast<CtrlParameterCheckBox*>(row)->checkBox()->click(); }
}  // namespace

class ControlFormTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { vexaInitImages(); }

  void rowsFollowTheTableInAlternatingStyles() {
    ControlForm form(FormSetting::ProjectWide);
    const QList<CtrlParameter*>& rows = form.rows();
    QCOMPARE(rows.size(), 31);
    QCOMPARE(rows[0]->labelText(), QString("Coordinate System"));
    QCOMPARE(rows[1]->labelText(), QString("Tile size [m]"));
    QCOMPARE(rows[11]->labelText(), QString("Subproject size [tiles per dimension]"));
    QCOMPARE(rows[12]->labelText(), QString("Force 8 bit color in True Ortho and DSM color images"));
    QCOMPARE(rows[20]->labelText(), QString("Export DSM Point Color interpolated"));
    QCOMPARE(rows[27]->labelText(), QString("Export local roughness"));
    QCOMPARE(rows[28]->labelText(), QString("Mesh & Texture formats"));
    QCOMPARE(rows[30]->labelText(), QString("Cesium: Enable Draco compression"));
    for (int i = 0; i < rows.size(); ++i) {
      const QColor expected = i % 2 == 0 ? QColor(Qt::white) : QColor(231, 231, 231);
      QCOMPARE(rows[i]->palette().color(QPalette::Active, QPalette::Window), expected);
    }

    QCOMPARE(form.sections().size(), 3);
    QCOMPARE(form.sections()[0]->title(), QString("General"));
    QCOMPARE(form.sections()[1]->title(), QString("2.5D Workflow"));
    QCOMPARE(form.sections()[2]->title(), QString("Mesh"));
    QVERIFY(form.sections()[0]->isExpanded());
    QVERIFY(!form.sections()[1]->isExpanded());
    QCOMPARE(rows[0]->parentWidget()->metaObject()->className(), "ConfigurableCtrlFormWidget");
    QCOMPARE(rows[28]->parentWidget()->metaObject()->className(), "ConfigurableCtrlFormWidget");

    // Any row's change marks the form modified.
    QSignalSpy modified(&form, &ControlForm::signal_ParamsModified);
    for (CtrlParameter* row : rows) emit row->signal_modified();
    QCOMPARE(modified.count(), rows.size());
    QCOMPARE(modified.last().first().toBool(), true);
  }

  void editsStayInTheWorkingCopyUntilAccepted() {
    FormTestProject t;
    ControlForm form(FormSetting::ProjectWide);
    form.bindProject(t.project);
    auto* draco = rowLabelled<CtrlParameterCheckBox>(form.rows(), "Cesium: Enable Draco compression");
    auto* depth = rowLabelled<CtrlParameterInt>(form.rows(), "Depth Buffer");
    form.sections()[1]->slot_expand(true);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QApplication::setActiveWindow(&form);  // no window manager under Xvfb
    click(draco);
    depth->spinBox()->setFocus();
    QTest::keyClick(depth->spinBox(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(depth->spinBox(), "9");
    QVERIFY(form.workingCopy()->cesiumDracoCompression());
    QVERIFY(!t.project->cesiumDracoCompression());

    // The depth is still being typed: accepting finishes the edit first.
    QSignalSpy updated(&form, &ControlForm::signal_updateUI);
    form.on_acceptParams(false, false);
    QVERIFY(t.project->cesiumDracoCompression());
    QCOMPARE(t.project->depthBuffer(), 9);
    QCOMPARE(updated.count(), 1);
    QVERIFY(!QFile::exists(t.projectFile()));

    click(draco);
    form.on_acceptParams(true, false);
    QVERIFY(!t.reload()->cesiumDracoCompression());

    // Dropping the edits shows the bound project again.
    click(draco);
    form.on_resetParams();
    QVERIFY(!form.workingCopy()->cesiumDracoCompression());
    QVERIFY(!draco->checkBox()->isChecked());
  }

  void aProjectThatCannotBeSavedSaysSo() {
    ControlForm form(FormSetting::ProjectWide);  // bound to a project without a folder
    QSignalSpy updated(&form, &ControlForm::signal_updateUI);
    MessageBoxWatcher watcher;
    form.on_acceptParams(true, false);
    QCOMPARE(watcher.texts().size(), 1);
    QVERIFY(watcher.texts().first().startsWith("Error: "));
    QCOMPARE(updated.count(), 1);
  }

  void aRefusedValueShowsTheStoredOne() {
    FormTestProject t;
    ControlForm form(FormSetting::ProjectWide);
    form.bindProject(t.project);
    auto* points = rowLabelled<CtrlParameterInt>(form.rows(), "Required points per cell");
    const int stored = t.project->requiredPointsPerCell();
    MessageBoxWatcher watcher;
    points->spinBox()->setValue(0);
    emit points->spinBox()->editingFinished();
    QCOMPARE(watcher.texts().size(), 1);
    QVERIFY(watcher.texts().first().startsWith("Error: "));
    QCOMPARE(points->spinBox()->value(), stored);
    QCOMPARE(form.workingCopy()->requiredPointsPerCell(), stored);
  }

  void dependentExportRowsFollowTheirSource() {
    ControlForm form(FormSetting::ProjectWide);
    CtrlParameter* color = form.rows()[19];
    CtrlParameter* interpolated = form.rows()[20];
    CtrlParameter* cloud = form.rows()[21];
    QVERIFY(!interpolated->isEnabled());
    QVERIFY(!cloud->isEnabled());
    click(color);
    QVERIFY(interpolated->isEnabled());
    QVERIFY(!cloud->isEnabled());
    click(interpolated);
    QVERIFY(cloud->isEnabled());
    click(color);  // off: 21 is disabled, and with it 22
    QVERIFY(!interpolated->isEnabled());
    QVERIFY(!cloud->isEnabled());
  }

  void terrainRowsNeedAnArea() {
    QTemporaryDir dir;
    const QString shape = dir.filePath("area.shp");
    QFile file(shape);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    ControlForm form(FormSetting::ProjectWide);
    auto* useTerrain = rowLabelled<CtrlParameterCheckBox>(form.rows(), "Use terrain height for image selection");
    auto* terrain = rowLabelled<CtrlParameterDouble>(form.rows(), "Terrain height for image selection");
    QVERIFY(!useTerrain->isEnabled());
    QVERIFY(!terrain->isEnabled());

    auto* area = rowLabelled<CtrlParameterFile>(form.rows(), "Area shape file");
    area->lineEdit()->setText(shape);
    area->lineEdit()->setModified(true);
    emit area->lineEdit()->editingFinished();
    QVERIFY(terrain->isEnabled());
    QVERIFY(!useTerrain->isEnabled());  // no terrain height yet

    terrain->spinBox()->setValue(312.5);
    emit terrain->spinBox()->editingFinished();
    QCOMPARE(form.workingCopy()->terrainHeight(), 312.5);
    QVERIFY(useTerrain->isEnabled());
    click(useTerrain);
    QVERIFY(form.workingCopy()->useTerrainHeight());
  }

  void rowsHideBySetting() {
    const QStringList toolHidden = {"Estimate waterbody heights (Beta)", "Correction shapefile",
                                    "Use terrain height for image selection", "Terrain height for image selection",
                                    "Subproject size [tiles per dimension]"};
    auto hiddenRows = [](const ControlForm& form) {
      QStringList hidden;
      for (CtrlParameter* row : form.rows())
        if (row->isHidden()) hidden << row->labelText();
      return hidden;
    };

    ControlForm workflow(FormSetting::WorkflowTool);
    QCOMPARE(hiddenRows(workflow), toolHidden);

    ControlForm texturing(FormSetting::TexturingTool);
    QStringList texturingHidden = toolHidden;
    texturingHidden.insert(0, "Waterbody shapefile");
    QCOMPARE(hiddenRows(texturing), texturingHidden);
    QVERIFY(!rowLabelled(texturing.rows(), "Waterbody shapefile")->isEnabled());
    QVERIFY(!rowLabelled(texturing.rows(), "Subproject size [tiles per dimension]")->isEnabled());
    QVERIFY(texturing.sections()[0]->isExpanded());
    QVERIFY(texturing.sections()[2]->isExpanded());

    ControlForm projectWide(FormSetting::ProjectWide);
    QCOMPARE(hiddenRows(projectWide), QStringList{"Custom color adjustment file"});
  }

  void headerFieldsEditTheGsdAndPointFormat() {
    FormTestProject t;
    t.project->setGsdAuto(true);
    t.project->setGroundSampleDistance(0.05);
    t.project->setInterpolationGsdMultiplier(2);
    t.project->setPointFormatIndex(1);
    ControlForm form(FormSetting::ProjectWide);
    form.bindProject(t.project);

    auto* gsdSwitch = combo(form, "DSMGSDAutoSwitch");
    auto* gsd = form.findChild<QDoubleSpinBox*>("DSMGSD");
    auto* multi = form.findChild<QSpinBox*>("InterpolationGsdMulti");
    auto* effective = form.findChild<QDoubleSpinBox*>("EffectiveGSD");
    QCOMPARE(gsdSwitch->currentIndex(), 0);
    QVERIFY(!gsd->isEnabled());
    QCOMPARE(gsd->value(), 0.05);
    QCOMPARE(combo(form, "TriangulationPointformat")->currentText(), QString("laz"));
    QCOMPARE(effective->value(), t.project->effectiveGsd());
    QCOMPARE(effective->prefix(), QString("= "));
    QCOMPARE(effective->suffix(), QString(" [m]"));

    QSignalSpy modified(&form, &ControlForm::signal_ParamsModified);
    gsdSwitch->setCurrentIndex(1);
    QVERIFY(gsd->isEnabled());
    QVERIFY(!form.workingCopy()->isGsdAuto());
    gsd->setValue(0.2);
    emit gsd->editingFinished();
    multi->setValue(3);
    emit multi->editingFinished();
    QCOMPARE(form.workingCopy()->groundSampleDistance(), 0.2);
    QCOMPARE(form.workingCopy()->interpolationGsdMultiplier(), 3);
    QCOMPARE(effective->value(), form.workingCopy()->effectiveGsd());
    QVERIFY(std::abs(effective->value() - 0.6) < 1e-9);
    combo(form, "TriangulationPointformat")->setCurrentText("las");
    QCOMPARE(form.workingCopy()->pointFormatIndex(), 0);
    QCOMPARE(modified.count(), 4);

    // A GSD of zero is refused; the field shows the stored one again.
    {
      MessageBoxWatcher watcher;
      gsd->setValue(0.0);
      emit gsd->editingFinished();
      QCOMPARE(watcher.texts().size(), 1);
    }
    QCOMPARE(gsd->value(), 0.2);
  }

  void coordinateSystemDialogKeepsAnInvalidTextForCorrection() {
    ControlForm form(FormSetting::ProjectWide);
    QStringList offered;
    QStringList answers = {"PROJCS[broken", kWkt};
    form.setWktAsker([&](QString& wkt) {
      offered << wkt;
      if (answers.isEmpty()) return false;
      wkt = answers.takeFirst();
      return true;
    });
    QSignalSpy modified(&form, &ControlForm::signal_ParamsModified);
    {
      MessageBoxWatcher watcher;
      form.slot_configureWktStringClicked();
      QCOMPARE(watcher.texts().size(), 1);
      QVERIFY(watcher.texts().first().startsWith("Error: "));
    }
    QCOMPARE(offered, (QStringList{"", "PROJCS[broken"}));
    QCOMPARE(form.workingCopy()->coordinateSystemWkt(), kWkt.toStdString());
    const QString shown =
        rowLabelled<CtrlParameterStringArbitrary>(form.rows(), "Coordinate System")->lineEdit()->text();
    QCOMPARE(shown, QString("GEOGCS[\"WGS 84\", DATUM[\"WGS_1984\", SPHEROID[\"WGS 84\",6378137,298.257223563]], "
                            "PRIMEM[\"Greenwich\",0], UNIT[\"degree\",0.0174532925199433]]"));
    QCOMPARE(modified.count(), 1);

    // Cancel changes nothing.
    form.slot_configureWktStringClicked();
    QCOMPARE(offered.last(), kWkt);
    QCOMPARE(form.workingCopy()->coordinateSystemWkt(), kWkt.toStdString());
    QCOMPARE(modified.count(), 1);
  }

  void aToolWarnsWhenTheImagesMayChange() {
    FormTestProject t;
    t.project->setAxisRange(0, 0.0, 100.0);
    t.project->setAxisRange(1, 0.0, 100.0);
    ControlForm form(FormSetting::WorkflowTool);
    form.bindProject(t.project);
    QSignalSpy images(&form, &ControlForm::signal_numProjectImagesChanged);
    {
      MessageBoxWatcher watcher;
      click(rowLabelled(form.rows(), "Cesium: Enable Draco compression"));
      form.on_acceptParams(false, true);
      QVERIFY(watcher.texts().isEmpty());
      QCOMPARE(images.count(), 0);

      // Hidden in a tool, but a height read from the orientations arrives all the same.
      form.workingCopy()->setTerrainHeight(120.0);
      form.on_acceptParams(false, true);
      QCOMPARE(watcher.texts().size(), 1);
      QVERIFY(watcher.texts().first().startsWith("Your changes can have an influence on the images"));
    }
    QCOMPARE(images.count(), 1);
    QCOMPARE(t.project->terrainHeight(), 120.0);
  }

  void projectWideAreaChangeOffersTheImageSelection() {
    FormTestProject t;
    ControlForm form(FormSetting::ProjectWide);
    form.bindProject(t.project);
    auto* area = form.findChild<AreaSetter*>();
    QVERIFY(area);
    QCOMPARE(area->parentWidget(), form.rows()[0]->parentWidget()->parentWidget());  // in "General"
    auto* terrain = rowLabelled(form.rows(), "Terrain height for image selection");
    QVERIFY(!terrain->isEnabled());

    QSignalSpy modified(&form, &ControlForm::signal_ParamsModified);
    form.workingCopy()->setAxisRange(0, 10.0, 20.0);
    form.workingCopy()->setAxisRange(1, 10.0, 20.0);
    emit area->signal_modified(true);
    QVERIFY(terrain->isEnabled());
    QCOMPARE(modified.count(), 1);

    QSignalSpy images(&form, &ControlForm::signal_numProjectImagesChanged);
    {
      MessageBoxWatcher watcher(QMessageBox::No);
      form.on_acceptParams(false, true);
      QCOMPARE(watcher.texts(),
               QStringList{
                   "Perform processing with only these images that are required for the specified project area?"});
    }
    QCOMPARE(images.count(), 1);
    QVERIFY(!t.project->isAxisAuto(0));
    QVERIFY(!t.project->areaBasedImageSelection());
  }

  void meshFormatsAreChosenInThePopup() {
    ControlForm form(FormSetting::ProjectWide);
    auto* summary = form.findChild<QLabel*>("labelMeshFormats");
    QCOMPARE(summary->text(), QString("OSGB (jpg)"));
    auto* configure = qobject_cast<ConfigurableCtrlFormWidget*>(form.rows()[28]->parentWidget());
    QSignalSpy modified(&form, &ControlForm::signal_ParamsModified);

    modalanswer::whenModal([](QWidget* modal) {
      auto* popup = qobject_cast<TexturedMeshFormatPopup*>(modal);
      QVERIFY(popup);
      popup->formatRow(vx::meshio::OBJ)->checkBox()->click();
      popup->slot_cancel();
    });
    configure->configureButton()->click();
    QVERIFY(!form.workingCopy()->isMeshFormatWritten(vx::meshio::OBJ));
    QCOMPARE(modified.count(), 0);

    modalanswer::whenModal([](QWidget* modal) {
      auto* popup = qobject_cast<TexturedMeshFormatPopup*>(modal);
      QVERIFY(popup);
      popup->formatRow(vx::meshio::OBJ)->checkBox()->click();
      popup->slot_apply();
    });
    configure->configureButton()->click();
    QVERIFY(form.workingCopy()->isMeshFormatWritten(vx::meshio::OBJ));
    QCOMPARE(summary->text(), QString("OBJ (jpg), OSGB (jpg)"));
    QCOMPARE(modified.count(), 1);
  }

  void modeTwoDisablesTheForm() {
    ControlForm form(FormSetting::WorkflowTool);
    form.setMode(2);
    QVERIFY(!form.isEnabled());
    form.setMode(1);
    QVERIFY(form.isEnabled());
  }
};

QTEST_MAIN(ControlFormTest)
#include "ControlFormTest.moc"
