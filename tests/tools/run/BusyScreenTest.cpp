#include "img/images/Images.h"
#include "tools/run/BusyScreen.h"

#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class BusyScreenTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { vexaInitImages(); }

  void onlyCloseScreenTakesItAway() {
    BusyScreen screen;
    QMovie* movie = screen.findChild<QLabel*>("labelAnimation")->movie();
    QVERIFY(movie && movie->isValid() && movie->frameCount() > 1);
    screen.setMsg("Loading tiles");
    QCOMPARE(screen.findChild<QLabel*>("labelMessage")->text(), QString("Loading tiles"));

    screen.showScreen();
    QCOMPARE(QApplication::activeModalWidget(), static_cast<QWidget*>(&screen));
    QCOMPARE(movie->state(), QMovie::Running);
    QTest::keyClick(&screen, Qt::Key_Escape);  // the job still runs
    QVERIFY(screen.isVisible());

    screen.closeScreen();
    QVERIFY(!screen.isVisible());
    QVERIFY(screen.msg().isEmpty());
    QCOMPARE(movie->state(), QMovie::NotRunning);
  }

  void cancelEmitsTheSignalOnce() {
    BusyScreen screen;
    QSignalSpy cancelled(&screen, &BusyScreen::signal_cancel);
    screen.showScreen();
    QTest::mouseClick(screen.findChild<QPushButton*>("buttonCancel"), Qt::LeftButton);
    QCOMPARE(cancelled.count(), 1);
    screen.closeScreen();
  }
};

QTEST_MAIN(BusyScreenTest)
#include "BusyScreenTest.moc"
