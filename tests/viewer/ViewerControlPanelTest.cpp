#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

#include "img/images/Images.h"
#include "viewer/ViewerControlPanel.h"
#include "viewer/ViewerMenu.h"

using qvx::viewer::ViewerControlPanel;
using qvx::viewer::ViewerMenu;

class ViewerControlPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { vexaInitImages(); }

  void initialState() {
    ViewerControlPanel panel;
    QCOMPARE(panel.lightSlider()->minimum(), 0);
    QCOMPARE(panel.lightSlider()->maximum(), 99);
    QCOMPARE(panel.lightSlider()->value(), 50);
    QCOMPARE(panel.lightSpinBox()->value(), 50);
    QCOMPARE(panel.lightSpinBox()->suffix(), QString(" %"));
    QVERIFY(panel.lightSpinBox()->isReadOnly());
    QVERIFY(!panel.stereoCheckBox()->isChecked());
    QCOMPARE(panel.stereoCheckBox()->text(), QString("stereo"));
    QVERIFY(!panel.eyeSeparationSpinBox()->isEnabled());
    QCOMPARE(panel.eyeSeparationSpinBox()->value(), 0.01);
    QCOMPARE(panel.verticalAxisCheckBox()->text(), QString("Fix vertical camera axis"));
    QCOMPARE(panel.menuButton()->text(), QString("Viewer"));
    QCOMPARE(panel.menuButton()->popupMode(), QToolButton::InstantPopup);
    QVERIFY(panel.menuButton()->menu() == panel.menu());
  }

  void stereoModes() {
    ViewerControlPanel panel;
    QComboBox* combo = panel.stereoModeComboBox();
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(0), QString("Anaglyphic"));
    QCOMPARE(combo->itemText(1), QString("Quad Buffer"));
    QCOMPARE(combo->itemData(0, Qt::ToolTipRole).toString(),
             QString("Can be used with anaglyphic glasses on any display."));
    QCOMPARE(combo->itemData(1, Qt::ToolTipRole).toString(),
             QString("Can be used with quad-buffer GPUs in combination with 3D displays."));

    QSignalSpy modes(&panel, &ViewerControlPanel::signal_stereoModeChanged);
    combo->setCurrentIndex(1);
    combo->setCurrentIndex(0);
    QCOMPARE(modes.count(), 2);
    QCOMPARE(modes.at(0).at(0).toInt(), 0);
    QCOMPARE(modes.at(1).at(0).toInt(), 1);
  }

  void lightControls() {
    ViewerControlPanel panel;
    QSignalSpy light(&panel, &ViewerControlPanel::signal_updateLight);
    panel.slot_setLight(97);
    QCOMPARE(panel.lightSlider()->value(), 97);
    QCOMPARE(panel.lightSpinBox()->value(), 97);
    panel.slot_updateLight(5);
    QCOMPARE(panel.lightSlider()->value(), 99);
    QCOMPARE(panel.lightSpinBox()->value(), 99);
    panel.slot_updateLight(-5);
    QCOMPARE(panel.lightSlider()->value(), 94);
    QCOMPARE(light.count(), 3);
    QCOMPARE(light.last().at(0).toInt(), 94);
    panel.slot_updateLight(-200);
    QCOMPARE(panel.lightSlider()->value(), 0);
    QCOMPARE(panel.lightSpinBox()->value(), 0);
  }

  void stereoCheckBoxEnablesEyeSeparation() {
    ViewerControlPanel panel;
    QSignalSpy threeD(&panel, &ViewerControlPanel::signal_updateThreeD);
    QSignalSpy separation(&panel, &ViewerControlPanel::signal_updateEyeSeparation);
    panel.stereoCheckBox()->click();
    QCOMPARE(threeD.count(), 1);
    QCOMPARE(threeD.at(0).at(0).toBool(), true);
    QVERIFY(panel.eyeSeparationSpinBox()->isEnabled());
    QCOMPARE(separation.count(), 1);
    QCOMPARE(separation.at(0).at(0).toDouble(), 0.01);

    panel.eyeSeparationSpinBox()->setValue(0.05);
    QCOMPARE(separation.count(), 2);
    QCOMPARE(separation.last().at(0).toDouble(), 0.05);

    panel.stereoCheckBox()->click();
    QCOMPARE(threeD.last().at(0).toBool(), false);
    QVERIFY(!panel.eyeSeparationSpinBox()->isEnabled());
    QCOMPARE(separation.count(), 2);
  }

  void verticalAxis() {
    ViewerControlPanel panel;
    QSignalSpy axis(&panel, &ViewerControlPanel::signal_updateVerticalAxisFixed);
    panel.verticalAxisCheckBox()->click();
    QCOMPARE(axis.count(), 1);
    QCOMPARE(axis.at(0).at(0).toBool(), true);
  }

  void menuActionsAreReemitted() {
    ViewerControlPanel panel;
    const QList<QAction*> actions = panel.menu()->actions();
    QCOMPARE(actions.size(), 4);
    QCOMPARE(actions[0]->text(), QString("Add mesh resources"));
    QCOMPARE(actions[1]->text(), QString("Clear mesh resources"));
    QCOMPARE(actions[2]->text(), QString("Clear camera resources"));
    QCOMPARE(actions[3]->text(), QString("Reload mesh resources"));

    QSignalSpy load(&panel, &ViewerControlPanel::signal_loadMesh);
    QSignalSpy clearMeshes(&panel, &ViewerControlPanel::signal_clearMeshes);
    QSignalSpy clearCameras(&panel, &ViewerControlPanel::signal_clearCameras);
    QSignalSpy reload(&panel, &ViewerControlPanel::signal_reloadAllMeshes);
    for (QAction* action : actions) action->trigger();
    QCOMPARE(load.count(), 1);
    QCOMPARE(clearMeshes.count(), 1);
    QCOMPARE(clearCameras.count(), 1);
    QCOMPARE(reload.count(), 1);
  }

  void anotherMenuTakesTheButton() {
    ViewerControlPanel panel;
    auto* menu = new ViewerMenu;
    menu->setTitle("Editor");
    panel.setMenu(menu);
    QCOMPARE(panel.menuButton()->text(), QString("Editor"));
    QVERIFY(panel.menuButton()->menu() == menu);
    QVERIFY(menu->parent() == &panel);
    QSignalSpy reload(&panel, &ViewerControlPanel::signal_reloadAllMeshes);
    menu->actions().at(3)->trigger();
    QCOMPARE(reload.count(), 1);
  }
};

QTEST_MAIN(ViewerControlPanelTest)
#include "ViewerControlPanelTest.moc"
