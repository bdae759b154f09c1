#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "TestProjects.h"
#include "vx/ImageOrientation.h"

using testprojects::errorOf;
using testprojects::writeText;

namespace {

// A FIFO, a folder and a sparse 2 GB file in `dir`, each to be refused unread and unblocked with
// "<description> <path> is not a regular file." or "... is 2147483648 bytes, far larger ...".
struct Unreadable {
  QString fifo, folder, huge;
};

Unreadable makeUnreadable(const QTemporaryDir& dir, const QByteArray& hugeStart) {
  Unreadable made{dir.filePath("fifo"), dir.filePath("folder"), dir.filePath("huge")};
  QDir().mkpath(made.folder);
  writeText(made.huge, hugeStart);
#ifdef Q_OS_UNIX
  if (::mkfifo(QFile::encodeName(made.fifo).constData(), 0600) != 0) made.fifo.clear();
  if (::truncate(QFile::encodeName(made.huge).constData(), off_t(2) << 30) != 0) made.huge.clear();
#else
  made.fifo.clear();
  made.huge.clear();
#endif
  return made;
}

// Random bytes, the same every run.
QByteArray noise(QRandomGenerator& random, int size) {
  QByteArray bytes(size, '\0');
  for (char& c : bytes) c = char(random.bounded(256));
  return bytes;
}

const char* kValid =
    "VEXA-ORI 1\n"
    "image a.jpg\n"
    "size 400 300\n"
    "focal 500\n"
    "principal 200 150\n"
    "center 1 2 3\n"
    "rotation 1 0 0 0 1 0 0 0 1\n";
}  // namespace

class OrientationTest : public QObject {
  Q_OBJECT

