#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "TestProjects.h"
#include "vx/ImageOrientation.h"

using testprojects::errorOf;
using testprojects::writeText;

namespace {
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
    o.setImageName(u8"Bild ü 1.jpg");
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
};

QTEST_GUILESS_MAIN(OrientationTest)
#include "OrientationTest.moc"
