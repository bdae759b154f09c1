#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include "FormTestProject.h"
#include "img/images/Images.h"
#include "tools/forms/ControlForm.h"
#include "tools/forms/ControlFormViewer.h"

namespace {
void click(CtrlParameter* row) { qobject_cast<CtrlParameterCheckBox*>(row)->checkBox()->click(); }

// Press and release, as the dialog's buttons answer `released()`.
void press(ControlFormViewer& dialog, const char* button) {
  QTest::mouseClick(dialog.findChild<QToolButton*>(button), Qt::LeftButton);
}

CtrlParameter* draco(ControlFormViewer& dialog) {
  return rowLabelled(dialog.form()->rows(), "Cesium: Enable Draco compression");
}

}  // namespace

class ControlFormViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { vexaInitImages(); }

  void saveAsksAboutExactlyTheStepsItResets() {
    FormTestProject t(true);
    // A step that is not done is not reset, whatever the change.
    t.project->setStepStatus(vx::steps::Mesh, vx::steps::Started);
    ControlFormViewer dialog(t.project, true, FormSetting::ProjectWide);
    QStringList questions;
    dialog.setResetAsker([&](const QString& q) {
      questions << q;
      return true;
    });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    click(draco(dialog));
    QVERIFY(dialog.isModified());
    QVERIFY(dialog.findChild<QLabel*>("labelUnsaved")->isVisible());
    QStringList expected;
    for (vx::steps::Steps step : vx::steps::kAllSteps) {
      if (t.project->stepStatus(step) == vx::steps::Done &&
          dialog.form()->workingCopy()->stepStatus(step) != vx::steps::Done)
        expected << vx::steps::stepName(step);
    }
    QVERIFY(expected.contains("DSM Mesh"));
    QVERIFY(!expected.contains("Mesh"));
    QVERIFY(!expected.contains("Analysis"));

    QSignalSpy updated(&dialog, &ControlFormViewer::signal_updateUI);
    press(dialog, "buttonAccept");
    QCOMPARE(questions.size(), 1);
    QStringList lines = questions.first().split('\n');
    QCOMPARE(lines.takeFirst(), QString("This will reset the following processing steps:"));
    QCOMPARE(lines, expected);

    QVERIFY(t.project->cesiumDracoCompression());
    QCOMPARE(t.project->stepStatus(vx::steps::DSMMesh),
             dialog.form()->workingCopy()->stepStatus(vx::steps::DSMMesh));
    QVERIFY(t.reload()->cesiumDracoCompression());
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.isModified());
    QCOMPARE(updated.count(), 1);
  }

  void aDeclinedResetCommitsNothing() {
    FormTestProject t(true);
    t.project->saveProject();
    const QByteArray before = [&] {
      QFile file(t.projectFile());
      file.open(QIODevice::ReadOnly);
      return file.readAll();
    }();
    ControlFormViewer dialog(t.project, true, FormSetting::ProjectWide);
    int asked = 0;
    dialog.setResetAsker([&](const QString&) {
      ++asked;
      return false;
    });
    dialog.show();
    click(rowLabelled(dialog.form()->rows(), "Export additional TFW files"));
    press(dialog, "buttonAccept");
    QCOMPARE(asked, 1);
    QVERIFY(!t.project->dsmExport(vx::ExportTfwFiles));
    QCOMPARE(t.project->stepStatus(vx::steps::DSM), int(vx::steps::Done));
    QFile file(t.projectFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QVERIFY(!dialog.isVisible());
    // Opened again, the dialog shows the project, not the refused edit.
    QVERIFY(!dialog.form()->workingCopy()->dsmExport(vx::ExportTfwFiles));
  }

  void aChangeThatResetsNothingIsSavedWithoutQuestion() {
    FormTestProject t;  // nothing processed yet
    ControlFormViewer dialog(t.project, false, FormSetting::WorkflowTool);
    int asked = 0;
    dialog.setResetAsker([&](const QString&) {
      ++asked;
      return false;
    });
    click(draco(dialog));
    dialog.on_buttonAccept_clicked();
    QCOMPARE(asked, 0);
    QVERIFY(t.project->cesiumDracoCompression());
    QVERIFY(!QFile::exists(t.projectFile()));  // a tool's project lives in memory

    // A caller that has asked already tells the dialog to skip the question.
    FormTestProject finished(true);
    ControlFormViewer skipping(finished.project, false, FormSetting::WorkflowTool);
    skipping.setResetAsker([&](const QString&) {
      ++asked;
      return false;
    });
    skipping.setSkipResetQuestion(true);
    click(draco(skipping));
    skipping.on_buttonAccept_clicked();
    QCOMPARE(asked, 0);
    QVERIFY(finished.project->cesiumDracoCompression());
  }

  void cancelAndResetLeaveTheProjectAsItWas() {
    FormTestProject t(true);
    ControlFormViewer dialog(t.project, true, FormSetting::ProjectWide);
    dialog.show();
    click(draco(dialog));
    press(dialog, "buttonReset");
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.isModified());
    QVERIFY(!dialog.form()->workingCopy()->cesiumDracoCompression());

    click(draco(dialog));
    press(dialog, "cancel");
    QVERIFY(!dialog.isVisible());
    QVERIFY(!t.project->cesiumDracoCompression());
    QCOMPARE(t.project->stepStatus(vx::steps::Mesh), int(vx::steps::Done));
    QVERIFY(!dialog.form()->workingCopy()->cesiumDracoCompression());
    QVERIFY(!QFile::exists(t.projectFile()));
  }

  void closingWithUnsavedChangesAsks() {
    FormTestProject t(true);
    ControlFormViewer dialog(t.project, true, FormSetting::ProjectWide);
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
    QStringList asked;
    dialog.setUnsavedAsker([&](const QString& q) {
      asked << q;
      return answer;
    });
    dialog.setResetAsker([](const QString&) { return true; });

    // Nothing changed: no question.
    dialog.show();
    QVERIFY(dialog.close());
    QVERIFY(asked.isEmpty());

    dialog.show();
    click(draco(dialog));
    QVERIFY(!dialog.close());
    QCOMPARE(asked, QStringList{"Parameters have unsaved changes."});
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.isModified());
    QVERIFY(dialog.form()->workingCopy()->cesiumDracoCompression());
    QVERIFY(qobject_cast<CtrlParameterCheckBox*>(draco(dialog))->checkBox()->isChecked());

    // Escape asks the same.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(asked.size(), 2);
    QVERIFY(dialog.isVisible());

    answer = QMessageBox::Reset;
    QVERIFY(dialog.close());
    QVERIFY(!dialog.isModified());
    QVERIFY(!dialog.form()->workingCopy()->cesiumDracoCompression());
    QVERIFY(!t.project->cesiumDracoCompression());

    answer = QMessageBox::Save;
    dialog.show();
    click(draco(dialog));
    QVERIFY(dialog.close());
    QVERIFY(t.project->cesiumDracoCompression());
    QVERIFY(t.reload()->cesiumDracoCompression());
  }

  void aBusyDialogStaysOpenAndUntouchable() {
    FormTestProject t;
    ControlFormViewer dialog(t.project, false, FormSetting::ProjectWide);
    QSignalSpy busy(&dialog, &ControlFormViewer::signal_busy);
    dialog.show();
    emit dialog.form()->signal_busy(true);
    QVERIFY(!dialog.isEnabled());
    QVERIFY(!dialog.close());
    emit dialog.form()->signal_busy(false);
    QVERIFY(dialog.isEnabled());
    QVERIFY(dialog.close());
    QCOMPARE(busy.count(), 2);
  }

  void titlesAndModificationSignal() {
    FormTestProject t;
    ControlFormViewer projectWide(t.project, true, FormSetting::ProjectWide);
    QCOMPARE(projectWide.windowTitle(), QString("Advanced Configuration"));
    QCOMPARE(projectWide.findChild<QGroupBox*>()->title(), QString("Controlfile parameters"));
    ControlFormViewer tool(t.project, false, FormSetting::TexturingTool);
    QCOMPARE(tool.findChild<QGroupBox*>()->title(), QString("Parameters"));

    QSignalSpy local(&tool, &ControlFormViewer::signal_localParamModifications);
    click(draco(tool));
    QCOMPARE(local.count(), 1);
    QCOMPARE(local.first().first().toBool(), true);
    tool.slot_disable();
    QVERIFY(!tool.form()->isEnabled());
    tool.slot_enable();
    QVERIFY(tool.form()->isEnabled());
  }
};

QTEST_MAIN(ControlFormViewerTest)
#include "ControlFormViewerTest.moc"
