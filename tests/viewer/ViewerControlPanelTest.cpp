#include <QtTest>

#include <QCheckBox>
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

  void lightStaysWithinItsRange() {
    ViewerControlPanel panel;
    QSignalSpy light(&panel, &ViewerControlPanel::signal_updateLight);
    panel.slot_setLight(97);
    panel.slot_updateLight(5);
    QCOMPARE(panel.lightSlider()->value(), 99);
    panel.slot_updateLight(-5);
    QCOMPARE(light.count(), 3);
    QCOMPARE(light.last().at(0).toInt(), 94);
    panel.slot_updateLight(-200);
    QCOMPARE(panel.lightSlider()->value(), 0);
    QCOMPARE(panel.lightSpinBox()->value(), 0);
  }

  void stereoControls() {
    ViewerControlPanel panel;
    QSignalSpy threeD(&panel, &ViewerControlPanel::signal_updateThreeD);
    QSignalSpy separation(&panel, &ViewerControlPanel::signal_updateEyeSeparation);
    QVERIFY(!panel.eyeSeparationSpinBox()->isEnabled());
    panel.stereoCheckBox()->click();
    QCOMPARE(threeD.at(0).at(0).toBool(), true);
    QVERIFY(panel.eyeSeparationSpinBox()->isEnabled());
    QCOMPARE(separation.count(), 1);
    QCOMPARE(separation.at(0).at(0).toDouble(), 0.01);
    panel.eyeSeparationSpinBox()->setValue(0.05);
    QCOMPARE(separation.last().at(0).toDouble(), 0.05);
    panel.stereoCheckBox()->click();
    QCOMPARE(threeD.last().at(0).toBool(), false);
    QVERIFY(!panel.eyeSeparationSpinBox()->isEnabled());
    QCOMPARE(separation.count(), 2);
  }

  void menuActionsAreReemitted() {
    ViewerControlPanel panel;
    QSignalSpy load(&panel, &ViewerControlPanel::signal_loadMesh);
    QSignalSpy clearMeshes(&panel, &ViewerControlPanel::signal_clearMeshes);
    QSignalSpy clearCameras(&panel, &ViewerControlPanel::signal_clearCameras);
    QSignalSpy reload(&panel, &ViewerControlPanel::signal_reloadAllMeshes);
    for (QAction* action : panel.menu()->actions()) action->trigger();
    QVERIFY(load.count() == 1 && clearMeshes.count() == 1 && clearCameras.count() == 1 && reload.count() == 1);

    // Another menu takes the button and still reaches the panel's signals.
    auto* menu = new ViewerMenu;
    menu->setTitle("Editor");
    panel.setMenu(menu);
    QCOMPARE(panel.menuButton()->text(), QString("Editor"));
    QVERIFY(panel.menuButton()->menu() == menu && menu->parent() == &panel);
    menu->actions().at(3)->trigger();
    QCOMPARE(reload.count(), 2);
  }
};

QTEST_MAIN(ViewerControlPanelTest)
#include "ViewerControlPanelTest.moc"
