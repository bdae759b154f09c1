#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstring>
#include <functional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "TestProjects.h"
#include "vx/Las.h"

using testprojects::errorOf;
using testprojects::readText;
using testprojects::writeText;
namespace las = vx::las;

namespace {

std::vector<las::Point> samplePoints(int count) {
  std::vector<las::Point> points;
  for (int i = 0; i < count; ++i) {
    las::Point p;
    p.x = 500000.25 + i * 0.731;
    p.y = 5400000.5 - i * 0.377;
    p.z = 312.125 + std::sin(i * 0.1) * 20;
    p.red = std::uint16_t(i * 257);
    p.green = std::uint16_t(65535 - i);
    p.blue = std::uint16_t(i * 3);
    p.classification = std::uint8_t(i % 7);
    points.push_back(p);
  }
  return points;
}

std::vector<las::Point> readAll(const QString& path, std::size_t chunk) {
  las::Reader reader(path.toStdString());
  std::vector<las::Point> all, part;
  while (reader.read(part, chunk)) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// `bytes` with `value` written over `size` bytes at `offset`.
template <typename T>
QByteArray patched(QByteArray bytes, int offset, T value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
  return bytes;
}

}  // namespace

class LasTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString good12_, good14_;

 private slots:
  void initTestCase() {
    good12_ = dir_.filePath("good12.las");
    good14_ = dir_.filePath("good14.las");
    las::write(good12_.toStdString(), samplePoints(1000));
    las::write(good14_.toStdString(), samplePoints(1000), true);
  }

  // Both versions give back what was written, to the millimetre, whatever the chunk size.
  void writtenPointsReadBack() {
    const std::vector<las::Point> expected = samplePoints(1000);
    for (const QString& path : {good12_, good14_}) {
      las::Reader reader(path.toStdString());
      QCOMPARE(reader.header().pointCount, std::uint64_t(1000));
      QCOMPARE(reader.header().pointFormat, path == good12_ ? 2 : 7);
      QVERIFY(std::abs(reader.header().min[2] - 292.1) < 1.0);
      for (std::size_t chunk : {std::size_t(7), std::size_t(1000), std::size_t(65536)}) {
        const std::vector<las::Point> points = readAll(path, chunk);
        QCOMPARE(points.size(), expected.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
          QVERIFY(std::abs(points[i].x - expected[i].x) <= 0.0005);
          QVERIFY(std::abs(points[i].y - expected[i].y) <= 0.0005);
          QVERIFY(std::abs(points[i].z - expected[i].z) <= 0.0005);
          QCOMPARE(points[i].red, expected[i].red);
          QCOMPARE(points[i].blue, expected[i].blue);
          QCOMPARE(points[i].classification, expected[i].classification);
        }
      }
    }
    // An empty cloud is a valid file with no points.
    const QString empty = dir_.filePath("empty.las");
    las::write(empty.toStdString(), {});
    QVERIFY(readAll(empty, 10).empty());
  }

