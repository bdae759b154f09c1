#include "img/images/Images.h"
#include "tools/BusyScreen.h"

#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class BusyScreenTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { vexaInitImages(); }

  void looksAsSpecified() {
    BusyScreen screen;
    QCOMPARE(screen.windowTitle(), QString("VEXA"));
    QVERIFY(screen.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(screen.windowModality(), Qt::ApplicationModal);
    QCOMPARE(screen.findChild<QLabel*>("labelWorking")->text(), QString("VEXA is working..."));
    QCOMPARE(screen.findChild<QPushButton*>("buttonCancel")->text(), QString("Cancel"));

    auto* animation = screen.findChild<QLabel*>("labelAnimation");
    QMovie* movie = animation->movie();
    QVERIFY(movie);
    QVERIFY(movie->isValid());
    QVERIFY(movie->frameCount() > 1);
    QCOMPARE(movie->scaledSize(), QSize(animation->width(), animation->width()));
  }

  void showAndClose() {
    BusyScreen screen;
    screen.setMsg("Loading tiles");
    QCOMPARE(screen.msg(), QString("Loading tiles"));
    QCOMPARE(screen.findChild<QLabel*>("labelMessage")->text(), QString("Loading tiles"));

    screen.showScreen();
    QVERIFY(screen.isVisible());
    QCOMPARE(QApplication::activeModalWidget(), static_cast<QWidget*>(&screen));
    QCOMPARE(screen.findChild<QLabel*>("labelAnimation")->movie()->state(), QMovie::Running);

    // Escape would let the user work on while the job still runs.
    QTest::keyClick(&screen, Qt::Key_Escape);
    QVERIFY(screen.isVisible());

    screen.closeScreen();
    QVERIFY(!screen.isVisible());
    QVERIFY(screen.msg().isEmpty());
    QCOMPARE(screen.findChild<QLabel*>("labelAnimation")->movie()->state(), QMovie::NotRunning);
  }

  void cancelEmitsTheSignal() {
    BusyScreen screen;
    QSignalSpy cancelled(&screen, &BusyScreen::signal_cancel);
    screen.showScreen();
    QTest::mouseClick(screen.findChild<QPushButton*>("buttonCancel"), Qt::LeftButton);
    QCOMPARE(cancelled.count(), 1);
    screen.on_buttonCancel_clicked();
    QCOMPARE(cancelled.count(), 2);
    screen.closeScreen();
  }
};

QTEST_MAIN(BusyScreenTest)
#include "BusyScreenTest.moc"
