#include <QtTest>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "StationTestData.h"
#include "stations/OrientationListLoader.h"

using namespace qvx::osgcam;

namespace {

void writeText(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(text);
}

}  // namespace

class OrientationListLoaderTest : public QObject {
  Q_OBJECT

 private slots:
  // Bad entries are reported with the list, the line and the file; the good ones stay, in order.
  void badEntriesAreReportedAndSkipped() {
    QTemporaryDir dir;
    const QString lists = dir.filePath("Lists");
    QDir().mkpath(lists);
    QDir().mkpath(dir.filePath("elsewhere"));
    stationtests::camera("IMG_0.jpg", 0, 0).writeFile((lists + "/a.ori").toStdString());
    stationtests::camera("IMG_1.jpg", 60, 0).writeFile(dir.filePath("elsewhere/b.ori").toStdString());
    writeText(lists + "/garbage.ori", "this is not an orientation\n");
    writeText(lists + "/list.txt", "# cameras\na.ori\n\nmissing.ori\ngarbage.ori\n" +
                                       dir.filePath("elsewhere/b.ori").toUtf8() + "\n");
    const OrientationListRead read = readOrientationListEntries(lists + "/list.txt");
    QCOMPARE(read.images.orientations.size(), size_t(2));
    QCOMPARE(read.images.orientations[0].imageName(), std::string("IMG_0.jpg"));
    QCOMPARE(read.images.orientations[1].imageName(), std::string("IMG_1.jpg"));
    QCOMPARE(read.images.selected, (std::vector<bool>{true, true}));
    QCOMPARE(read.images.photoPaths.size(), size_t(2));
    QCOMPARE(read.errors.size(), 2);
    QVERIFY2(read.errors[0].contains("line 4") && read.errors[0].contains("missing.ori") &&
                 read.errors[0].contains("list.txt"),
             qPrintable(read.errors[0]));
    QVERIFY2(read.errors[1].contains("line 5") && read.errors[1].contains("garbage.ori"), qPrintable(read.errors[1]));
  }

  void listThatCannotBeOpenedGivesNoStations() {
    QTemporaryDir dir;
    const OrientationListRead read = readOrientationListEntries(dir.filePath("none.txt"));
    QVERIFY(read.images.orientations.empty());
    QCOMPARE(read.errors.size(), 1);
    QVERIFY(read.errors[0].contains("none.txt"));
  }

  // A damaged list gives one message naming it; a file that is no list at all, one per entry for
  // the first 20 and then their count.
  void damagedListsAreReportedOnce() {
    QTemporaryDir dir;
    const QString list = dir.filePath("list.txt");
    writeText(list, QByteArray("a.ori\n\x01\xFF\xFE garbage\n"));
    OrientationListRead read = readOrientationListEntries(list);
    QVERIFY(read.images.orientations.empty());
    QCOMPARE(read.errors, QStringList{"Orientation list " + list + ", line 2: \"??? garbage\" is not a file name (it "
                                      "holds control characters or bytes that are no UTF-8 text); the file is no "
                                      "orientation list."});

    QByteArray names;
    for (int i = 0; i < 25; ++i) names += "Some sentence of a text that is no list " + QByteArray::number(i) + "\n";
    stationtests::camera("IMG_0.jpg", 0, 0).writeFile(dir.filePath("a.ori").toStdString());
    writeText(list, names + "a.ori\n");
    read = readOrientationListEntries(list);
    QCOMPARE(read.images.orientations.size(), size_t(1));
    QCOMPARE(read.errors.size(), 21);
    QVERIFY2(read.errors[19].startsWith("Orientation list " + list + ", line 20: "), qPrintable(read.errors[19]));
    QCOMPARE(read.errors[20], "5 more entries of the orientation list " + list + " could not be read.");

#ifdef Q_OS_UNIX
    const QString fifo = dir.filePath("fifo.txt");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    read = readOrientationListEntries(fifo);  // does not block
    QCOMPARE(read.errors, QStringList{"The orientation list " + fifo + " is not a regular file."});
#endif
  }

  // Photos: beside the list first, then in ../Images/Color; when neither exists, the path beside
  // the list (so the message on opening names a file).
  void photosAreLookedUpBesideTheListThenInImagesColor() {
    QTemporaryDir dir;
    const QString lists = dir.filePath("Lists");
    QDir().mkpath(lists);
    for (int i = 0; i < 3; ++i) {
      stationtests::camera(QString("IMG_%1.jpg").arg(i).toStdString(), 60 * i, 0)
          .writeFile((lists + QString("/%1.ori").arg(i)).toStdString());
    }
    writeText(lists + "/IMG_0.jpg", "x");
    writeText(dir.filePath("Images/Color/IMG_0.jpg"), "x");
    writeText(dir.filePath("Images/Color/IMG_1.jpg"), "x");
    writeText(lists + "/list.txt", "0.ori\n1.ori\n2.ori\n");
    const OrientationListRead read = readOrientationListEntries(lists + "/list.txt");
    QCOMPARE(read.images.photoPaths.size(), size_t(3));
    auto native = [](const QString& p) { return QDir::toNativeSeparators(QDir::cleanPath(p)).toStdString(); };
    QCOMPARE(read.images.photoPaths[0], native(lists + "/IMG_0.jpg"));
    QCOMPARE(read.images.photoPaths[1], native(dir.filePath("Images/Color/IMG_1.jpg")));
    QCOMPARE(read.images.photoPaths[2], native(lists + "/IMG_2.jpg"));
  }

  void backgroundLoadReportsOnTheCallersThread() {
    QTemporaryDir dir;
    stationtests::camera("IMG_0.jpg", 0, 0).writeFile(dir.filePath("a.ori").toStdString());
    writeText(dir.filePath("list.txt"), "a.ori\nb.ori\n");
    QObject context;
    bool done = false;
    OrientationListRead result;
    loadOrientationListInBackground(dir.filePath("list.txt"), &context, [&](const OrientationListRead& read) {
      QCOMPARE(QThread::currentThread(), context.thread());
      result = read;
      done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
    QCOMPARE(result.images.orientations.size(), size_t(1));
    QCOMPARE(result.errors.size(), 1);
  }
};

QTEST_GUILESS_MAIN(OrientationListLoaderTest)
#include "OrientationListLoaderTest.moc"
