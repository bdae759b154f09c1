#include <QtTest>

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "img/images/Images.h"
#include "viewer/EditorToolbar.h"

using qvx::me::Mode;
using qvx::viewer::EditorToolbar;

namespace {

// The buttons that only Shape Digitization shows.
QList<QPushButton*> digitizationButtons(const EditorToolbar& toolbar) {
  return {toolbar.selectButton(), toolbar.digitizeButton(), toolbar.applyButton(), toolbar.undoButton(),
          toolbar.redoButton()};
}

QList<QPushButton*> editButtons(const EditorToolbar& toolbar) {
  return {toolbar.applyButton(), toolbar.cancelButton(), toolbar.undoButton(), toolbar.redoButton()};
}

bool allEnabled(const QList<QPushButton*>& buttons, bool enabled) {
  return std::all_of(buttons.begin(), buttons.end(), [&](QPushButton* b) { return b->isEnabled() == enabled; });
}

}  // namespace

class EditorToolbarTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    vexaInitImages();
    qRegisterMetaType<Mode>();
  }

  void toolNamesAreOneListForComboAndModes() {
    EditorToolbar toolbar;
    QComboBox* combo = toolbar.toolComboBox();
    QCOMPARE(combo->count(), 5);
    QCOMPARE(combo->itemText(0), QString("Shape Digitization"));
    QCOMPARE(combo->itemText(4), QString("Mesh Info"));
    QCOMPARE(combo->itemData(1, Qt::ToolTipRole).toString(), QString("Active Plane Guide tool (2)"));
    QCOMPARE(combo->itemData(4, Qt::ToolTipRole).toString(), QString("Active Mesh Info tool (5)"));
    for (int i = 0; i < combo->count(); ++i) QCOMPARE(static_cast<int>(qvx::me::modeFromName(combo->itemText(i))), i);
    QCOMPARE(qvx::me::modeFromName("Paint"), Mode::ShapeDigitization);
    QCOMPARE(qvx::me::modeName(Mode::PolylineMeasurement), QString("Polyline Measurement"));
  }

  void toolLayoutsFollowTheChosenTool() {
    EditorToolbar toolbar;
    QSignalSpy changed(&toolbar, &EditorToolbar::signal_changeTool);
    QVERIFY(!toolbar.undoButton()->icon().availableSizes().isEmpty());

    // The user steps the combo to the next tool.
    QTest::keyClick(toolbar.toolComboBox(), Qt::Key_Down);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.takeFirst().at(0).value<Mode>(), Mode::PlaneGuide);
    for (QPushButton* button : digitizationButtons(toolbar)) QVERIFY(button->isHidden());
    QVERIFY(!toolbar.cancelButton()->isHidden());
    QCOMPARE(toolbar.cancelButton()->text(), QString("Reset"));
    QVERIFY(toolbar.isDigitizeChecked() && !toolbar.isSelectChecked());
    QVERIFY(!toolbar.selectButton()->isEnabled() && !toolbar.digitizeButton()->isEnabled());
    QVERIFY(allEnabled(editButtons(toolbar), true));

    toolbar.slot_changeTool("Shape Digitization");
    QCOMPARE(changed.takeFirst().at(0).value<Mode>(), Mode::ShapeDigitization);
    for (QPushButton* button : digitizationButtons(toolbar)) QVERIFY(!button->isHidden());
    QCOMPARE(toolbar.cancelButton()->text(), QString("Cancel"));
    QVERIFY(!toolbar.isDigitizeChecked() && !toolbar.isSelectChecked());
    QVERIFY(toolbar.selectButton()->isEnabled() && toolbar.digitizeButton()->isEnabled());
    QVERIFY(allEnabled(editButtons(toolbar), false));

    // An unknown name means the first tool, and the combo shows it.
    toolbar.slot_changeTool("Mesh Info");
    toolbar.slot_changeTool("Paint");
    QCOMPARE(changed.last().at(0).value<Mode>(), Mode::ShapeDigitization);
    QCOMPARE(toolbar.toolComboBox()->currentIndex(), 0);
  }

  void toolChosenElsewhereIsShownWithoutAskingAgain() {
    EditorToolbar toolbar;
    QSignalSpy changed(&toolbar, &EditorToolbar::signal_changeTool);
    QSignalSpy external(&toolbar, &EditorToolbar::signal_toolChangedExternally);
    toolbar.showCoordinate(1, 2, 3);
    toolbar.selectTool(Mode::DistanceMeasurement);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(external.count(), 1);
    QCOMPARE(external.first().at(0).toString(), QString("Distance Measurement"));
    QCOMPARE(toolbar.toolComboBox()->currentText(), QString("Distance Measurement"));
    QVERIFY(toolbar.coordinateLabel()->text().isEmpty());
    QVERIFY(toolbar.digitizeButton()->isHidden());
    QCOMPARE(toolbar.cancelButton()->text(), QString("Reset"));
  }

  void selectAndDigitizeExcludeEachOther() {
    EditorToolbar toolbar;
    toolbar.selectButton()->click();
    QVERIFY(toolbar.isSelectChecked() && !toolbar.digitizeButton()->isEnabled());
    toolbar.selectButton()->click();
    QVERIFY(!toolbar.isSelectChecked() && toolbar.digitizeButton()->isEnabled());

    toolbar.selectButton()->click();
    toolbar.slot_digitizeModeToggled(true);  // D held while selecting
    QVERIFY(!toolbar.isSelectChecked());
    QVERIFY(!toolbar.selectButton()->isEnabled() && !toolbar.digitizeButton()->isEnabled());
    QVERIFY(allEnabled(editButtons(toolbar), true));

    toolbar.resetDigitizationButtons();
    QVERIFY(!toolbar.isDigitizeChecked() && !toolbar.isSelectChecked());
    QVERIFY(toolbar.selectButton()->isEnabled() && toolbar.digitizeButton()->isEnabled());
    QVERIFY(allEnabled(editButtons(toolbar), false));

    toolbar.digitizeButton()->click();
    QVERIFY(toolbar.isDigitizeChecked() && allEnabled(editButtons(toolbar), true));

    // The other tools keep their "always digitizing" layout through a reset.
    toolbar.slot_changeTool("Polyline Measurement");
    toolbar.resetDigitizationButtons();
    QVERIFY(toolbar.isDigitizeChecked() && allEnabled(editButtons(toolbar), true));
  }

  void overlayButtonsExcludeEachOther() {
    EditorToolbar toolbar;
    QSignalSpy camera(&toolbar, &EditorToolbar::signal_toggleCamera);
    QSignalSpy ortho(&toolbar, &EditorToolbar::signal_toggleOrtho);
    QVERIFY(!toolbar.previousButton()->isEnabled() && !toolbar.nextButton()->isEnabled());

    toolbar.cameraImageButton()->click();
    QCOMPARE(camera.takeFirst().at(0).toBool(), true);
    QVERIFY(!toolbar.trueOrthoButton()->isEnabled());
    QVERIFY(toolbar.previousButton()->isEnabled() && toolbar.nextButton()->isEnabled());
    toolbar.cameraImageButton()->click();
    QCOMPARE(camera.takeFirst().at(0).toBool(), false);
    QVERIFY(toolbar.trueOrthoButton()->isEnabled());
    QVERIFY(!toolbar.previousButton()->isEnabled() && !toolbar.nextButton()->isEnabled());

    toolbar.trueOrthoButton()->click();
    QCOMPARE(ortho.takeFirst().at(0).toBool(), true);
    QVERIFY(!toolbar.cameraImageButton()->isEnabled());
    toolbar.trueOrthoButton()->click();
    QCOMPARE(ortho.takeFirst().at(0).toBool(), false);
    QVERIFY(toolbar.cameraImageButton()->isEnabled());
  }

  // The owner follows an overlay that closed itself; that must not ask for a new overlay.
  void settingOverlayStateDoesNotEmitClicks() {
    EditorToolbar toolbar;
    QSignalSpy camera(&toolbar, &EditorToolbar::signal_toggleCamera);
    QSignalSpy ortho(&toolbar, &EditorToolbar::signal_toggleOrtho);
    toolbar.setCameraImageChecked(true);
    QVERIFY(toolbar.cameraImageButton()->isChecked() && !toolbar.trueOrthoButton()->isEnabled());
    QVERIFY(toolbar.nextButton()->isEnabled());
    toolbar.setCameraImageChecked(false);
    QVERIFY(toolbar.trueOrthoButton()->isEnabled() && !toolbar.nextButton()->isEnabled());
    toolbar.setTrueOrthoChecked(true);
    QVERIFY(toolbar.trueOrthoButton()->isChecked() && !toolbar.cameraImageButton()->isEnabled());
    toolbar.setTrueOrthoChecked(false);
    QVERIFY(toolbar.cameraImageButton()->isEnabled());
    QCOMPARE(camera.count(), 0);
    QCOMPARE(ortho.count(), 0);
  }

  void coordinatesAreShownWithTwoDecimals() {
    EditorToolbar toolbar;
    QSignalSpy spy(&toolbar, &EditorToolbar::signal_changeCoordinates);
    QLocale::setDefault(QLocale(QLocale::German));  // no decimal comma
    toolbar.showCoordinate(512345.678, -0.004, 12);
    QLocale::setDefault(QLocale::c());
    const QString expected = "<b>X:</b> 512345.68  <b>Y:</b> -0.00  <b>Z:</b> 12.00";
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().at(0).toString(), expected);
    QCOMPARE(toolbar.coordinateLabel()->text(), expected);
    toolbar.setLabelText("<b>Distance: </b>-");
    QCOMPARE(toolbar.textLabel()->text(), QString("<b>Distance: </b>-"));
  }

  void eachButtonEmitsItsSignal() {
    EditorToolbar toolbar;
    toolbar.slot_changeTool("Plane Guide");  // enables apply, cancel, undo and redo
    toolbar.setCameraImageChecked(true);     // enables previous and next
    struct Case {
      QPushButton* button;
      QSignalSpy spy;
      QKeySequence shortcut;
    };
    Case cases[] = {
        {toolbar.planeButton(), QSignalSpy(&toolbar, &EditorToolbar::signal_togglePlane), QKeySequence("P")},
        {toolbar.applyButton(), QSignalSpy(&toolbar, &EditorToolbar::signal_apply), {}},
        {toolbar.cancelButton(), QSignalSpy(&toolbar, &EditorToolbar::signal_cancel), {}},
        {toolbar.undoButton(), QSignalSpy(&toolbar, &EditorToolbar::signal_undo), {}},
        {toolbar.redoButton(), QSignalSpy(&toolbar, &EditorToolbar::signal_redo), {}},
        {toolbar.previousButton(), QSignalSpy(&toolbar, &EditorToolbar::signal_prevImage), {}},
        {toolbar.nextButton(), QSignalSpy(&toolbar, &EditorToolbar::signal_nextImage), {}},
        {toolbar.saveButton(), QSignalSpy(&toolbar, &EditorToolbar::signal_savePolygonsToShapeFile),
         QKeySequence("Ctrl+S")},
        {toolbar.reprocessButton(), QSignalSpy(&toolbar, &EditorToolbar::signal_reprocessEditedTiles),
         QKeySequence("Ctrl+B")},
    };
    for (Case& c : cases) {
      c.button->click();
      QVERIFY2(c.spy.count() == 1, qPrintable(c.button->toolTip()));
      QCOMPARE(c.button->shortcut(), c.shortcut);
    }
    // The plane toggles both ways, so it is asked for on every click.
    toolbar.planeButton()->click();
    QCOMPARE(cases[0].spy.count(), 2);
    QCOMPARE(toolbar.selectButton()->shortcut(), QKeySequence("S"));
    QCOMPARE(toolbar.digitizeButton()->shortcut(), QKeySequence("D"));
  }
};

QTEST_MAIN(EditorToolbarTest)
#include "EditorToolbarTest.moc"
