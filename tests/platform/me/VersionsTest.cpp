#include <map>
#include <memory>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "me/Application.h"
#include "vx/AtomicFile.h"
#include "vx/WriteFaults.h"

using vx::me::Application;

namespace {

using Files = std::map<QString, QByteArray>;

void write(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
    qFatal("cannot write %s", qPrintable(path));
}

Files filesUnder(const QString& folder) {
  Files files;
  QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) files[QDir(folder).relativeFilePath(path)] = file.readAll();
  }
  return files;
}

// Two tiles of a mesh with a root file, a level file and a texture in a sub-folder.
struct Mesh {
  QString folder;
  explicit Mesh(const QString& root) : folder(root + "/mesh") {
    for (const QString tile : {"Tile_0_0", "Tile_1_0"}) {
      write(tileFolder(tile) + "/" + tile + ".osgb", "root of " + tile.toUtf8());
      write(tileFolder(tile) + "/" + tile + "_L1_0.osgb", QByteArray(3000, 'x') + tile.toUtf8());
      write(tileFolder(tile) + "/textures/t.jpg", QByteArray(70000, '\xfe'));
    }
  }
  QString tileFolder(const QString& tile) const { return folder + "/" + tile; }
  QString rootFile(const QString& tile) const { return tileFolder(tile) + "/" + tile + ".osgb"; }
  // What a retexturing does: new bytes in place.
  void change(const QString& tile) const {
    write(rootFile(tile), "retextured " + tile.toUtf8());
    write(tileFolder(tile) + "/textures/t.jpg", QByteArray(50, 'n'));
  }
};

}  // namespace

class VersionsTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { vx::writefaults::clear(); }

  void undoRestoresTheBytesOfTheDuplicatedTilesOnly() {
    QTemporaryDir dir;
    const Mesh mesh(dir.path());
    auto app = std::make_shared<Application>();
    auto& files = app->getTemporaryFilesController();
    files.setTemporaryFolderName((dir.path() + "/tmp").toStdString());
    QCOMPARE(QString::fromStdString(files.getTemporaryFolderName()), dir.path() + "/tmp");
    QVERIFY(!app->getVersionController().undo());  // nothing to undo yet

    const Files before = filesUnder(mesh.folder);
    app->getVersionController().addNewVersion();
    // A tile named by its root file and one by its folder; the same tile twice keeps its first copy.
    files.duplicateTilesToCurrentVersion(
        {mesh.rootFile("Tile_0_0").toStdString(), mesh.tileFolder("Tile_1_0").toStdString()});
    QVERIFY(QFileInfo(dir.path() + "/tmp/v1/tiles.txt").isFile());
    mesh.change("Tile_0_0");
    mesh.change("Tile_1_0");
    files.duplicateTilesToCurrentVersion({mesh.rootFile("Tile_0_0").toStdString()});
    QVERIFY(filesUnder(mesh.folder) != before);

    QVERIFY(app->getVersionController().undo());
    QVERIFY(filesUnder(mesh.folder) == before);
    QVERIFY(!QFileInfo::exists(dir.path() + "/tmp/v1"));  // the version is dropped
    QCOMPARE(files.currentVersion(), 0);
    QVERIFY(!app->getVersionController().undo());
  }

  void eachVersionUndoesItsOwnChange() {
    QTemporaryDir dir;
    const Mesh mesh(dir.path());
    Application app;
    auto& files = app.getTemporaryFilesController();
    files.setTemporaryFolderName((dir.path() + "/tmp").toStdString());
    const Files original = filesUnder(mesh.folder);
    app.getVersionController().addNewVersion();
    files.duplicateTilesToCurrentVersion({mesh.tileFolder("Tile_0_0").toStdString()});
    mesh.change("Tile_0_0");
    const Files afterFirst = filesUnder(mesh.folder);
    app.getVersionController().addNewVersion();
    files.duplicateTilesToCurrentVersion({mesh.tileFolder("Tile_0_0").toStdString()});
    write(mesh.rootFile("Tile_0_0"), "second change");
    QVERIFY(app.getVersionController().undo());
    QVERIFY(filesUnder(mesh.folder) == afterFirst);
    QVERIFY(app.getVersionController().undo());
    QVERIFY(filesUnder(mesh.folder) == original);
  }

  void aMissingTileIsToldBeforeAnythingIsCopied() {
    QTemporaryDir dir;
    const Mesh mesh(dir.path());
    Application app;
    auto& files = app.getTemporaryFilesController();
    files.setTemporaryFolderName((dir.path() + "/tmp").toStdString());
    QVERIFY_EXCEPTION_THROWN(files.duplicateTilesToCurrentVersion({mesh.tileFolder("Tile_0_0").toStdString()}),
                             std::logic_error);  // no version yet
    app.getVersionController().addNewVersion();
    const QString missing = mesh.folder + "/Tile_9_9/Tile_9_9.osgb";
    try {
      files.duplicateTilesToCurrentVersion({mesh.tileFolder("Tile_0_0").toStdString(), missing.toStdString()});
      QFAIL("no error");
    } catch (const vx::FileError& error) {
      QVERIFY2(QString(error.what()).contains(mesh.folder + "/Tile_9_9"), error.what());
    }
    QVERIFY(!QFileInfo::exists(dir.path() + "/tmp/v1/tiles.txt"));
  }

  // Every step of every file copy of an undo may fail (a full disk): the live tiles stay as the
  // change left them, no staged file stays behind, and the version can still be undone.
  void aFailedRestoreLeavesTheLiveTilesUntouched() {
    QTemporaryDir dir;
    struct Changed {
      std::unique_ptr<Mesh> mesh;
      std::unique_ptr<Application> app;
      Files original, changed;
    };
    int run = 0;
    const auto changedMesh = [&dir, &run] {
      Changed c;
      const QString root = dir.path() + QString("/run%1").arg(++run);
      c.mesh = std::make_unique<Mesh>(root);
      c.app = std::make_unique<Application>();
      c.app->getTemporaryFilesController().setTemporaryFolderName((root + "/tmp").toStdString());
      c.original = filesUnder(c.mesh->folder);
      c.app->getVersionController().addNewVersion();
      c.app->getTemporaryFilesController().duplicateTilesToCurrentVersion(
          {c.mesh->tileFolder("Tile_0_0").toStdString(), c.mesh->tileFolder("Tile_1_0").toStdString()});
      c.mesh->change("Tile_0_0");
      c.mesh->change("Tile_1_0");
      c.changed = filesUnder(c.mesh->folder);
      return c;
    };
    int steps = 0;
    {
      const Changed counted = changedMesh();
      vx::writefaults::clear();
      QVERIFY(counted.app->getVersionController().undo());
      steps = vx::writefaults::stepsTaken();
    }
    QVERIFY(steps > 12);  // six files of two tiles
    int failures = 0;
    for (int step = 1; step <= steps; ++step) {
      const Changed c = changedMesh();
      vx::writefaults::inject(step, vx::writefaults::Fault::NoSpace);
      bool failed = false;
      try {
        c.app->getVersionController().undo();
      } catch (const vx::FileError& error) {
        failed = true;
        QVERIFY2(QString(error.what()).contains(c.mesh->folder), error.what());
      }
      vx::writefaults::clear();
      // A failed flush of a folder comes after its file is in place and is no failure of the copy.
      QVERIFY2(filesUnder(c.mesh->folder) == (failed ? c.changed : c.original),
               qPrintable(QString("step %1").arg(step)));
      if (!failed) continue;
      ++failures;
      QVERIFY(c.app->getVersionController().undo());
      QVERIFY(filesUnder(c.mesh->folder) == c.original);
    }
    QVERIFY(failures > steps / 2);
  }
};

QTEST_MAIN(VersionsTest)
#include "VersionsTest.moc"
