#include "img/images/Images.h"
#include "dialogs/MessageDialogs.h"
#include "dialogs/VexaDialog.h"
#include "tests/support/MessageBoxWatcher.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

template <typename Show>
auto answered(QMessageBox::StandardButton button, Show show) {
  MessageBoxWatcher watcher(button);
  return show();
}

QCheckBox* dontShowAgain(QMessageBox* box) { return box->findChild<QCheckBox*>("checkBoxDontShowAgain"); }
QString label(QDialog& dialog, const char* name) { return dialog.findChild<QLabel*>(name)->text(); }
QPushButton* button(QDialog& dialog, const char* name) { return dialog.findChild<QPushButton*>(name); }

}  // namespace

class MessageDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { vexaInitImages(); }

  void shownBoxesReturnThePressedButton() {
    {
      MessageBoxWatcher watcher;
      QCOMPARE(qvx::criticalBox("critical"), 0);
      QCOMPARE(qvx::informationBox("info"), 0);
      QCOMPARE(qvx::warningBox("warning"), 0);
      QCOMPARE(qvx::shortcutBox("keys"), 0);
      QVERIFY(qvx::confirmationBox("sure?"));
      QCOMPARE(watcher.texts(), QStringList({"critical", "info", "warning", "keys", "sure?"}));
      for (const MessageBoxWatcher::Box& box : watcher.boxes()) {
        QCOMPARE(box.title, QString(box.text == "keys" ? "VEXA Shortcuts" : "VEXA"));
        QVERIFY(box.flags & Qt::WindowStaysOnTopHint);
        QVERIFY(!box.hasParent);
      }
    }
    QVERIFY(!answered(QMessageBox::Cancel, [] { return qvx::confirmationBox("sure?"); }));
    QCOMPARE(answered(QMessageBox::Cancel, [] { return qvx::okCancelQuestion("go on?"); }), QMessageBox::Cancel);
    QCOMPARE(answered(QMessageBox::No, [] { return qvx::yesNoQuestion("really?"); }), QMessageBox::No);
    QCOMPARE(answered(QMessageBox::Reset, [] { return qvx::saveQuestion("save?"); }), QMessageBox::Reset);
  }

  void silenceableWarningRemembersTheTick() {
    const quint32 id = 4201;
    {
      // Showing the box lays it out anew; the check box must still sit in its cell.
      bool checkBoxAsSpecified = false;
      MessageBoxWatcher watcher(QMessageBox::Ok, [&](QMessageBox* box) {
        QCheckBox* check = dontShowAgain(box);
        QLayoutItem* cell = static_cast<QGridLayout*>(box->layout())->itemAtPosition(1, 2);
        checkBoxAsSpecified = check && cell && cell->widget() == check && check->isVisible() &&
                              !check->isChecked() && check->text() == "Don't show this again";
      });
      QCOMPARE(qvx::silenceableWarning("first", id), 0);
      QVERIFY(checkBoxAsSpecified);
      QVERIFY(!qvx::isDialogIgnored(id));
    }
    {
      MessageBoxWatcher watcher(QMessageBox::Ok, [](QMessageBox* box) { dontShowAgain(box)->setChecked(true); });
      QCOMPARE(qvx::silenceableWarning("second", id), 0);
      QCOMPARE(watcher.texts(), QStringList({"second"}));
      QVERIFY(qvx::isDialogIgnored(id));
    }
    MessageBoxWatcher watcher;
    QCOMPARE(qvx::silenceableWarning("third", id), -1);
    QVERIFY(watcher.boxes().isEmpty());
  }

  // An unattended run must never stop at a box: nothing is shown and every question is declined.
  void unattendedRunsShowNoBoxes() {
    MessageBoxWatcher watcher(QMessageBox::Ok);
    qvx::setUnattended(true);
    QCOMPARE(qvx::criticalBox("c"), 0);
    QCOMPARE(qvx::okCancelQuestion("update?"), QMessageBox::Cancel);
    QCOMPARE(qvx::yesNoQuestion("proceed?"), QMessageBox::No);
    QVERIFY(!qvx::confirmationBox("sure?"));
    qvx::timedInformation("t", 60000);
    qvx::setUnattended(false);
    QVERIFY(watcher.boxes().isEmpty());
  }

  // Returning at all is the point: nobody answers this box.
  void timedInformationClosesItself() { qvx::timedInformation("Not enough waypoints", 200); }

  void brandedDialogs() {
    qVexaDialog dialog(nullptr, "Heading", "A longer message.");
    QVERIFY(!dialog.findChild<QLabel*>("labelLogo")->pixmap(Qt::ReturnByValue).isNull());
    QVERIFY(!button(dialog, "button_left")->isHidden());
    for (const char* name : {"button_left", "button_right"}) {
      dialog.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dialog));
      button(dialog, name)->click();
      QVERIFY(!dialog.isVisible());
    }
    qVexaInfoDialog info(nullptr, "All done.");
    qVexaErrorDialog error(nullptr, "It failed.");
    QCOMPARE(label(info, "labelHeading") + "/" + label(error, "labelHeading"), QString("Info/Error"));
    QVERIFY(button(info, "button_left")->isHidden() && button(error, "button_left")->isHidden());
    QVERIFY(!button(info, "button_right")->isHidden() && !button(error, "button_right")->isHidden());
  }
};

QTEST_MAIN(MessageDialogsTest)
#include "MessageDialogsTest.moc"
