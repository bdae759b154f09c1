#include <QtTest>

#include <QTemporaryDir>

#include "rendering/AnimationFrames.h"
#include "rendering/RenderHost.h"
#include "rendering/ScreenshotFileName.h"

using namespace qvx;

class RenderNamesTest : public QObject {
  Q_OBJECT

 private slots:
  void frameCount() {
    QCOMPARE(animationFrameCount(0.03), 0);
    QCOMPARE(animationFrameCount(0.0), 0);
    QCOMPARE(animationFrameCount(-2.0), 0);
    QCOMPARE(animationFrameCount(0.04), 1);
    QCOMPARE(animationFrameCount(5.0), 125);
  }

  void frameNames() {
    QTemporaryDir dir;
    const QString folder = QDir::toNativeSeparators(dir.path()) + QDir::separator();
    const QFileInfo flight(dir.filePath("flight"));
    QCOMPARE(animationFrameFile(flight, 0), folder + "flight00000000.bmp");
    QCOMPARE(animationFrameFile(flight, 124), folder + "flight00000124.bmp");
    // An output that names a folder: the frames go into it, named by number alone.
    QCOMPARE(animationFrameFile(QFileInfo(dir.path() + "/"), 0), folder + "00000000.bmp");
    QCOMPARE(animationFrameFile(QFileInfo(dir.path() + "/"), 7), folder + "00000007.bmp");
  }

  void screenshotNameRules() {
    QTemporaryDir dir;
    const QDateTime now(QDate(2026, 3, 9), QTime(14, 5, 7));
    QVERIFY(screenshotFileFor(QString(), now).isEmpty());
    QCOMPARE(screenshotFileFor(dir.path(), now), dir.filePath("Screenshot_26-03-09-14-05-07.bmp"));
    QCOMPARE(screenshotFileFor(dir.path() + "/", now), dir.filePath("Screenshot_26-03-09-14-05-07.bmp"));

    const auto touch = [&](const QString& name) {
      QFile file(dir.filePath(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
    };
    touch("view.png");
    touch("notes");
    touch("old.bmp");
    touch("tile.v2.png");
    touch("upper.BMP");
    QCOMPARE(screenshotFileFor(dir.filePath("view.png"), now), dir.filePath("view.bmp"));
    QCOMPARE(screenshotFileFor(dir.filePath("notes"), now), dir.filePath("notes.bmp"));
    QCOMPARE(screenshotFileFor(dir.filePath("tile.v2.png"), now), dir.filePath("tile.v2.bmp"));
    // Suffixes compare case-sensitively.
    QCOMPARE(screenshotFileFor(dir.filePath("upper.BMP"), now), dir.filePath("upper.bmp"));
    QCOMPARE(screenshotFileFor(dir.filePath("old.bmp"), now), dir.filePath("old.bmp"));
    // A new name is taken as typed, whatever its suffix.
    QCOMPARE(screenshotFileFor(dir.filePath("new.png"), now), dir.filePath("new.png"));
  }

  void orientationImageNames() {
    vx::ImageOrientation orientation;
    orientation.setImageName("IMG_0001.tif");
    const QString folder = QDir::toNativeSeparators("/tmp/renders") + QDir::separator();
    QCOMPARE(RenderHost::orientationImageFile("/tmp/renders", orientation), folder + "IMG_0001.jpg");
    QCOMPARE(RenderHost::orientationImageFile("/tmp/renders/", orientation), folder + "IMG_0001.jpg");
    orientation.setImageName("flight.2.IMG_7.jpg");
    QCOMPARE(RenderHost::orientationImageFile("/tmp/renders", orientation), folder + "flight.2.IMG_7.jpg");
  }

  void playbackSpeed() {
    QCOMPARE(RenderHost::animationTimeScale(100), 0.3);
    QCOMPARE(RenderHost::animationTimeScale(400), 1.2);
  }
};

QTEST_GUILESS_MAIN(RenderNamesTest)
#include "RenderNamesTest.moc"
