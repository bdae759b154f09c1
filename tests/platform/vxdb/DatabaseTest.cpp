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

// Runs `sql` on the database file behind the library's back, as a damaged or foreign writer would.
void execute(const std::string& file, const char* sql) {
  sqlite3* db = nullptr;
  QCOMPARE(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

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
    QTest::addColumn<QString>("expected");  // what the message says after the file name
    QByteArray random(8192, '\0');
    for (char& c : random) c = char(QRandomGenerator::global()->bounded(256));
    random[0] = 'X';  // never by chance the SQLite header
    QTest::newRow("random bytes") << random << " is not an SQLite database.";
    QTest::newRow("damaged header") << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\x7f')
                                    << " is not an SQLite database.";
    QTest::newRow("empty file") << QByteArray() << " is empty.";
  }
  void unreadableFilesGiveNoDatabase() {
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    testprojects::writeText(dir.filePath("resources.vxdb"), content);
    std::string error;
    QVERIFY(!vxdb::DatabaseIO::readFile(dir.filePath("resources.vxdb").toStdString(), &error));
    QVERIFY2(QString::fromStdString(error).startsWith("The project database " + dir.filePath("resources.vxdb") + expected),
             error.c_str());
    QVERIFY2(QString::fromStdString(error).contains("Restore it from a backup"), error.c_str());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"resources.vxdb"});
  }

  void missingTablesAndColumnsAreNamed() {
    Project p;
    const std::string resources = p.file("Internal/resources.vxdb");
    p.resources.reset();
    execute(resources, "DROP TABLE runs; DROP TABLE run_resources;");
    std::string error;
    QVERIFY(!vxdb::DatabaseIO::readFile(resources, &error));
    QCOMPARE(QString::fromStdString(error),
             "The project database " + QString::fromStdString(resources) +
                 " lacks the tables run_resources, runs; it is damaged or not a project database. Restore it from "
                 "a backup of the project, or run the processing again to rewrite it.");

    const std::string chronicle = p.file("Internal/chronicle.vxdb");
    p.chronicle.reset();
    execute(chronicle, "ALTER TABLE runs RENAME TO old; CREATE TABLE runs(id INTEGER PRIMARY KEY, process INTEGER);");
    QVERIFY(!vxdb::DatabaseIO::readFile(chronicle, &error));
    QVERIFY2(QString::fromStdString(error).contains(" lacks the column runs.epoch;"), error.c_str());
  }

  void rowsWithWrongKindsOfValuesAreReportedAndSkipped() {
    Project p;
    p.add(Type::Mesh, "Results/Mesh/Mesh.osgb", vx::MSG::PRC_MESH, 100);
    const auto bad = p.add(Type::DSMMesh, "Results/DSM_Mesh/Mesh.osgb", vx::MSG::PRC_DSM_MESH, 100);
    p.add(Type::TrueOrtho, "Results/True_Ortho/Mesh.osgb", vx::MSG::PRC_DSM_MESH, 100);
    const auto unlinked = p.add(Type::PointCloud, "Results/Point_Cloud/Mesh.osgb", vx::MSG::PRC_DSM_MESH, 100);
    // Column affinity keeps non-numeric text and blobs as they are.
    execute(p.file("Internal/resources.vxdb"),
            qPrintable(QString("UPDATE resources SET epoch = 'yesterday' WHERE id = %1;"
                               "UPDATE resources SET path = x'00ff' WHERE type = %2;")
                           .arg(bad)
                           .arg(int(Type::TrueOrtho))));
    execute(p.file("Internal/chronicle.vxdb"),
            qPrintable(QString("UPDATE run_resources SET resource = 'first' WHERE resource = %1").arg(unlinked)));
    std::vector<std::string> problems;
    const auto found = vxdb::getCurrentResources(vxdb::DatabaseIO::readFile(p.file("Internal/resources.vxdb")),
                                                 vxdb::DatabaseIO::readFile(p.file("Internal/chronicle.vxdb")),
                                                 vx::MSG::PRC_MESH, vx::MSG::PRC_DSM_MESH_TEXTURING, true, &problems);
    QCOMPARE(found.paths, std::vector<std::string>{p.absolute("Results/Mesh/Mesh.osgb").toStdString()});
    const QString resources = "The project database " + QString::fromStdString(p.file("Internal/resources.vxdb"));
    const QString chronicle = "The project database " + QString::fromStdString(p.file("Internal/chronicle.vxdb"));
    QCOMPARE(problems.size(), std::size_t(3));
    QCOMPARE(QString::fromStdString(problems[0]),
             chronicle + ": row 4 of the table run_resources names a resource that is not a whole number; it was "
                         "skipped. Run the processing again to rewrite the entry.");
    QCOMPARE(QString::fromStdString(problems[1]),
             resources + QString(": row %1 of the table resources has a non-numeric epoch; it was skipped. Run the "
                                 "processing again to rewrite the entry.").arg(bad));
    QVERIFY(QString::fromStdString(problems[2]).contains(": row 3 of the table resources has a path that is not text;"));
  }

  void manyBadRowsAreCounted() {
    Project p;
    for (int i = 0; i < 8; ++i) p.add(Type::Mesh, "Results/Mesh/Mesh.osgb", vx::MSG::PRC_MESH, 100 + i);
    execute(p.file("Internal/resources.vxdb"), "UPDATE resources SET process = 'mesh'");
    std::vector<std::string> problems;
    vxdb::getCurrentResources(vxdb::DatabaseIO::readFile(p.file("Internal/resources.vxdb")),
                              vxdb::DatabaseIO::readFile(p.file("Internal/chronicle.vxdb")), vx::MSG::PRC_MESH,
                              vx::MSG::PRC_DSM_MESH_TEXTURING, true, &problems);
    QCOMPARE(problems.size(), std::size_t(6));
    QVERIFY2(QString::fromStdString(problems.back()).endsWith(": 3 more rows with wrong values were skipped."),
             problems.back().c_str());
  }

  void missingFilesAndForeignDatabasesGiveNoDatabase() {
    QTemporaryDir dir;
    std::string error;
    QVERIFY(!vxdb::DatabaseIO::readFile(dir.filePath("resources.vxdb").toStdString(), &error));
    QCOMPARE(QString::fromStdString(error), "The project database " + dir.filePath("resources.vxdb") +
                                                " does not exist. Restore it from a backup of the project, or run "
                                                "the processing again to rewrite it.");
    QVERIFY(!vxdb::DatabaseIO::readFile(dir.path().toStdString(), &error));
    QVERIFY2(QString::fromStdString(error).contains(" is not a regular file"), error.c_str());
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());  // reading never creates a file

    sqlite3* db = nullptr;
    const QByteArray foreign = dir.filePath("foreign.vxdb").toUtf8();
    QCOMPARE(sqlite3_open(foreign.constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "CREATE TABLE resources(id INTEGER)", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    QVERIFY(!vxdb::DatabaseIO::readFile(foreign.toStdString(), &error));
    QVERIFY2(QString::fromStdString(error).contains(" lacks the tables run_resources, runs, vxdb_info;"), error.c_str());
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