 private slots:
  void roundTripKeepsEveryValueExactly() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromUtf8("Ordner_ü/Bild 1.ori"));
    QDir().mkpath(QFileInfo(path).absolutePath());
    vx::ImageOrientation o;
    o.setImageName(u8"Bild ü 1 € \U0001F600.jpg");
    o.setImageSize(6000, 4000);
    o.setFocalLength(1.0 / 3.0 * 10000);
    o.setPrincipalPoint(3000.1, 1999.9);
    o.setProjectionCenter({{512345.123456789, 5412345.987654321, 345.25}});
    o.setRotation(vx::lookRotation({{1, 2, -3}}, {{0, 0, 1}}));
    o.writeFile(path.toStdString());

    const vx::ImageOrientation read = vx::ImageOrientation::readFile(path.toStdString());
    QCOMPARE(read.imageName(), o.imageName());
    QCOMPARE(read.width(), 6000);
    QCOMPARE(read.height(), 4000);
    QCOMPARE(read.focalLength(), o.focalLength());
    QCOMPARE(read.principalPointX(), 3000.1);
    QCOMPARE(read.principalPointY(), 1999.9);
    QVERIFY(read.projectionCenter() == o.projectionCenter());
    QVERIFY(read.rotation() == o.rotation());
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files).size(), 1);  // no temporary left

    QByteArray text = QByteArray("\xEF\xBB\xBF# written by hand\n\n") + kValid;
    writeText(dir.filePath("crlf.ori"), text.replace("\n", "\r\n"));
    QCOMPARE(vx::ImageOrientation::readFile(dir.filePath("crlf.ori").toStdString()).projectionCenter()[2], 3.0);
  }

  void malformedInputNamesFileAndLine_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");
    const QByteArray valid(kValid);
    QTest::newRow("no header") << QByteArray("image a.jpg\n") << "line 1: expected \"VEXA-ORI 1\"";
    QTest::newRow("newer version") << QByteArray(valid).replace("VEXA-ORI 1", "VEXA-ORI 7")
                                   << "line 1: format version 7 is newer";
    QTest::newRow("not a number") << QByteArray(valid).replace("focal 500", "focal 5OO")
                                  << "line 4: \"5OO\" is not a number";
    QTest::newRow("too few values") << QByteArray(valid).replace("center 1 2 3", "center 1 2")
                                    << "line 6: \"center\" needs 3 values, found 2";
    QTest::newRow("fractional size") << QByteArray(valid).replace("size 400 300", "size 400.5 300")
                                     << "line 3: image size";
    QTest::newRow("zero focal") << QByteArray(valid).replace("focal 500", "focal 0") << "line 4: focal";
    QTest::newRow("reflection") << QByteArray(valid).replace("0 0 0 1\n", "0 0 0 -1\n")
                                << "line 7: rotation is not a proper rotation";
    QTest::newRow("duplicate key") << valid + "focal 3\n" << "line 8: \"focal\" given twice";
    QTest::newRow("unknown key") << valid + "skew 0\n" << "line 8: unknown key \"skew\"";
    QTest::newRow("missing key") << QByteArray(valid).replace("focal 500\n", "") << "lacks the line \"focal\"";
    QTest::newRow("empty") << QByteArray("\n\n") << "is empty";
    QTest::newRow("only comments") << QByteArray("# VEXA-ORI 1\n") << "is empty";
    QTest::newRow("header with more") << QByteArray(valid).replace("VEXA-ORI 1", "VEXA-ORI 1 2")
                                      << "line 1: expected \"VEXA-ORI 1\", found \"VEXA-ORI 1 2\"";
    QTest::newRow("version zero") << QByteArray(valid).replace("VEXA-ORI 1", "VEXA-ORI 0")
                                  << "line 1: invalid format version";
    QTest::newRow("version not whole") << QByteArray(valid).replace("VEXA-ORI 1", "VEXA-ORI 99999999999999999999")
                                       << "line 1: invalid format version";
    QTest::newRow("nameless image") << QByteArray(valid).replace("image a.jpg", "image  ")
                                    << "line 2: \"image\" needs the image file name";
    QTest::newRow("control character in name") << QByteArray(valid).replace("a.jpg", QByteArray("a\0b.jpg", 7))
                                               << "line 2: the image name \"a?b.jpg\" is not UTF-8 text";
    QTest::newRow("name not UTF-8") << QByteArray(valid).replace("a.jpg", "\xFF\xC0.jpg")
                                    << "line 2: the image name \"??.jpg\" is not UTF-8 text";
    QTest::newRow("overlong slash in name") << QByteArray(valid).replace("a.jpg", "a\xC0\xAF.jpg")
                                            << "line 2: the image name \"a??.jpg\" is not UTF-8 text";
    QTest::newRow("surrogate in name") << QByteArray(valid).replace("a.jpg", "a\xED\xA0\x80.jpg")
                                       << "line 2: the image name \"a???.jpg\" is not UTF-8 text";
    QTest::newRow("negative size") << QByteArray(valid).replace("size 400 300", "size -400 300") << "line 3: image size";
    QTest::newRow("absurd size") << QByteArray(valid).replace("size 400 300", "size 400 30000000") << "line 3: image size";
    QTest::newRow("infinite focal") << QByteArray(valid).replace("focal 500", "focal 1e999")
                                    << "line 4: \"1e999\" is not a number";
    QTest::newRow("nan centre") << QByteArray(valid).replace("center 1 2 3", "center 1 nan 3")
                                << "line 6: \"nan\" is not a number";
    QTest::newRow("scaled rotation") << QByteArray(valid).replace("rotation 1 0 0 0 1 0 0 0 1", "rotation 2 0 0 0 2 0 0 0 2")
                                     << "line 7: rotation is not a proper rotation";
    QTest::newRow("too many rotation values") << QByteArray(valid).replace("0 0 0 1\n", "0 0 0 1 0\n")
                                              << "line 7: \"rotation\" needs 9 values, found 10";
    QTest::newRow("long garbage key") << valid + QByteArray(5000, 'x') + "\n"
                                      << "line 8: unknown key \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...\"";
  }
  void malformedInputNamesFileAndLine() {
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.ori");
    writeText(path, text);
    const QString message = errorOf([&] { vx::ImageOrientation::readFile(path.toStdString()); });
    QVERIFY2(message.contains(path) && message.contains(expected), qPrintable(message));
  }

  // Cut anywhere but after the last value, the file is refused, naming it (and the line when one
  // is left half).
  void truncatedFilesAreRefused() {
    QTemporaryDir dir;
    const QString path = dir.filePath("cut.ori");
    const QByteArray valid(kValid);
    for (int cut = 0; cut < valid.size() - 1; ++cut) {
      writeText(path, valid.left(cut));
      const QString message = errorOf([&] { vx::ImageOrientation::readFile(path.toStdString()); });
      QVERIFY2(message.startsWith("Orientation file " + path) &&
                   (message.endsWith(" is empty.") || message.contains(" lacks the line ") || message.contains(", line ")),
               qPrintable(QString::number(cut) + ": " + message));
    }
    writeText(path, valid.left(valid.size() - 1));
    QCOMPARE(vx::ImageOrientation::readFile(path.toStdString()).rotation()[8], 1.0);
  }

  // Noise, alone or after a valid header or a valid file, is refused with the file named.
  void randomBytesAreRefused() {
    QTemporaryDir dir;
    const QString path = dir.filePath("noise.ori");
    QRandomGenerator random(17);
    for (int round = 0; round < 60; ++round) {
      const QByteArray start = round % 3 == 0 ? QByteArray() : round % 3 == 1 ? QByteArray("VEXA-ORI 1\n") : QByteArray(kValid);
      writeText(path, start + noise(random, 1 + int(random.bounded(3000))));
      const QString message = errorOf([&] { vx::ImageOrientation::readFile(path.toStdString()); });
      QVERIFY2(message.contains(path) && !message.contains(QChar(0)), qPrintable(message));
    }
  }

  void filesThatAreNoPlainFilesOfPlausibleSizeAreNotRead() {
    QTemporaryDir dir;
    const Unreadable bad = makeUnreadable(dir, kValid);
    const auto error = [](const QString& path) {
      return errorOf([&] { vx::ImageOrientation::readFile(path.toStdString()); });
    };
    QCOMPARE(error(bad.folder), "The orientation file " + bad.folder + " is not a regular file.");
    QCOMPARE(error(dir.filePath("none.ori")), "The orientation file " + dir.filePath("none.ori") + " does not exist.");
    if (bad.fifo.isEmpty() || bad.huge.isEmpty()) QSKIP("no FIFOs or sparse files here");
    QCOMPARE(error(bad.fifo), "The orientation file " + bad.fifo + " is not a regular file.");  // and did not block
    QVERIFY2(error(bad.huge).startsWith("The orientation file " + bad.huge + " is 2147483648 bytes, far larger"),
             qPrintable(error(bad.huge)));
  }

  void writeRefusesNamesThatCannotBeReadBack() {
    QTemporaryDir dir;
    vx::ImageOrientation o = testprojects::nadirOrientation("two\nlines", 0);
    QVERIFY_EXCEPTION_THROWN(o.writeFile(dir.filePath("a.ori").toStdString()), std::runtime_error);
    o.setImageName(" padded ");
    QVERIFY_EXCEPTION_THROWN(o.writeFile(dir.filePath("a.ori").toStdString()), std::runtime_error);
    QVERIFY(!QFile::exists(dir.filePath("a.ori")));
  }

  void projectionFollowsTheCameraConvention() {
    // Nadir camera 10 above the origin, image top facing north (+Y).
    vx::ImageOrientation o = testprojects::nadirOrientation("n.jpg", 0, 10);
    double u = 0, v = 0;
    QVERIFY(o.project({{0, 0, 0}}, u, v));
    QCOMPARE(u, 200.0);
    QCOMPARE(v, 150.0);
    // East is to the right in a north-up nadir image, south is below.
    QVERIFY(o.project({{1, 0, 0}}, u, v));
    QCOMPARE(u, 200.0 + 500.0 * 1 / 10);
    QCOMPARE(v, 150.0);
    QVERIFY(o.project({{0, -1, 0}}, u, v));
    QCOMPARE(u, 200.0);
    QVERIFY(v > 150.0);
    QVERIFY(!o.project({{0, 0, 20}}, u, v));  // behind the camera

    // Camera frame: x right, y down (south here), z along the view.
    const auto cam = o.toCamera({{0, -2, 0}});
    QVERIFY(std::abs(cam[0]) < 1e-12 && std::abs(cam[1] - 2) < 1e-12 && std::abs(cam[2] - 10) < 1e-12);
  }

  void lookRotationKeepsImagesUpright() {
    // Looking along the up vector leaves the roll open: the image top then faces +Y.
    const auto r = vx::lookRotation({{0, 0, -5}}, {{0, 0, 1}});
    const vx::ImageOrientation::Mat3 expected{{1, 0, 0, 0, -1, 0, 0, 0, -1}};
    for (int i = 0; i < 9; ++i) QVERIFY2(std::abs(r[i] - expected[i]) < 1e-12, qPrintable(QString::number(i)));

    vx::ImageOrientation o = testprojects::nadirOrientation("east.jpg", 0, 0);
    o.setRotation(vx::lookRotation({{1, 0, -0.2}}, {{0, 0, 1}}));
    double uHigh = 0, vHigh = 0, uLow = 0, vLow = 0, uSouth = 0, vSouth = 0;
    QVERIFY(o.project({{10, 0, 5}}, uHigh, vHigh) && o.project({{10, 0, -5}}, uLow, vLow) &&
            o.project({{10, -3, -2}}, uSouth, vSouth));
    QVERIFY(vHigh < vLow);   // higher points appear further up
    QVERIFY(uSouth > uLow);  // looking east, south is to the right
    QVERIFY_EXCEPTION_THROWN(vx::lookRotation({{0, 0, 0}}, {{0, 0, 1}}), std::invalid_argument);
  }

  void orientationListWithRelativeAbsoluteAndMissingEntries() {
    QTemporaryDir dir, elsewhere;
    const QString a = dir.filePath("a.ori"), b = dir.filePath("sub/b.ori"), c = elsewhere.filePath("c.ori");
    QDir().mkpath(dir.filePath("sub"));
    testprojects::nadirOrientation("a.jpg", 0).writeFile(a.toStdString());
    testprojects::nadirOrientation("b.jpg", 1).writeFile(b.toStdString());
    testprojects::nadirOrientation("c.jpg", 2).writeFile(c.toStdString());
    const QString list = dir.filePath("orientation_list.txt");
    vx::writeOrientationList(list.toStdString(), {a.toStdString(), b.toStdString(), c.toStdString()});
    QCOMPARE(testprojects::readText(list), QByteArray("a.ori\nsub/b.ori\n") + c.toUtf8() + "\n");
    const auto oris = vx::readOrientationList(list.toStdString());
    QCOMPARE(oris.size(), size_t(3));
    QCOMPARE(oris[1].imageName(), std::string("b.jpg"));
    QCOMPARE(oris[2].imageName(), std::string("c.jpg"));

    writeText(list, "# two\na.ori\n\nmissing.ori\n");
    const QString message = errorOf([&] { vx::readOrientationList(list.toStdString()); });
    QVERIFY2(message.contains("line 4") && message.contains("missing.ori"), qPrintable(message));
    const QString none = dir.filePath("none.ori");
    QVERIFY(errorOf([&] { vx::ImageOrientation::readFile(none.toStdString()); }).contains(none));
    QVERIFY_EXCEPTION_THROWN(vx::readOrientationList(dir.filePath("none.txt").toStdString()), std::runtime_error);
  }

  // The entries come with their lines and as absolute, clean paths; nothing they name is read.
  void listEntriesAreListedWithoutReadingThem() {
    QTemporaryDir dir;
    const QString list = dir.filePath("lists/list.txt");
    writeText(list, "\xEF\xBB\xBF# cameras\r\n  a.ori  \r\n\r\n../other/b c.ori\r\n/abs/c.ori\r\nnone");
    const auto entries = vx::listedOrientationFiles(list.toStdString());
    QCOMPARE(entries.size(), size_t(4));
    QCOMPARE(entries[0].line, 2);
    QCOMPARE(QString::fromStdString(entries[0].path), dir.filePath("lists/a.ori"));
    QCOMPARE(entries[1].line, 4);
    QCOMPARE(QString::fromStdString(entries[1].path), dir.filePath("other/b c.ori"));
    QCOMPARE(QString::fromStdString(entries[2].path), QString("/abs/c.ori"));
    QCOMPARE(entries[3].line, 6);
    const QString message = errorOf([&] { vx::readListedOrientation(list.toStdString(), entries[3]); });
    QCOMPARE(message, "Orientation list " + list + ", line 6: The orientation file " + dir.filePath("lists/none") +
                          " does not exist.");
    writeText(list, "");
    QVERIFY(vx::listedOrientationFiles(list.toStdString()).empty());
  }

  void damagedListsNameTheListAndLine() {
    QTemporaryDir dir;
    const QString list = dir.filePath("list.txt");
    testprojects::nadirOrientation("a.jpg", 0).writeFile(dir.filePath("a.ori").toStdString());
    testprojects::nadirOrientation("b.jpg", 1).writeFile(dir.filePath("ab.ori").toStdString());
    const auto listError = [&] { return errorOf([&] { vx::readOrientationList(list.toStdString()); }); };

    // Truncated: a half entry names another file; cut between entries, the whole ones are read.
    const QByteArray whole = "a.ori\nab.ori\n";
    const QMap<int, size_t> entriesLeft{{0, 0}, {5, 1}, {6, 1}, {12, 2}, {13, 2}};
    for (int cut = 0; cut <= whole.size(); ++cut) {
      writeText(list, whole.left(cut));
      const int lines = whole.left(cut).count('\n');
      if (entriesLeft.contains(cut)) {
        QCOMPARE(vx::readOrientationList(list.toStdString()).size(), entriesLeft[cut]);
      } else {
        QVERIFY2(listError().startsWith("Orientation list " + list + ", line " + QString::number(lines + 1) + ": ") &&
                     listError().endsWith(" does not exist."),
                 qPrintable(listError()));
      }
    }

    // A line that no person wrote: the list is refused as a whole.
    writeText(list, QByteArray("a.ori\nab\0.ori\n", 13));
    QCOMPARE(listError(), "Orientation list " + list + ", line 2: \"ab?.ori\" is not a file name (it holds control "
                          "characters or bytes that are no UTF-8 text); the file is no orientation list.");
    QRandomGenerator random(5);
    for (int round = 0; round < 30; ++round) {
      writeText(list, noise(random, 64 + int(random.bounded(2000))));
      QVERIFY2(listError().startsWith("Orientation list " + list + ", line "), qPrintable(listError()));
    }

    // An entry that is a FIFO or a folder is refused without blocking.
    const Unreadable bad = makeUnreadable(dir, "a.ori\n");
    writeText(list, "a.ori\nfolder\n");
    QCOMPARE(listError(), "Orientation list " + list + ", line 2: The orientation file " + bad.folder +
                              " is not a regular file.");
    if (bad.fifo.isEmpty() || bad.huge.isEmpty()) QSKIP("no FIFOs or sparse files here");
    writeText(list, "fifo\n");
    QCOMPARE(listError(), "Orientation list " + list + ", line 1: The orientation file " + bad.fifo +
                              " is not a regular file.");

    // The list itself.
    for (const QString& path : {bad.fifo, bad.folder})
      QCOMPARE(errorOf([&] { vx::readOrientationList(path.toStdString()); }),
               "The orientation list " + path + " is not a regular file.");
    const QString huge = errorOf([&] { vx::readOrientationList(bad.huge.toStdString()); });
    QVERIFY2(huge.startsWith("The orientation list " + bad.huge + " is 2147483648 bytes, far larger"), qPrintable(huge));
  }
};

QTEST_GUILESS_MAIN(OrientationTest)
#include "OrientationTest.moc"
