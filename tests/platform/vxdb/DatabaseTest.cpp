#include <sqlite3.h>

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "tests/platform/vx/TestProjects.h"
#include "vxdb/Database.h"

using Type = vxdb::Resource::Type;

namespace {

// A project folder with its two databases, written the way processing modules write them.
struct Project {
  QTemporaryDir dir;
  std::shared_ptr<vxdb::Database> resources, chronicle;

  Project() {
    QDir(dir.path()).mkpath("Internal");
    resources = vxdb::DatabaseIO::openForWriting(file("Internal/resources.vxdb"));
    chronicle = vxdb::DatabaseIO::openForWriting(file("Internal/chronicle.vxdb"));
  }
  std::string file(const QString& relative) const { return dir.filePath(relative).toStdString(); }
  std::int64_t add(Type type, const std::string& path, int process, std::int64_t epoch) {
    return vxdb::registerResource(*resources, *chronicle, type, {path}, {process}, {epoch});
  }
  // What the editor sees: the databases read back from disk, as absolute paths.
  QStringList current(int from = vx::MSG::PRC_MESH, int to = vx::MSG::PRC_DSM_MESH_TEXTURING, bool meshIndexOnly = true,
                      std::vector<std::int64_t>* ids = nullptr) const {
    const vxdb::PathsAndIds found = vxdb::getCurrentResources(
        vxdb::DatabaseIO::readFile(file("Internal/resources.vxdb")),
        vxdb::DatabaseIO::readFile(file("Internal/chronicle.vxdb")), vx::MSG::PRC(from), vx::MSG::PRC(to), meshIndexOnly);
    if (ids) *ids = found.ids;
    QStringList paths;
    for (const std::string& path : found.paths) paths << QString::fromStdString(path);
    return paths;
  }
  QString absolute(const QString& relative) const { return QDir::toNativeSeparators(dir.filePath(relative)); }
};

}  // namespace

class DatabaseTest : public QObject {
  Q_OBJECT

 private slots:
  void currentIsTheLatestValidPerType() {
    Project p;
    p.add(Type::Mesh, "Results/Mesh/old/Mesh.osgb", vx::MSG::PRC_MESH, 100);
    const auto newest = p.add(Type::Mesh, "Results/Mesh/Mesh.osgb", vx::MSG::PRC_MESH_TEXTURING, 200);
    const auto dsmMesh = p.add(Type::DSMMesh, "Results/DSM_Mesh/Mesh.osgb", vx::MSG::PRC_DSM_MESH, 150);
    p.add(Type::DSM, "Results/DSM/dsm.tif", vx::MSG::PRC_DSM, 300);
    std::vector<std::int64_t> ids;
    QCOMPARE(p.current(vx::MSG::PRC_MESH, vx::MSG::PRC_DSM_MESH_TEXTURING, true, &ids),
             QStringList({p.absolute("Results/Mesh/Mesh.osgb"), p.absolute("Results/DSM_Mesh/Mesh.osgb")}));
    QCOMPARE(ids, (std::vector<std::int64_t>{newest, dsmMesh}));

    p.add(Type::DSMMesh, "Results/DSM_Mesh/again.osgb", vx::MSG::PRC_DSM_MESH, 150);  // same epoch: later wins
    vxdb::invalidateResource(*p.chronicle, newest, {250});
    QCOMPARE(p.current(), QStringList({p.absolute("Results/Mesh/old/Mesh.osgb"), p.absolute("Results/DSM_Mesh/again.osgb")}));
  }

  void rangeAndMeshIndexFilter() {
    Project p;
    p.add(Type::DSM, "Results/DSM/dsm.tif", vx::MSG::PRC_DSM, 100);
    p.add(Type::Mesh, "Results/Mesh/Mesh.osgb", vx::MSG::PRC_MESH, 100);
    p.add(Type::Mesh, "Internal/Lists/mesh_list.txt", vx::MSG::PRC_MESH, 200);
    p.add(Type::DSMMesh, "Results/DSM_Mesh/Mesh.OSGB", vx::MSG::PRC_DSM_MESH, 100);  // suffixes are case-sensitive
    p.add(Type::TrueOrtho, "Results/True_Ortho/Mesh.osg", vx::MSG::PRC_DSM_MESH_TEXTURING, 100);

    QCOMPARE(p.current(vx::MSG::PRC_DSM, vx::MSG::PRC_DSM, false), QStringList{p.absolute("Results/DSM/dsm.tif")});
    QVERIFY(p.current(vx::MSG::PRC_DSM, vx::MSG::PRC_DSM, true).isEmpty());
    QCOMPARE(p.current(), QStringList({p.absolute("Results/Mesh/Mesh.osgb"), p.absolute("Results/True_Ortho/Mesh.osg")}));
    QCOMPARE(p.current(vx::MSG::PRC_MESH, vx::MSG::PRC_DSM_MESH_TEXTURING, false),
             QStringList({p.absolute("Internal/Lists/mesh_list.txt"), p.absolute("Results/DSM_Mesh/Mesh.OSGB"),
                          p.absolute("Results/True_Ortho/Mesh.osg")}));
  }

