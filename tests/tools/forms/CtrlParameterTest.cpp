#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <stdexcept>

#include "img/images/Images.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tools/forms/ConfigurableCtrlFormWidget.h"
#include "tools/forms/CtrlParameter.h"
#include "tools/forms/ExpandFrame.h"

namespace {
// Stands for a project setting that refuses some values, as the project does.
struct Setting {
  QString value;
  int writes = 0;
  QString get() const { return value; }
  void set(const QString& v) {
    if (v.contains("refuse")) throw std::runtime_error("value refused");
    if (v.contains("crash")) throw 42;
    value = v;
    ++writes;
  }
  ValueBinding<QString> binding() {
    return {[this] { return get(); }, [this](const QString& v) { set(v); }};
  }
};

void typeAndFinish(QLineEdit* edit, const QString& text) {
  edit->clear();
  QTest::keyClicks(edit, text);
  QTest::keyClick(edit, Qt::Key_Return);
}
}  // namespace

class CtrlParameterTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { vexaInitImages(); }

  void valueRowsRoundTripThroughTheirBindings() {
    bool flag = false;
    CtrlParameterCheckBox check("Flag", "", ValueBinding<bool>(&flag));
    QSignalSpy modified(&check, &CtrlParameter::signal_modified);
    QSignalSpy byUser(&check, &CtrlParameter::signal_user_modified);
    check.checkBox()->click();
    QVERIFY(flag);
    QCOMPARE(modified.count(), 1);
    QCOMPARE(byUser.count(), 1);
    flag = false;
    check.slot_updateUi();
    QVERIFY(!check.checkBox()->isChecked());

    int count = 5;
    CtrlParameterInt integer("Count", "", {[&] { return count; }, [&](const int& v) { count = v; }});
    QCOMPARE(integer.spinBox()->value(), 5);
    QSignalSpy intModified(&integer, &CtrlParameter::signal_modified);
    QSignalSpy intByUser(&integer, &CtrlParameter::signal_user_modified);
    integer.spinBox()->setValue(17);
    emit integer.spinBox()->editingFinished();
    QCOMPARE(count, 17);
    QCOMPARE(intModified.count(), 1);
    QCOMPARE(intByUser.count(), 0);  // a typed value is not a "user" change of dependent rows

    double height = 12.5;
    CtrlParameterDouble real("Height", "", ValueBinding<double>(&height));
    QCOMPARE(real.spinBox()->value(), 12.5);
    real.spinBox()->setValue(-3.25);
    emit real.spinBox()->editingFinished();
    QCOMPARE(height, -3.25);

    QString format = "laz";
    CtrlParameterStringFromList list("Format", "", {"las", "laz"}, ValueBinding<QString>(&format));
    QCOMPARE(list.comboBox()->currentText(), QString("laz"));
    list.comboBox()->setCurrentIndex(0);
    QCOMPARE(format, QString("las"));
    format = "tif";  // not offered: no entry rather than a wrong one
    list.slot_updateUi();
    QCOMPARE(list.comboBox()->currentIndex(), -1);

    Setting name{"first", 0};
    CtrlParameterStringArbitrary text("Name", "", name.binding());
    typeAndFinish(text.lineEdit(), "second");
    QCOMPARE(name.value, QString("second"));

    Setting wkt{"PROJCS[\"a long coordinate system\"]", 0};
    CtrlParameterStringArbitrary readOnly("Coordinate System", "", wkt.binding(), true);
    QCOMPARE(readOnly.lineEdit()->cursorPosition(), 0);
    readOnly.commitFromUi(true);
    QCOMPARE(wkt.writes, 0);
  }

  void finishingCommitsWhatIsBeingTyped() {
    Setting setting{"old", 0};
    CtrlParameterStringArbitrary row("Name", "", setting.binding());
    row.show();
    QVERIFY(QTest::qWaitForWindowExposed(&row));
    QApplication::setActiveWindow(&row);  // no window manager under Xvfb
    row.lineEdit()->setFocus();
    row.lineEdit()->selectAll();
    QTest::keyClicks(row.lineEdit(), "typed");
    QCOMPARE(setting.writes, 0);
    row.finishEditing();
    QCOMPARE(setting.value, QString("typed"));
    row.finishEditing();  // nothing being typed any more
    QCOMPARE(setting.writes, 1);
  }

  void loadingTheEditorStoresNothing() {
    Setting setting{"las", 0};
    CtrlParameterStringFromList list("Format", "", {"las", "laz"}, setting.binding());
    QSignalSpy modified(&list, &CtrlParameter::signal_modified);
    setting.value = "laz";
    list.slot_updateUi();
    QCOMPARE(list.comboBox()->currentText(), QString("laz"));
    QCOMPARE(setting.writes, 0);
    QCOMPARE(modified.count(), 0);
  }

  void spinBoxesClampToTheirRanges() {
    int count = 0;
    CtrlParameterInt integer("Count", "", ValueBinding<int>(&count));
    integer.spinBox()->setValue(20000);
    integer.commitFromUi(false);
    QCOMPARE(count, 10000);
    integer.spinBox()->setValue(-20000);
    integer.commitFromUi(false);
    QCOMPARE(count, -1000);

    double value = 0;
    CtrlParameterDouble real("Value", "", ValueBinding<double>(&value));
    real.spinBox()->setValue(1e6);
    real.commitFromUi(false);
    QCOMPARE(value, 10000.0);

    int tiles = 5;
    bool isAuto = false;
    CtrlParameterAutoManualInt sub("Tiles", "", 1, 100,
                                   {[&] { return isAuto; }, [&](bool a) { isAuto = a; }, [&] { return tiles; },
                                    [&](const int& v) { tiles = v; }});
    sub.spinBox()->setValue(0);
    sub.commitFromUi(true);
    QCOMPARE(tiles, 1);
    sub.spinBox()->setValue(1000);
    sub.commitFromUi(true);
    QCOMPARE(tiles, 100);
  }

  void autoManualSwitchesTheValueOnAndOff() {
    bool isAuto = true;
    double size = 250.0;
    int autoWrites = 0;
    CtrlParameterAutoManualDouble tile("Tile size [m]", "", -1.0, 999999.0,
                                       {[&] { return isAuto; },
                                        [&](bool a) {
                                          isAuto = a;
                                          ++autoWrites;
                                        },
                                        [&] { return size; }, [&](const double& v) { size = v; }});
    QCOMPARE(tile.modeBox()->currentText(), QString("auto"));
    QVERIFY(!tile.spinBox()->isEnabled());
    QCOMPARE(tile.spinBox()->value(), 250.0);

    QSignalSpy byUser(&tile, &CtrlParameter::signal_user_modified);
    tile.spinBox()->setValue(500.0);
    tile.modeBox()->setCurrentIndex(1);
    QVERIFY(!isAuto);
    QCOMPARE(size, 500.0);
    QVERIFY(tile.spinBox()->isEnabled());
    QCOMPARE(byUser.count(), 1);

    tile.spinBox()->setValue(750.0);
    emit tile.spinBox()->editingFinished();
    QCOMPARE(size, 750.0);

    tile.modeBox()->setCurrentIndex(0);
    QVERIFY(isAuto);
    QCOMPARE(size, 750.0);  // the manual value is kept for the next switch
    QVERIFY(!tile.spinBox()->isEnabled());

    // The project may leave "auto" on its own (a manual value set elsewhere).
    autoWrites = 0;
    isAuto = false;
    size = 42.0;
    tile.slot_updateUi();
    QCOMPARE(tile.modeBox()->currentIndex(), 1);
    QCOMPARE(tile.spinBox()->value(), 42.0);
    QCOMPARE(autoWrites, 0);
  }

  void aThrowingSetterLeavesTheRowShowingTheStoredValue() {
    Setting setting{"kept", 0};
    CtrlParameterStringArbitrary text("Name", "", setting.binding());
    QSignalSpy modified(&text, &CtrlParameter::signal_modified);
    {
      MessageBoxWatcher watcher;
      typeAndFinish(text.lineEdit(), "refuse me");
      QCOMPARE(watcher.texts(), QStringList{"Error: value refused"});
    }
    QCOMPARE(text.lineEdit()->text(), QString("kept"));
    QCOMPARE(setting.value, QString("kept"));
    QCOMPARE(modified.count(), 0);

    bool isAuto = true;
    CtrlParameterAutoManualInt sub(
        "Tiles", "", 1, 100,
        {[&] { return isAuto; }, [&](bool) { throw std::runtime_error("no distributed processing"); },
         [] { return 4; }, [](const int&) {}});
    {
      MessageBoxWatcher watcher;
      sub.modeBox()->setCurrentIndex(1);
      QCOMPARE(watcher.texts(), QStringList{"Error: no distributed processing"});
    }
    QCOMPARE(sub.modeBox()->currentIndex(), 0);
    QVERIFY(!sub.spinBox()->isEnabled());
  }

  void fileRowStoresOnlyExistingFilesOrNothing() {
    QTemporaryDir dir;
    const QString existing = dir.filePath("area.shp");
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    Setting setting{"", 0};
    CtrlParameterFile row("Area shape file", "", "Shape Files (*.shp)", setting.binding());
    QSignalSpy modified(&row, &CtrlParameter::signal_modified);

    typeAndFinish(row.lineEdit(), existing);
    QCOMPARE(setting.value, existing);
    QCOMPARE(modified.count(), 1);

    // Finishing again without typing stores nothing.
    emit row.lineEdit()->editingFinished();
    QCOMPARE(setting.writes, 1);

    const QString missing = dir.filePath("missing.shp");
    {
      MessageBoxWatcher watcher;
      typeAndFinish(row.lineEdit(), missing);
      QCOMPARE(watcher.texts().size(), 1);
      QVERIFY(watcher.texts().first().startsWith("The specified file does not exist."));
      QVERIFY(watcher.texts().first().contains(missing));
    }
    QCOMPARE(setting.value, existing);
    QCOMPARE(row.lineEdit()->text(), missing);  // left for the operator to correct
    QCOMPARE(modified.count(), 1);

    typeAndFinish(row.lineEdit(), "");
    QCOMPARE(setting.value, QString());
    QCOMPARE(modified.count(), 2);

    // The setter refuses with something that is no std::exception.
    QString crashing = dir.filePath("crash.shp");
    QFile crashFile(crashing);
    QVERIFY(crashFile.open(QIODevice::WriteOnly));
    crashFile.close();
    {
      MessageBoxWatcher watcher;
      typeAndFinish(row.lineEdit(), crashing);
      QCOMPARE(watcher.texts(), QStringList{"Error: Invalid area parameter input."});
    }
    QCOMPARE(row.lineEdit()->text(), QString());
  }

  void fileRowBrowsesFromTheCurrentFile() {
    QTemporaryDir dir;
    const QString existing = dir.filePath("colors.gcb");
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    Setting setting{"/nowhere/old.gcb", 0};
    CtrlParameterFile row("Custom color adjustment file", "", "Color Adjustment Files (*.gcb)", setting.binding());
    QStringList asked;
    QString answer = existing;
    row.setFileChooser([&](QWidget*, const QString& title, const QString& start, const QString& filter) {
      asked << title << start << filter;
      return answer;
    });
    row.browseButton()->click();
    QCOMPARE(asked, (QStringList{"Select File", "", "Color Adjustment Files (*.gcb)"}));
    QCOMPARE(setting.value, existing);

    asked.clear();
    answer.clear();  // the dialog was cancelled
    row.browseButton()->click();
    QCOMPARE(asked.value(1), existing);
    QCOMPARE(setting.value, existing);
    QCOMPARE(setting.writes, 1);
  }

  void enabledConditionFollowsItsSource() {
    bool source = false;
    bool value = false;
    CtrlParameterCheckBox row("Dependent", "", ValueBinding<bool>(&value));
    QVERIFY(row.isEnabled());
    row.setEnabledCondition(&source);
    QVERIFY(!row.isEnabled());
    source = true;
    row.slot_updateUi();
    QVERIFY(row.isEnabled());
    row.setExpectedConditionValue(false);
    QVERIFY(!row.isEnabled());
    row.setEnabledCondition([] { return false; });  // a new condition expects true again
    QVERIFY(!row.isEnabled());
    row.setEnabledCondition([] { return true; });
    QVERIFY(row.isEnabled());
  }

  void rowLooksAndTipsAsAFormRow() {
    CtrlParameterLabel row("Depth Buffer", "");
    QCOMPARE(row.toolTip(), QString("<div>Depth Buffer</div>"));
    CtrlParameterLabel tipped("Depth Buffer", "Number of height values stored in cell.");
    QCOMPARE(tipped.toolTip(), QString("<div>Number of height values stored in cell.</div>"));
    QCOMPARE(row.minimumHeight(), 30);
    QCOMPARE(row.maximumHeight(), 40);

    row.setRowStyle(0);
    QCOMPARE(row.palette().color(QPalette::Inactive, QPalette::Window), QColor(Qt::white));
    row.setRowStyle(1);
    QCOMPARE(row.palette().color(QPalette::Disabled, QPalette::Window), QColor(231, 231, 231));
    QVERIFY(row.autoFillBackground());

    row.setHiddenIn(FormSetting::WorkflowTool);
    row.setHiddenIn(FormSetting::TexturingTool);
    row.setHiddenIn(FormSetting::TexturingTool, false);
    QVERIFY(row.isHiddenIn(FormSetting::WorkflowTool));
    QVERIFY(!row.isHiddenIn(FormSetting::TexturingTool));
    QVERIFY(!row.isHiddenIn(FormSetting::ProjectWide));
  }

  void expandFrameShowsAndHidesItsRows() {
    ExpandFrame section("Mesh");
    auto* row = new CtrlParameterLabel("Row", "");
    section.addRow(row);
    section.show();
    QVERIFY(!section.isExpanded());
    QVERIFY(!row->isVisible());
    section.expandButton()->click();
    QVERIFY(section.isExpanded());
    QVERIFY(row->isVisible());
    QVERIFY(section.expandButton()->isChecked());
    section.slot_expand(false);
    QVERIFY(!row->isVisible());
    QVERIFY(!section.expandButton()->isChecked());
  }

  void configurableRowForwardsItsButtonAndCondition() {
    bool enabled = true;
    auto* row = new CtrlParameterLabel("Mesh & Texture formats", "Select mesh output formats");
    row->setEnabledCondition(&enabled);
    ConfigurableCtrlFormWidget widget(row);
    QCOMPARE(row->parent(), &widget);
    QCOMPARE(row->frameShape(), QFrame::NoFrame);
    QVERIFY(!widget.configureButton()->icon().isNull());
    QSignalSpy pressed(&widget, &ConfigurableCtrlFormWidget::signal_configurePressed);
    widget.configureButton()->click();
    QCOMPARE(pressed.count(), 1);
    enabled = false;
    widget.slot_applyEnabledCondition();
    QVERIFY(!row->isEnabled());
  }
};

QTEST_MAIN(CtrlParameterTest)
#include "CtrlParameterTest.moc"