  // Every damage is refused when the file is opened, with a message naming the file.
  void damagedFilesAreRefusedByName_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("says");
    const QByteArray good12 = readText(good12_);
    const QByteArray good14 = readText(good14_);
    QTest::newRow("empty") << QByteArray() << "is not a LAS file";
    QTest::newRow("text") << QByteArray("x y z\n1 2 3\n") << "is not a LAS file";
    QTest::newRow("cut in header") << good12.left(100) << "cut short inside its header";
    QTest::newRow("cut in points") << good12.left(good12.size() / 2) << "is cut short: its header announces 1000 points";
    QTest::newRow("cut by a byte") << good14.left(good14.size() - 1) << "the file holds 999";
    QTest::newRow("version 2.0") << patched<std::uint8_t>(good12, 24, 2) << "version 2.0";
    QTest::newRow("version 1.9") << patched<std::uint8_t>(good12, 25, 9) << "version 1.9";
    QTest::newRow("compressed") << patched<std::uint8_t>(good12, 104, 0x82) << "compressed (LAZ)";
    QTest::newRow("waveform format") << patched<std::uint8_t>(good12, 104, 4) << "point format 4";
    QTest::newRow("short records") << patched<std::uint16_t>(good12, 105, 12) << "needs at least 26";
    QTest::newRow("points beyond the end") << patched<std::uint32_t>(good12, 96, 0x7fffffff) << "outside the file";
    QTest::newRow("points inside the header") << patched<std::uint32_t>(good12, 96, 10) << "outside the file";
    QTest::newRow("header size") << patched<std::uint16_t>(good14, 94, 227) << "header size of 227";
    QTest::newRow("zero scale") << patched<double>(good12, 139, 0.0) << "unusable scale";
    QTest::newRow("NaN offset") << patched<double>(good12, 171, std::nan("")) << "unusable scale";
    // A few bytes claiming a trillion points: refused from the header, nothing allocated.
    QTest::newRow("trillion points") << patched<std::uint64_t>(good14, 247, std::uint64_t(1) << 40)
                                     << "announces 1099511627776 points";
  }

  void damagedFilesAreRefusedByName() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, says);
    const QString path = dir_.filePath(QString("damaged/%1.las").arg(QTest::currentDataTag()));
    writeText(path, bytes);
    const QString error = errorOf([&] { las::Reader reader(path.toStdString()); });
    QVERIFY2(error.contains(says), qPrintable(error));
    QVERIFY2(error.contains(path), qPrintable(error));
  }

  void whatIsNoFileIsRefusedUnread() {
    const QString missing = dir_.filePath("nowhere.las");
    QVERIFY(errorOf([&] { las::Reader r(missing.toStdString()); }).contains("does not exist"));
    QVERIFY(errorOf([&] { las::Reader r(dir_.path().toStdString()); }).contains("is not a regular file"));
#ifdef Q_OS_UNIX
    const QString fifo = dir_.filePath("fifo.las");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(errorOf([&] { las::Reader r(fifo.toStdString()); }).contains("is not a regular file"));
#endif
  }

  // A DSM input is a file, a folder of them or a list naming them.
  void inputsAreFilesFoldersOrLists() {
    const QString folder = dir_.filePath("inputs");
    QDir().mkpath(folder + "/clouds");
    las::write((folder + "/clouds/b.las").toStdString(), samplePoints(3));
    las::write((folder + "/clouds/a.las").toStdString(), samplePoints(3));
    writeText(folder + "/clouds/notes.txt", "not a cloud");
    const auto names = [](const std::vector<std::string>& files) {
      QStringList list;
      for (const std::string& file : files) list << QDir::cleanPath(QString::fromStdString(file));
      return list;
    };
    QCOMPARE(names(las::inputFiles((folder + "/clouds").toStdString())),
             (QStringList{folder + "/clouds/a.las", folder + "/clouds/b.las"}));
    QCOMPARE(names(las::inputFiles((folder + "/clouds/a.las").toStdString())), QStringList{folder + "/clouds/a.las"});
    writeText(folder + "/list.txt", "clouds/b.las\n\n  " + (folder + "/clouds/a.las").toUtf8() + "  \r\n");
    QCOMPARE(names(las::inputFiles((folder + "/list.txt").toStdString())),
             (QStringList{folder + "/clouds/b.las", folder + "/clouds/a.las"}));

    writeText(folder + "/empty.txt", "\n \n");
    QVERIFY(errorOf([&] { las::inputFiles((folder + "/empty.txt").toStdString()); }).contains("names no LAS file"));
    QDir().mkpath(folder + "/none");
    QVERIFY(errorOf([&] { las::inputFiles((folder + "/none").toStdString()); }).contains("names no LAS file"));
    QVERIFY(errorOf([&] { las::inputFiles((folder + "/gone").toStdString()); }).contains("does not exist"));
  }
};

QTEST_GUILESS_MAIN(LasTest)
#include "LasTest.moc"
