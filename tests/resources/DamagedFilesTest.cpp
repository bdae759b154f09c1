#include <QTemporaryDir>
#include <QtTest>

#include <osg/Geode>
#include <osg/Geometry>

#include <algorithm>

#include "resources/DataBase.h"
#include "resources/MeshTreeGroup.h"
#include "resources/MeshTreeItem.h"
#include "scenefiles/FileLimits.h"
#include "scenefiles/SceneFileGuard.h"
#include "tests/platform/me/TileFixtures.h"
#include "tests/scenefiles/DamagedFiles.h"

using MeshTree::DataBase;
using MeshTree::Group;
using MeshTree::Item;
using scenefiles::SceneFileGuard;

namespace {

using Damage = void (*)(const QString& healthy, const QString& path);

void makeEmpty(const QString&, const QString& path) { damaged::writeBytes(path, {}); }
void cutAt20(const QString& healthy, const QString& path) { damaged::writeTruncated(healthy, path, 0.2); }
void cutAt50(const QString& healthy, const QString& path) { damaged::writeTruncated(healthy, path, 0.5); }
void cutAt90(const QString& healthy, const QString& path) { damaged::writeTruncated(healthy, path, 0.9); }
void makeNoise(const QString&, const QString& path) { damaged::writeRandom(path, 20000, 11); }
void makeHuge(const QString&, const QString& path) {
  damaged::writeSparse(path, scenefiles::sizeLimit(scenefiles::fileKindOf(path)) + 1);
}
void makeFifo(const QString&, const QString& path) { damaged::makeFifo(path); }

QList<Item*> itemsOf(const DataBase& dataBase) {
  QList<Item*> items;
  for (Group* group : dataBase.groups()) items.append(group->items());
  return items;
}

QString allMessages(const QSignalSpy& spy) {
  QStringList messages;
  for (const QList<QVariant>& call : spy) messages.append(call.at(0).toString());
  return messages.join('\n');
}

bool loadAndWait(DataBase& dataBase, const QStringList& files) {
  QSignalSpy done(&dataBase, &DataBase::signal_loadingDone);
  dataBase.loadFiles(files);
  return done.wait(120000);
}

}  // namespace

// Damaged scene files, read through the guard as the editor reads them: each is reported by
// name and left out, the healthy rest loads, and the process survives.
class DamagedFilesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    SceneFileGuard::Settings settings;
    settings.helpers = 2;
    guard_ = std::make_unique<SceneFileGuard>(settings);
    SceneFileGuard::install(guard_.get());
    healthyMesh_ = metest::writeTileSet(dir_.filePath("healthy"));
    plyA_ = dir_.filePath("plain/a.ply");
    damaged::writeGoodPly(plyA_);
    objB_ = dir_.filePath("plain/b.obj");
    damaged::writeGoodObj(objB_);
  }
  void cleanupTestCase() { SceneFileGuard::install(nullptr); }

  void damagedFiles_data() {
    QTest::addColumn<QString>("kind");  // tile, index, ply, obj, osg
    QTest::addColumn<void*>("damage");
    const QList<QPair<const char*, Damage>> damages{{"empty", makeEmpty},   {"cut20", cutAt20}, {"cut50", cutAt50},
                                                    {"cut90", cutAt90},     {"noise", makeNoise}, {"huge", makeHuge},
                                                    {"fifo", makeFifo}};
    for (const char* kind : {"tile", "index", "ply", "obj", "osg"}) {
      for (const auto& damage : damages) {
#ifdef _WIN32
        if (damage.second == makeFifo) continue;
#endif
        QTest::newRow((QByteArray(kind) + "-" + damage.first).constData()) << QString(kind) << reinterpret_cast<void*>(damage.second);
      }
    }
    QTest::newRow("ply-bad-index") << QString("ply") << static_cast<void*>(nullptr);
  }

  void damagedFiles() {
    QFETCH(QString, kind);
    QFETCH(void*, damage);
    const QString row = QString(QTest::currentDataTag());
    const QString folder = dir_.filePath(row);
    QString damagedPath, loadPath;
    if (kind == "tile" || kind == "index") {
      loadPath = metest::writeTileSet(folder);
      damagedPath = kind == "tile" ? metest::tileRootPath(folder, 1, 0) : loadPath;
    } else {
      damagedPath = loadPath = folder + "/model." + kind;
      if (kind == "ply") damaged::writeGoodPly(damagedPath);
      if (kind == "obj") damaged::writeGoodObj(damagedPath);
      if (kind == "osg") {
        osg::ref_ptr<osg::Geode> geode = new osg::Geode;
        geode->addDrawable(osg::createTexturedQuadGeometry(osg::Vec3(), osg::X_AXIS, osg::Y_AXIS));
        QVERIFY(metest::writeNode(*geode, damagedPath));
      }
    }
    const QString healthy = dir_.filePath(row + "-healthy-copy");
    QFile::copy(damagedPath, healthy);
    if (damage) {
      reinterpret_cast<Damage>(damage)(healthy, damagedPath);
    } else {
      damaged::writePlyWithBadIndex(damagedPath);
    }

    DataBase dataBase;
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QSignalSpy reported(guard_.get(), &SceneFileGuard::signal_badFile);
    QVERIFY(loadAndWait(dataBase, {plyA_, loadPath, objB_}));
    QStringList names;
    for (Item* item : itemsOf(dataBase)) names.append(item->name());
    QVERIFY(names.contains("a.ply"));
    QVERIFY(names.contains("b.obj"));

    // A damaged file is either still readable (a cut text file is a shorter model) or left out
    // with a message naming it.
    bool readable = false;
    if (kind == "tile") {
      QCOMPARE(names.size(), 2 + 4);
      Item* damagedTile = nullptr;
      QList<Item*> healthyTiles;
      for (Item* item : itemsOf(dataBase)) {
        if (item->tileFilePath() == QDir::toNativeSeparators(damagedPath)) damagedTile = item;
        else if (item->tileLOD()) healthyTiles.append(item);
      }
      QVERIFY(damagedTile);
      // Tile bounds are read in one batch; once the healthy tiles have theirs, it has ended.
      QTRY_VERIFY_WITH_TIMEOUT(std::none_of(healthyTiles.begin(), healthyTiles.end(),
                                            [](Item* item) { return item->needsTileBounds(); }),
                               60000);
      readable = !damagedTile->needsTileBounds();
    } else if (kind == "index") {
      readable = names.size() > 2;
    } else {
      readable = names.contains(QFileInfo(loadPath).fileName());
    }
    const QString messages = allMessages(errors) + '\n' + allMessages(reported);
    QVERIFY2(readable || messages.contains(QDir::toNativeSeparators(damagedPath)), qPrintable(messages));
    if (!damage || damage == reinterpret_cast<void*>(makeEmpty) || damage == reinterpret_cast<void*>(makeHuge) ||
        damage == reinterpret_cast<void*>(makeFifo)) {
      QVERIFY(!readable);
    }

    // The editor goes on: a healthy mesh still loads afterwards.
    QVERIFY(loadAndWait(dataBase, {healthyMesh_}));
    QCOMPARE(itemsOf(dataBase).size(), names.size() + 4);
  }

 private:
  QTemporaryDir dir_;
  std::unique_ptr<SceneFileGuard> guard_;
  QString healthyMesh_;
  QString plyA_;
  QString objB_;
};

QTEST_MAIN(DamagedFilesTest)
#include "DamagedFilesTest.moc"
