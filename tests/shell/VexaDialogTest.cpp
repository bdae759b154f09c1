#include "img/images/Images.h"
#include "shell/VexaDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class VexaDialogTest : public QObject {
  Q_OBJECT

 private:
  static QWidget* child(QDialog& dialog, const char* name) { return dialog.findChild<QWidget*>(name); }

  static void checkCell(QDialog& dialog, const char* name, int row, int column, int rows, int columns,
                        Qt::Alignment alignment) {
    QWidget* widget = child(dialog, name);
    QVERIFY(widget);
    auto* grid = qobject_cast<QGridLayout*>(widget->parentWidget()->layout());
    QVERIFY(grid);
    const int index = grid->indexOf(widget);
    int r, c, rs, cs;
    grid->getItemPosition(index, &r, &c, &rs, &cs);
    QCOMPARE(QList<int>({r, c, rs, cs}), QList<int>({row, column, rows, columns}));
    QCOMPARE(grid->itemAt(index)->alignment(), alignment);
  }

 private slots:
  void initTestCase() { vexaInitImages(); }

  void layout() {
    qVexaDialog dialog(nullptr, "Heading", "A longer message.");
    QCOMPARE(dialog.windowTitle(), QString("VEXA"));
    QVERIFY(!dialog.windowIcon().isNull());

    auto* heading = dialog.findChild<QLabel*>("labelHeading");
    QCOMPARE(heading->text(), QString("Heading"));
    QCOMPARE(heading->font().family(), QString("Arial"));
    QCOMPARE(heading->font().pointSize(), 14);

    auto* logo = dialog.findChild<QLabel*>("labelLogo");
    QVERIFY(!logo->pixmap(Qt::ReturnByValue).isNull());
    QCOMPARE(logo->pixmap(Qt::ReturnByValue).height(), 60);

    auto* message = dialog.findChild<QLabel*>("labelMessage");
    QCOMPARE(message->text(), QString("A longer message."));
    QVERIFY(message->wordWrap());

    QCOMPARE(dialog.findChild<QPushButton*>("button_left")->text(), QString("Cancel"));
    QCOMPARE(dialog.findChild<QPushButton*>("button_right")->text(), QString("Ok"));
    QVERIFY(!dialog.findChild<QPushButton*>("button_left")->isHidden());

    checkCell(dialog, "labelHeading", 0, 0, 1, 1, Qt::AlignTop);
    checkCell(dialog, "labelLogo", 0, 2, 1, 1, Qt::AlignTop | Qt::AlignRight);
    checkCell(dialog, "labelMessage", 1, 0, 4, 3, Qt::AlignTop | Qt::AlignLeft);
    checkCell(dialog, "button_left", 6, 1, 1, 1, Qt::AlignBottom | Qt::AlignRight);
    checkCell(dialog, "button_right", 6, 2, 1, 1, Qt::AlignBottom | Qt::AlignLeft);
    const QSizePolicy policy = heading->parentWidget()->sizePolicy();
    QCOMPARE(policy.horizontalPolicy(), QSizePolicy::MinimumExpanding);
    QCOMPARE(policy.verticalPolicy(), QSizePolicy::MinimumExpanding);
  }

  void buttonsClose() {
    for (const char* name : {"button_left", "button_right"}) {
      qVexaDialog dialog(nullptr, "Heading", "Message");
      dialog.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dialog));
      dialog.findChild<QPushButton*>(name)->click();
      QVERIFY(!dialog.isVisible());
    }
    qVexaDialog dialog(nullptr, "Heading", "Message");
    QVERIFY(dialog.on_button_left());
    QVERIFY(dialog.on_button_right());
  }

  void infoAndErrorHideTheLeftButton() {
    qVexaInfoDialog info(nullptr, "All done.");
    QCOMPARE(info.findChild<QLabel*>("labelHeading")->text(), QString("Info"));
    QVERIFY(info.findChild<QPushButton*>("button_left")->isHidden());
    QVERIFY(!info.findChild<QPushButton*>("button_right")->isHidden());

    qVexaErrorDialog error(nullptr, "It failed.");
    QCOMPARE(error.findChild<QLabel*>("labelHeading")->text(), QString("Error"));
    QCOMPARE(error.findChild<QLabel*>("labelMessage")->text(), QString("It failed."));
    QVERIFY(error.findChild<QPushButton*>("button_left")->isHidden());
  }
};

QTEST_MAIN(VexaDialogTest)
#include "VexaDialogTest.moc"
