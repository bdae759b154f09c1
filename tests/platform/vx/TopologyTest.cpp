#include <gdal_priv.h>

#include <QTemporaryDir>
#include <QTest>

#include "TestProjects.h"
#include "vx/StereoModels.h"

namespace {
// Writes a raster with GDAL directly, bypassing StereoModels.
void writeRaster(const QString& path, int width, int height, int bands, GDALDataType type,
                 std::vector<unsigned char> values = {}) {
  GDALAllRegister();
  GDALDatasetUniquePtr data(GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
      path.toUtf8().constData(), width, height, bands, type, nullptr));
  QVERIFY(data);
  if (!values.empty()) {
    QCOMPARE(data->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, width, height, values.data(), width, height, GDT_Byte, 0, 0),
             CE_None);
  }
}
}  // namespace

class TopologyTest : public QObject {
  Q_OBJECT

 private slots:
  void roundTrip() {
    QTemporaryDir dir;
    vx::StereoModels topology(4);
    topology.setPair(0, 2);
    topology.setPair(3, 1);
    const QString path = dir.filePath("Topology.tif");
    topology.saveTopology(path.toStdString());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Topology.tif"});

    vx::StereoModels read;
    QVERIFY(read.loadTopology(path.toStdString()));
    QCOMPARE(read.imageCount(), 4);
    QVERIFY(read.isPair(2, 0) && read.isPair(1, 3));
    QVERIFY(!read.isPair(0, 1) && !read.isPair(0, 0) && !read.isPair(0, 9));
    QCOMPARE(read.partners(1), std::vector<int>{3});
    QVERIFY(read.partners(7).empty());

    // Other writers fill only one triangle.
    writeRaster(path, 3, 3, 1, GDT_Byte, {0, 5, 0, 0, 0, 0, 0, 0, 0});
    QVERIFY(read.loadTopology(path.toStdString()));
    QCOMPARE(read.partners(1), std::vector<int>{0});
  }

  void unusableFilesGiveAnEmptyTopology_data() {
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"missing", "nonsquare", "bands", "uint16", "garbage"}) QTest::newRow(kind) << kind;
  }
  void unusableFilesGiveAnEmptyTopology() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString good = dir.filePath("good.tif"), path = dir.filePath("Topology.tif");
    vx::StereoModels(2).saveTopology(good.toStdString());
    if (kind == "nonsquare") writeRaster(path, 3, 2, 1, GDT_Byte);
    if (kind == "bands") writeRaster(path, 3, 3, 2, GDT_Byte);
    if (kind == "uint16") writeRaster(path, 3, 3, 1, GDT_UInt16);
    if (kind == "garbage") testprojects::writeText(path, QByteArray("II*\0garbage, not a tiff", 23));

    vx::StereoModels topology;
    QVERIFY(topology.loadTopology(good.toStdString()));
    QVERIFY(!topology.loadTopology(path.toStdString()));
    QCOMPARE(topology.imageCount(), 0);  // the earlier topology does not linger
  }

  void misuseIsRefused() {
    QTemporaryDir dir;
    vx::StereoModels topology(2);
    QVERIFY_EXCEPTION_THROWN(topology.setPair(0, 2), std::out_of_range);
    QVERIFY_EXCEPTION_THROWN(vx::StereoModels().saveTopology(dir.filePath("e.tif").toStdString()), std::runtime_error);
    QVERIFY_EXCEPTION_THROWN(topology.saveTopology(dir.filePath("no/such/folder/t.tif").toStdString()), std::runtime_error);
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
  }
};

QTEST_GUILESS_MAIN(TopologyTest)
#include "TopologyTest.moc"
