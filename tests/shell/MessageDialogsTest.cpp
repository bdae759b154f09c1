#include "img/images/Images.h"
#include "shell/InitFile.h"
#include "shell/MessageDialogs.h"
#include "shell/VexaDialog.h"
#include "tests/support/MessageBoxWatcher.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <functional>

using BoxMaker = std::function<std::unique_ptr<QMessageBox>(const QString&)>;
Q_DECLARE_METATYPE(BoxMaker)

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

  void boxesShareTheirLook_data() {
    QTest::addColumn<BoxMaker>("make");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    const int none = QMessageBox::NoButton, okCancel = QMessageBox::Ok | QMessageBox::Cancel;
    QTest::newRow("critical") << BoxMaker(qvx::makeCriticalBox) << int(QMessageBox::Critical) << none;
    QTest::newRow("information") << BoxMaker(qvx::makeInformationBox) << int(QMessageBox::Information) << none;
    QTest::newRow("warning") << BoxMaker(qvx::makeWarningBox) << int(QMessageBox::Warning) << none;
    QTest::newRow("confirmation") << BoxMaker(qvx::makeConfirmationBox) << int(QMessageBox::Question) << okCancel;
    QTest::newRow("ok/cancel") << BoxMaker(qvx::makeOkCancelQuestion) << int(QMessageBox::Question) << okCancel;
    QTest::newRow("yes/no") << BoxMaker(qvx::makeYesNoQuestion) << int(QMessageBox::Question)
                            << int(QMessageBox::Yes | QMessageBox::No);
    QTest::newRow("save") << BoxMaker(qvx::makeSaveQuestion) << int(QMessageBox::Question)
                          << int(QMessageBox::Save | QMessageBox::Cancel | QMessageBox::Reset);
    QTest::newRow("silenceable") << BoxMaker(qvx::makeSilenceableWarning) << int(QMessageBox::Warning) << none;
  }

  void boxesShareTheirLook() {
    QFETCH(BoxMaker, make);
    const auto box = make("Something happened.");
    QCOMPARE(box->windowTitle(), QString("VEXA"));
    QCOMPARE(box->text(), QString("Something happened."));
    QTEST(int(box->icon()), "icon");
    QTEST(int(box->standardButtons()), "buttons");
    QVERIFY(box->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!box->parentWidget());
  }

  void shortcutBoxIsAsWideAsItsText() {
    const auto box = qvx::makeShortcutBox("Ctrl+Z  Undo");
    QCOMPARE(box->windowTitle(), QString("VEXA Shortcuts"));
    QCOMPARE(box->styleSheet(), QString("QLabel{min-width: %1}").arg(box->width()));
  }

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
        QVERIFY(box.flags & Qt::WindowStaysOnTopHint);
        QVERIFY(!box.hasParent);
      }
      QCOMPARE(watcher.boxes()[3].title, QString("VEXA Shortcuts"));
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
      QVERIFY(!InitFile::isDialogIgnored(id));
    }
    {
      MessageBoxWatcher watcher(QMessageBox::Ok, [](QMessageBox* box) { dontShowAgain(box)->setChecked(true); });
      QCOMPARE(qvx::silenceableWarning("second", id), 0);
      QCOMPARE(watcher.texts(), QStringList({"second"}));
      QVERIFY(InitFile::isDialogIgnored(id));
    }
    MessageBoxWatcher watcher;
    QCOMPARE(qvx::silenceableWarning("third", id), -1);
    QVERIFY(watcher.boxes().isEmpty());
  }

  void brandedDialogs() {
    qVexaDialog dialog(nullptr, "Heading", "A longer message.");
    QCOMPARE(dialog.windowTitle(), QString("VEXA"));
    QCOMPARE(label(dialog, "labelHeading"), QString("Heading"));
    QCOMPARE(label(dialog, "labelMessage"), QString("A longer message."));
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
