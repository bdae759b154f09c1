#include <QApplication>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <functional>
#include <stdexcept>

#include "dialogs/OmniDialog.h"
#include "tools/inputs/DataInputField.h"
#include "tools/inputs/DataInputFolder.h"
#include "tools/inputs/FieldPath.h"

using qvx::tool::DataInputField;
using qvx::tool::DataInputFolder;

namespace {

QLineEdit* editOf(DataInputField& field) { return field.findChild<QLineEdit*>("lineEditData"); }
QColor backgroundOf(DataInputField& field) { return editOf(field)->palette().color(QPalette::Base); }

void type(DataInputField& field, const QString& text) {
  editOf(field)->setText(text);
  emit editOf(field)->editingFinished();
}

QString runForError(DataInputField& field) {
  try {
    field.validateForRun();
  } catch (const std::runtime_error& error) {
    return QString::fromUtf8(error.what());
  }
  return QString();
}

// Clicks the field's "..." and lets `answer` handle the browse dialog it opens.
void browse(DataInputField& field, const std::function<void(omniDialog&)>& answer) {
  bool answered = false;
  QTimer::singleShot(0, &field, [&] {
    auto* dialog = qobject_cast<omniDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    answer(*dialog);
    answered = true;
  });
  QTest::mouseClick(field.findChild<QToolButton*>("buttonOpen"), Qt::LeftButton);
  QVERIFY(answered);
}

void press(omniDialog& dialog, const QString& text) {
  for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
    if (button->text() == text) button->click();
  }
}

void choose(omniDialog& dialog, const QString& path) {
  dialog.findChild<QLineEdit*>()->setText(path);
  press(dialog, "Ok");
}

QString startFolderOf(omniDialog& dialog) {
  auto* tree = dialog.findChild<QTreeView*>();
  return static_cast<QFileSystemModel*>(tree->model())->filePath(tree->currentIndex());
}

}  // namespace

class DataInputFieldTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QVERIFY(QDir(dir_.path()).mkpath("project/Results"));
    file_ = dir_.filePath("project/points.las");
    QFile out(file_);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("LASF");
  }

  void aDroppedUrlIsThePathWithoutItsPrefix() {
    QCOMPARE(qvx::tool::fieldPath(" file://" + file_ + " "), file_);
    QCOMPARE(qvx::tool::fieldPath(file_), file_);
    // Only the local-file prefix is dropped.
    QCOMPARE(qvx::tool::fieldPath("file://host/share/a.las"), QString("file://host/share/a.las"));
    QCOMPARE(qvx::tool::fieldPath("FILE:///a.las"), QString("FILE:///a.las"));

    DataInputField field("Input");
    type(field, "file://" + file_);
    QVERIFY(field.isValid());
    QCOMPARE(field.value(), file_);
    QCOMPARE(backgroundOf(field), QColor(255, 255, 255, 255));
  }

  // A required field that names nothing turns red and stops the run; a good path heals it.
  void anInvalidRequiredFieldStopsTheRun() {
    DataInputField field("Input");
    QSignalSpy set(&field, &DataInputField::signal_setData);
    for (const QString& bad : {dir_.filePath("missing.las"), QString(), QString("   ")}) {
      type(field, bad);
      QVERIFY2(!field.isValid(), qPrintable(bad));
      QCOMPARE(backgroundOf(field), QColor(255, 0, 0, 40));
      QCOMPARE(runForError(field), QString("Input in datafield not valid"));
    }
    QCOMPARE(set.count(), 0);

    type(field, file_);
    QVERIFY(field.isValid());
    QCOMPARE(backgroundOf(field), QColor(255, 255, 255, 255));
    QCOMPARE(set.count(), 1);
    QCOMPARE(runForError(field), QString());

    // A disabled field takes no part in the run.
    type(field, dir_.filePath("missing.las"));
    field.slot_disable();
    QCOMPARE(runForError(field), QString());
    field.slot_enable();
    QCOMPARE(runForError(field), QString("Input in datafield not valid"));
  }

  void anOptionalFieldAcceptsEmptyAndMissingPaths() {
    DataInputField field("Correction shapefile", true);
    type(field, "");
    QVERIFY(field.isValid());
    QCOMPARE(runForError(field), QString());
    QCOMPARE(field.lastFolder(), QString());

    const QString planned = dir_.filePath("project/new/polygons.shp");
    type(field, planned);
    QVERIFY(field.isValid());
    QCOMPARE(field.value(), planned);
    QCOMPARE(backgroundOf(field), QColor(255, 255, 255, 255));
    QCOMPARE(field.lastFolder(), dir_.filePath("project/new"));
  }

  void settingAPathRemembersItsFolder() {
    DataInputField field("Input");
    QSignalSpy set(&field, &DataInputField::signal_setData);
    field.slot_setData(file_);
    QCOMPARE(field.value(), file_);
    QCOMPARE(editOf(field)->cursorPosition(), file_.size());
    QCOMPARE(editOf(field)->toolTip(), file_);
    QCOMPARE(field.lastFolder(), dir_.filePath("project"));
    QCOMPARE(set.takeFirst().at(0).toString(), dir_.filePath("project"));

    // A required field ignores a path that does not exist.
    field.setData(dir_.filePath("missing.las"));
    QCOMPARE(field.value(), file_);
    QCOMPARE(set.count(), 0);

    field.setData(dir_.filePath("project/Results"));
    QCOMPARE(field.lastFolder(), dir_.filePath("project/Results"));
  }

  // The name is appended once, however often the path is set or validated.
  void aNamedFolderFieldAppendsItsNameOnce() {
    DataInputFolder field("Output", true);
    field.setName("Results");
    field.setData(dir_.filePath("project"));
    const QString expected = dir_.filePath("project/Results");
    QCOMPARE(field.value(), expected);
    QCOMPARE(field.lastFolder(), expected);
    field.slot_validate();
    QCOMPARE(field.value(), expected);
    field.setData(expected);
    QCOMPARE(field.value(), expected);
  }

  void browsingSetsWhatWasChosen() {
    DataInputField field("Input", false, {"*.las"});
    field.setToolTip("Select point cloud");
    browse(field, [&](omniDialog& dialog) {
      QCOMPARE(dialog.windowTitle(), QString("Select point cloud"));
      choose(dialog, file_);
    });
    QCOMPARE(field.value(), file_);
    QVERIFY(field.isValid());

    // A missing file is no choice for a required field; cancelling keeps the path.
    browse(field, [&](omniDialog& dialog) {
      QCOMPARE(startFolderOf(dialog), dir_.filePath("project"));
      choose(dialog, dir_.filePath("missing.las"));
    });
    QCOMPARE(field.value(), file_);
    browse(field, [](omniDialog& dialog) { press(dialog, "Cancel"); });
    QCOMPARE(field.value(), file_);
  }

  // Browsing starts at the current path, else the last folder, else what another field offered.
  void browsingStartsWhereTheOperatorWasLast() {
    DataInputFolder first("Project");
    DataInputField second("Input");
    connect(&first, &DataInputField::signal_setData, &second, &DataInputField::slot_initialValue);
    browse(first, [&](omniDialog& dialog) { choose(dialog, dir_.filePath("project/Results/")); });
    QCOMPARE(first.value(), dir_.filePath("project/Results"));
    browse(first, [&](omniDialog& dialog) { choose(dialog, file_); });
    QCOMPARE(first.value(), dir_.filePath("project"));

    browse(second, [&](omniDialog& dialog) {
      QCOMPARE(startFolderOf(dialog), dir_.filePath("project"));
      press(dialog, "Cancel");
    });
    second.setData(dir_.filePath("project/Results"));
    type(second, dir_.filePath("missing.las"));
    browse(second, [&](omniDialog& dialog) {
      QCOMPARE(startFolderOf(dialog), dir_.filePath("project/Results"));
      press(dialog, "Cancel");
    });
  }

 private:
  QTemporaryDir dir_;
  QString file_;
};

QTEST_MAIN(DataInputFieldTest)
#include "DataInputFieldTest.moc"