  void resourcesUnknownToTheChronicleAreNotCurrent() {
    Project p, other;
    p.add(Type::Mesh, "Mesh.osgb", vx::MSG::PRC_MESH, 100);
    const auto found = vxdb::getCurrentResources(vxdb::DatabaseIO::readFile(p.file("Internal/resources.vxdb")),
                                                 vxdb::DatabaseIO::readFile(other.file("Internal/chronicle.vxdb")),
                                                 vx::MSG::PRC_MESH, vx::MSG::PRC_DSM_MESH_TEXTURING, true);
    QVERIFY(found.paths.empty());
    QVERIFY(vxdb::getCurrentResources(nullptr, p.chronicle, vx::MSG::PRC_MESH, vx::MSG::PRC_MESH, true).paths.empty());
  }

  void registeredPathsAreRelativeWithSlashes() {
    Project p;
    p.add(Type::Mesh, "Results\\Mesh\\Mesh.osgb", vx::MSG::PRC_MESH, 100);
    QCOMPARE(p.current(), QStringList{p.absolute("Results/Mesh/Mesh.osgb")});
    QVERIFY_EXCEPTION_THROWN(p.add(Type::Mesh, p.file("Mesh.osgb"), vx::MSG::PRC_MESH, 1), std::runtime_error);
    QVERIFY_EXCEPTION_THROWN(p.add(Type::Mesh, "", vx::MSG::PRC_MESH, 1), std::runtime_error);
  }

  void unreadableFilesGiveNoDatabase_data() {
    QTest::addColumn<QByteArray>("content");
    QByteArray random(8192, '\0');
    for (char& c : random) c = char(QRandomGenerator::global()->bounded(256));
    QTest::newRow("random bytes") << random;
    QTest::newRow("damaged header") << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\x7f');
    QTest::newRow("empty file") << QByteArray();
  }
  void unreadableFilesGiveNoDatabase() {
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    testprojects::writeText(dir.filePath("resources.vxdb"), content);
    QVERIFY(!vxdb::DatabaseIO::readFile(dir.filePath("resources.vxdb").toStdString()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"resources.vxdb"});
  }

  void missingFilesAndForeignDatabasesGiveNoDatabase() {
    QTemporaryDir dir;
    QVERIFY(!vxdb::DatabaseIO::readFile(dir.filePath("resources.vxdb").toStdString()));
    QVERIFY(!vxdb::DatabaseIO::readFile(dir.path().toStdString()));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());  // reading never creates a file

    sqlite3* db = nullptr;
    const QByteArray foreign = dir.filePath("foreign.vxdb").toUtf8();
    QCOMPARE(sqlite3_open(foreign.constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "CREATE TABLE resources(id INTEGER)", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    QVERIFY(!vxdb::DatabaseIO::readFile(foreign.toStdString()));
  }

  void readOnlyDatabasesRefuseWrites() {
    Project p;
    auto resources = vxdb::DatabaseIO::readFile(p.file("Internal/resources.vxdb"));
    QVERIFY(resources);
    QVERIFY_EXCEPTION_THROWN(
        vxdb::registerResource(*resources, *p.chronicle, Type::Mesh, {"a.osgb"}, {vx::MSG::PRC_MESH}, {1}),
        std::runtime_error);
    QVERIFY_EXCEPTION_THROWN(vxdb::DatabaseIO::openForWriting(p.file("no/such/folder/x.vxdb")), std::runtime_error);
  }
};

QTEST_GUILESS_MAIN(DatabaseTest)
#include "DatabaseTest.moc"
