#include <sqlite3.h>

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "resources/DataBase.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vxdb/Database.h"

using Type = vxdb::Resource::Type;

namespace {

void execute(const QString& file, const char* sql) {
  sqlite3* db = nullptr;
  QCOMPARE(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
  QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

void touch(const QString& file) {
  QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
  QFile out(file);
  QVERIFY(out.open(QIODevice::WriteOnly));
}

void overwrite(const QString& file, const QByteArray& content) {
  QFile out(file);
  QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(out.write(content), qint64(content.size()));
}

// Holds an exclusive lock on a database, as a processing module in the middle of writing does.
struct Lock {
  sqlite3* db = nullptr;
  explicit Lock(const QString& file) {
    sqlite3_open(file.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN EXCLUSIVE; CREATE TABLE busy(x);", nullptr, nullptr, nullptr);
  }
  ~Lock() { sqlite3_close(db); }
};

}  // namespace

class ProjectResourcesTest : public QObject {
  Q_OBJECT

  QString internal(const QString& name) const { return QDir(dir_->path()).absoluteFilePath("Internal/" + name); }
  QString absolute(const QString& relative) const {
    return QDir::toNativeSeparators(QDir(dir_->path()).absoluteFilePath(relative));
  }

  void registerResources(const std::vector<std::tuple<Type, std::string, int>>& entries) {
    auto resources = vxdb::DatabaseIO::openForWriting(internal("resources.vxdb").toStdString());
    auto chronicle = vxdb::DatabaseIO::openForWriting(internal("chronicle.vxdb").toStdString());
    for (const auto& [type, path, process] : entries)
      vxdb::registerResource(*resources, *chronicle, type, {path}, {process}, {100});
  }

 private slots:
  // Databases with many results, so that truncation hits data pages as well as the schema.
  void initTestCase() {
    init();
    std::vector<std::tuple<Type, std::string, int>> entries;
    for (int i = 0; i < 300; ++i)
      entries.emplace_back(Type::DSMMesh, "Results/DSM_Mesh/Mesh" + std::to_string(i) + ".osgb", vx::MSG::PRC_DSM_MESH);
    registerResources(entries);
    for (const QString name : {"resources.vxdb", "chronicle.vxdb"}) {
      QFile file(internal(name));
      QVERIFY(file.open(QIODevice::ReadOnly));
      manyResults_[name] = file.readAll();
      QVERIFY(manyResults_[name].size() > 3 * 4096);
    }
  }

  void init() {
    dir_.reset(new QTemporaryDir);
    QVERIFY(QDir(dir_->path()).mkpath("Internal"));
    project_ = vx::VEXAProject();
    QCOMPARE(project_.setOutputFolder(dir_->path().toStdString(), 0, 0), 0);
  }

  void currentMeshesOfTheProcessRangeAreListed() {
    registerResources({{Type::DSMMesh, "Results/DSM_Mesh/Mesh.osgb", vx::MSG::PRC_DSM_MESH},
                       // outside the range the editor asks for
                       {Type::DSMMeshForEditing, "Results/DSM_Mesh_For_Editing/Mesh.osgb", vx::MSG::PRC_DSM_MESH_FOR_EDITING},
                       {Type::DSM, "Results/DSM/dsm.tif", vx::MSG::PRC_DSM}});
    touch(absolute("Results/DSM_Mesh/Mesh.osgb"));
    QStringList problems;
    QCOMPARE(MeshTree::DataBase::currentResources(project_, &problems),
             QStringList({absolute("Results/DSM_Mesh/Mesh.osgb")}));
    QVERIFY(problems.isEmpty());

    // A current result whose file is gone is named and does not hide the others.
    registerResources({{Type::Mesh, "Results/Mesh/Mesh.osgb", vx::MSG::PRC_MESH}});
    QCOMPARE(MeshTree::DataBase::currentResources(project_, &problems),
             QStringList({absolute("Results/DSM_Mesh/Mesh.osgb")}));
    QCOMPARE(problems, QStringList{"The project database " + internal("resources.vxdb") + " lists resource 4 at " +
                                   absolute("Results/Mesh/Mesh.osgb") +
                                   ", which is not a file; it was not loaded. Run the processing again to make it."});
  }

  void projectsWithoutDatabasesHaveNoResourcesAndNoProblem() {
    QStringList problems;
    QVERIFY(MeshTree::DataBase::currentResources(project_, &problems).isEmpty());
    QVERIFY(problems.isEmpty());
    // One without the other is damage, though.
    registerResources({{Type::DSMMesh, "Results/DSM_Mesh/Mesh.osgb", vx::MSG::PRC_DSM_MESH}});
    QVERIFY(QFile::remove(internal("chronicle.vxdb")));
    QVERIFY(MeshTree::DataBase::currentResources(project_, &problems).isEmpty());
    QCOMPARE(problems, QStringList{"The project database " + internal("chronicle.vxdb") +
                                   " does not exist. Restore it from a backup of the project, or run the "
                                   "processing again to rewrite it."});
  }

  // Either database damaged in any of the ways files get damaged: nothing is loaded, and one
  // message names the file and what to do.
  void damagedDatabasesAreNamed_data() {
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("expected");  // what the message says after the file name
    const QString restore = "Restore it from a backup of the project, or run the processing again to rewrite it.";
    for (const QString database : {"resources.vxdb", "chronicle.vxdb"}) {
      auto row = [&](const char* damage, const QString& expected) {
        QTest::addRow("%s %s", qPrintable(database), damage) << database << damage << expected;
      };
      row("empty", " is empty. " + restore);
      row("truncated in the header", " is damaged (the file is cut short). " + restore);
      row("truncated after the first page", " is damaged (database disk image is malformed). " + restore);
      row("truncated near the end", " is damaged (the file is cut short). " + restore);
      row("random bytes", " is not an SQLite database. " + restore);
      row("missing table", database.startsWith("resources")
                               ? " lacks the table resources; it is damaged or not a project database. " + restore
                               : " lacks the table run_resources; it is damaged or not a project database. " + restore);
      row("wrong column types",
          database.startsWith("resources")
              ? ": row 300 of the table resources has a non-numeric process; it was skipped. Run the processing "
                "again to rewrite the entry."
              : ": row 300 of the table run_resources names a resource that is not a whole number; it was skipped. "
                "Run the processing again to rewrite the entry.");
      row("locked", " is locked by another program. Wait until the processing that writes it has finished, then "
                    "open the project again.");
      const QString notRegular = " is not a regular file (a folder, device or pipe stands in its place). Remove "
                                 "it, then restore the file from a backup of the project.";
      row("folder", notRegular);
#ifdef Q_OS_UNIX
      // Resizing makes a sparse file here; elsewhere it would fill the disk.
      row("huge", " is 2048 MB, larger than a project database can be (1024 MB); it is damaged or not a project "
                  "database. " + restore);
      row("pipe", notRegular);
      row("link to a device", notRegular);
#endif
    }
  }
  void damagedDatabasesAreNamed() {
    QFETCH(QString, database);
    QFETCH(QString, damage);
    QFETCH(QString, expected);
    const QString file = internal(database);
    const QByteArray bytes = manyResults_.value(database);
    overwrite(file, bytes);
    overwrite(internal(database == "resources.vxdb" ? "chronicle.vxdb" : "resources.vxdb"),
              manyResults_.value(database == "resources.vxdb" ? "chronicle.vxdb" : "resources.vxdb"));

    std::unique_ptr<Lock> lock;
    if (damage == "empty") overwrite(file, {});
    if (damage == "truncated in the header") overwrite(file, bytes.left(60));
    if (damage == "truncated after the first page") overwrite(file, bytes.left(4096));
    if (damage == "truncated near the end") overwrite(file, bytes.left(bytes.size() - 100));
    if (damage == "random bytes") {
      QByteArray random(bytes.size(), '\0');
      for (char& c : random) c = char(QRandomGenerator::global()->bounded(256));
      random[0] = 'X';
      overwrite(file, random);
    }
    if (damage == "missing table")
      execute(file, database.startsWith("resources") ? "DROP TABLE resources" : "DROP TABLE run_resources");
    if (damage == "wrong column types")
      execute(file, database.startsWith("resources") ? "UPDATE resources SET process = 'mesh' WHERE id = 300"
                                                     : "UPDATE run_resources SET resource = 'one' WHERE rowid = 300");
    if (damage == "locked") lock = std::make_unique<Lock>(file);
    if (damage == "folder") QVERIFY(QFile::remove(file) && QDir().mkdir(file));
#ifdef Q_OS_UNIX
    if (damage == "huge") QVERIFY(QFile::resize(file, qint64(2) << 30));
    if (damage == "pipe") QVERIFY(QFile::remove(file) && mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
    if (damage == "link to a device") QVERIFY(QFile::remove(file) && QFile::link("/dev/null", file));
#endif

    touch(absolute("Results/DSM_Mesh/Mesh298.osgb"));
    QStringList problems;
    const QStringList files = MeshTree::DataBase::currentResources(project_, &problems);
    QCOMPARE(problems, QStringList{"The project database " + file + expected});
    // A bad row loses only itself: the result before it is current then.
    QCOMPARE(files, damage == "wrong column types" ? QStringList{absolute("Results/DSM_Mesh/Mesh298.osgb")} : QStringList());
  }

  void entriesOutsideTheProjectFolderAreRefused() {
    QTemporaryDir elsewhere;
    QVERIFY(QDir(dir_->path()).mkpath("Results"));
    QVERIFY(QFile::link(elsewhere.path(), dir_->filePath("Results/Linked")));
    registerResources({{Type::Mesh, "Results/Mesh/Mesh.osgb", vx::MSG::PRC_MESH},
                       {Type::DSMMesh, "Results/../Results/DSM_Mesh/Mesh.osgb", vx::MSG::PRC_DSM_MESH},
                       {Type::DSM, "../../outside/Mesh.osgb", vx::MSG::PRC_MESH},
                       {Type::TrueOrtho, "Results/Linked/Mesh.osgb", vx::MSG::PRC_MESH}});
    // The library refuses to register absolute paths; a foreign writer does not.
    execute(internal("resources.vxdb"),
            qPrintable("UPDATE resources SET path = '" + elsewhere.filePath("Mesh.osgb") + "' WHERE id = 1"));
    execute(internal("resources.vxdb"), "UPDATE resources SET type = 6 WHERE id = 1");
    registerResources({{Type::Mesh, "Results/Mesh/Mesh.osgb", vx::MSG::PRC_MESH}});

    touch(absolute("Results/Mesh/Mesh.osgb"));
    touch(absolute("Results/DSM_Mesh/Mesh.osgb"));
    touch(elsewhere.filePath("Mesh.osgb"));  // present, and still refused
    QStringList problems;
    QCOMPARE(MeshTree::DataBase::currentResources(project_, &problems),
             QStringList({absolute("Results/Mesh/Mesh.osgb"), absolute("Results/../Results/DSM_Mesh/Mesh.osgb")}));
    auto refused = [&](int id, const QString& path) {
      return QString("The project database %1 lists resource %2 at %3, outside the project folder %4; it was not "
                     "loaded. Keep the project's results inside its folder.")
          .arg(internal("resources.vxdb"), QString::number(id), path, dir_->path());
    };
    QCOMPARE(problems, QStringList({refused(3, absolute("../../outside/Mesh.osgb")),
                                    refused(4, absolute("Results/Linked/Mesh.osgb")),
                                    refused(1, elsewhere.filePath("Mesh.osgb"))}));
  }

 private:
  QMap<QString, QByteArray> manyResults_;
  std::unique_ptr<QTemporaryDir> dir_;
  vx::VEXAProject project_;
};

QTEST_GUILESS_MAIN(ProjectResourcesTest)
#include "ProjectResourcesTest.moc"
