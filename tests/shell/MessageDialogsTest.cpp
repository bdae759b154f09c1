#include "shell/InitFile.h"
#include "shell/MessageDialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>
#include <QtTest>

#include <functional>

namespace {

// Acts on the next modal box from inside its own event loop, so the exec() wrappers can be
// driven without a user. Polls the modal stack on a timer.
class ModalDriver : public QObject {
 public:
  explicit ModalDriver(std::function<void(QMessageBox*)> action) : m_action(std::move(action)) {
    connect(&m_timer, &QTimer::timeout, this, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      m_timer.stop();
      m_shown = true;
      m_title = box->windowTitle();
      m_flags = box->windowFlags();
      m_hasParent = box->parentWidget() != nullptr;
      m_action(box);
    });
    m_timer.start(10);
  }

  bool shown() const { return m_shown; }
  QString title() const { return m_title; }
  Qt::WindowFlags flags() const { return m_flags; }
  bool hasParent() const { return m_hasParent; }

 private:
  std::function<void(QMessageBox*)> m_action;
  QTimer m_timer;
  bool m_shown = false;
  QString m_title;
  Qt::WindowFlags m_flags;
  bool m_hasParent = false;
};

std::function<void(QMessageBox*)> press(QMessageBox::StandardButton button) {
  return [button](QMessageBox* box) { box->button(button)->click(); };
}

// Also records whether the shown box still has the check box in its grid cell (1, 2).
std::function<void(QMessageBox*)> tickAndClose(bool tick, bool* checkBoxInCell = nullptr) {
  return [tick, checkBoxInCell](QMessageBox* box) {
    auto* check = box->findChild<QCheckBox*>("checkBoxDontShowAgain");
    if (checkBoxInCell) {
      QLayoutItem* cell = static_cast<QGridLayout*>(box->layout())->itemAtPosition(1, 2);
      *checkBoxInCell = cell && cell->widget() == check && check->isVisible();
    }
    check->setChecked(tick);
    box->button(QMessageBox::Ok)->click();
  };
}

using BoxMaker = std::function<std::unique_ptr<QMessageBox>(const QString&)>;

}  // namespace

Q_DECLARE_METATYPE(BoxMaker)

class MessageDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void boxesShareTheirLook_data() {
    QTest::addColumn<BoxMaker>("make");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    QTest::newRow("critical") << BoxMaker(qvx::makeCriticalBox) << int(QMessageBox::Critical)
                              << int(QMessageBox::NoButton);
    QTest::newRow("information") << BoxMaker(qvx::makeInformationBox)
                                 << int(QMessageBox::Information) << int(QMessageBox::NoButton);
    QTest::newRow("warning") << BoxMaker(qvx::makeWarningBox) << int(QMessageBox::Warning)
                             << int(QMessageBox::NoButton);
    QTest::newRow("confirmation") << BoxMaker(qvx::makeConfirmationBox) << int(QMessageBox::Question)
                                  << int(QMessageBox::Ok | QMessageBox::Cancel);
    QTest::newRow("ok/cancel") << BoxMaker(qvx::makeOkCancelQuestion) << int(QMessageBox::Question)
                               << int(QMessageBox::Ok | QMessageBox::Cancel);
    QTest::newRow("yes/no") << BoxMaker(qvx::makeYesNoQuestion) << int(QMessageBox::Question)
                            << int(QMessageBox::Yes | QMessageBox::No);
    QTest::newRow("save") << BoxMaker(qvx::makeSaveQuestion) << int(QMessageBox::Question)
                          << int(QMessageBox::Save | QMessageBox::Cancel | QMessageBox::Reset);
    QTest::newRow("silenceable") << BoxMaker(qvx::makeSilenceableWarning) << int(QMessageBox::Warning)
                                 << int(QMessageBox::NoButton);
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

  void shortcutBox() {
    const auto box = qvx::makeShortcutBox("Ctrl+Z  Undo");
    QCOMPARE(box->windowTitle(), QString("VEXA Shortcuts"));
    QCOMPARE(box->icon(), QMessageBox::NoIcon);
    QCOMPARE(box->styleSheet(), QString("QLabel{min-width: %1}").arg(box->width()));
    QVERIFY(box->windowFlags() & Qt::WindowStaysOnTopHint);
  }

  void silenceableWarningHasItsCheckBox() {
    const auto box = qvx::makeSilenceableWarning("Careful.");
    auto* check = box->findChild<QCheckBox*>("checkBoxDontShowAgain");
    QVERIFY(check);
    QCOMPARE(check->text(), QString("Don't show this again"));
    QVERIFY(!check->isChecked());
    auto* grid = qobject_cast<QGridLayout*>(box->layout());
    QVERIFY(grid);
    QCOMPARE(grid->itemAtPosition(1, 2)->widget(), static_cast<QWidget*>(check));
  }

  void wrappersShowModallyAndReturn() {
    {
      ModalDriver driver(press(QMessageBox::Ok));
      QCOMPARE(qvx::criticalBox("critical"), 0);
      QVERIFY(driver.shown());
      QCOMPARE(driver.title(), QString("VEXA"));
      QVERIFY(driver.flags() & Qt::WindowStaysOnTopHint);
      QVERIFY(!driver.hasParent());
    }
    {
      ModalDriver driver(press(QMessageBox::Ok));
      QCOMPARE(qvx::informationBox("info"), 0);
    }
    {
      ModalDriver driver(press(QMessageBox::Ok));
      QCOMPARE(qvx::warningBox("warning"), 0);
    }
    {
      ModalDriver driver(press(QMessageBox::Ok));
      QCOMPARE(qvx::shortcutBox("keys"), 0);
      QCOMPARE(driver.title(), QString("VEXA Shortcuts"));
    }
  }

  void questionsReturnThePressedButton() {
    {
      ModalDriver driver(press(QMessageBox::Ok));
      QVERIFY(qvx::confirmationBox("sure?"));
    }
    {
      ModalDriver driver(press(QMessageBox::Cancel));
      QVERIFY(!qvx::confirmationBox("sure?"));
    }
    {
      ModalDriver driver(press(QMessageBox::Cancel));
      QCOMPARE(qvx::okCancelQuestion("go on?"), QMessageBox::Cancel);
    }
    {
      ModalDriver driver(press(QMessageBox::No));
      QCOMPARE(qvx::yesNoQuestion("really?"), QMessageBox::No);
    }
    {
      ModalDriver driver(press(QMessageBox::Reset));
      QCOMPARE(qvx::saveQuestion("save changes?"), QMessageBox::Reset);
    }
  }

  void silenceableWarningRemembersTheTick() {
    const quint32 id = 4201;
    {
      bool checkBoxInCell = false;
      ModalDriver driver(tickAndClose(false, &checkBoxInCell));
      QCOMPARE(qvx::silenceableWarning("first", id), 0);
      QVERIFY(driver.shown());
      QVERIFY(checkBoxInCell);
      QVERIFY(!InitFile::isDialogIgnored(id));
    }
    {
      ModalDriver driver(tickAndClose(true));
      QCOMPARE(qvx::silenceableWarning("second", id), 0);
      QVERIFY(driver.shown());
      QVERIFY(InitFile::isDialogIgnored(id));
    }
    {
      ModalDriver driver(tickAndClose(false));
      QCOMPARE(qvx::silenceableWarning("third", id), -1);
      QVERIFY(!driver.shown());
    }
  }
};

QTEST_MAIN(MessageDialogsTest)
#include "MessageDialogsTest.moc"
