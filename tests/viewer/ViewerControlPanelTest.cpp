#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPointer>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

#include "viewer/ViewerControlPanel.h"
#include "viewer/ViewerMenu.h"

using qvx::viewer::ViewerControlPanel;
using qvx::viewer::ViewerMenu;

class ViewerControlPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void lightStepsStayInRange() {
    ViewerControlPanel panel;
    QSignalSpy light(&panel, &ViewerControlPanel::signal_updateLight);
    panel.slot_setLight(97);
    QCOMPARE(panel.lightSlider()->value(), 97);
    panel.slot_updateLight(+5);
    QCOMPARE(panel.lightSlider()->value(), 99);
    QCOMPARE(panel.lightSpinBox()->value(), 99);
    QCOMPARE(light.last().at(0).toInt(), 99);
    panel.slot_updateLight(-200);
    QCOMPARE(panel.lightSlider()->value(), 0);
    QCOMPARE(panel.lightSpinBox()->value(), 0);
    QCOMPARE(light.last().at(0).toInt(), 0);
  }

  void stereoModesPassTheDisplaySettingsValue() {
    ViewerControlPanel panel;
    QComboBox* modes = panel.stereoModeComboBox();
    QSignalSpy mode(&panel, &ViewerControlPanel::signal_stereoModeChanged);
    QCOMPARE(modes->itemText(0), QString("Anaglyphic"));
    QVERIFY(modes->itemData(1, Qt::ToolTipRole).toString().startsWith("Can be used with quad-buffer"));
    modes->setCurrentText("Quad Buffer");
    QCOMPARE(mode.takeFirst().at(0).toInt(), 0);
    modes->setCurrentText("Anaglyphic");
    QCOMPARE(mode.takeFirst().at(0).toInt(), 1);
  }

  // Eye separation is only usable, and only passed on, while stereo is on.
  void eyeSeparationFollowsStereo() {
    ViewerControlPanel panel;
    QSignalSpy threeD(&panel, &ViewerControlPanel::signal_updateThreeD);
    QSignalSpy separation(&panel, &ViewerControlPanel::signal_updateEyeSeparation);
    QDoubleSpinBox* eye = panel.eyeSeparationSpinBox();
    QVERIFY(!eye->isEnabled());

    panel.stereoCheckBox()->click();
    QCOMPARE(threeD.takeFirst().at(0).toBool(), true);
    QVERIFY(eye->isEnabled());
    QCOMPARE(separation.takeFirst().at(0).toDouble(), 0.01);
    eye->stepUp();
    QCOMPARE(separation.takeFirst().at(0).toDouble(), 0.02);

    panel.stereoCheckBox()->click();
    QCOMPARE(threeD.takeFirst().at(0).toBool(), false);
    QVERIFY(!eye->isEnabled());
    QCOMPARE(separation.count(), 0);
  }

  void menuActionsAreReemittedAlsoAfterAMenuSwap() {
    ViewerControlPanel panel;
    QPointer<ViewerMenu> first = panel.menu();
    QCOMPARE(panel.menuButton()->text(), QString("Viewer"));
    auto* replacement = new ViewerMenu;
    replacement->setTitle("Editor");
    panel.setMenu(replacement);
    QVERIFY(first.isNull());
    QCOMPARE(panel.menuButton()->text(), QString("Editor"));
    QCOMPARE(replacement->parent(), &panel);

    QSignalSpy load(&panel, &ViewerControlPanel::signal_loadMesh);
    QSignalSpy clearMeshes(&panel, &ViewerControlPanel::signal_clearMeshes);
    QSignalSpy clearCameras(&panel, &ViewerControlPanel::signal_clearCameras);
    QSignalSpy reload(&panel, &ViewerControlPanel::signal_reloadAllMeshes);
    const QList<QAction*> actions = replacement->actions();
    QCOMPARE(actions.size(), 4);
    QCOMPARE(actions[0]->text(), QString("Add mesh resources"));
    for (QAction* action : actions) action->trigger();
    QCOMPARE(load.count() + clearMeshes.count() + clearCameras.count() + reload.count(), 4);
    QVERIFY(load.count() == 1 && clearMeshes.count() == 1 && clearCameras.count() == 1 && reload.count() == 1);
  }
};

QTEST_MAIN(ViewerControlPanelTest)
#include "ViewerControlPanelTest.moc"
