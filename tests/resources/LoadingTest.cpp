#include <QTemporaryDir>
#include <QtTest>

#include <cfloat>

#include <osg/MatrixTransform>

#include "resources/DataBase.h"
#include "resources/DataLoader.h"
#include "me/ForceLODPagedLOD.h"
#include "resources/MeshTree.h"
#include "resources/MeshTreeGroup.h"
#include "resources/MeshTreeItem.h"
#include "resources/ResourceTypes.h"
#include "tests/platform/me/TileFixtures.h"
#include "tests/platform/vx/TestProjects.h"

using MeshTree::DataBase;
using MeshTree::Group;
using MeshTree::Item;

namespace {

bool loadAndWait(DataBase& dataBase, const std::function<void()>& start) {
  QSignalSpy done(&dataBase, &DataBase::signal_loadingDone);
  start();
  return done.wait(60000);
}

QString native(const QString& path) { return QDir::toNativeSeparators(QDir::cleanPath(path)); }

QList<Item*> itemsOf(const DataBase& dataBase) {
  QList<Item*> items;
  for (Group* group : dataBase.groups()) items.append(group->items());
  return items;
}

QStringList errorsOf(const QSignalSpy& spy) {
  QStringList errors;
  for (const QList<QVariant>& call : spy) errors.append(call.at(0).toString());
  return errors;
}

int lodVersionOf(const Item* item) {
  int version = 0;
  QString error;
  return item->lodVersion(version, error) ? version : -100;
}

// Two triangles whose z runs from `zLow` to `zHigh` (OBJ is y-up; the reader turns its y into z).
QString writeObj(const QString& path, double zLow, double zHigh) {
  testprojects::writeText(path, QString("v 0 %1 0\nv 10 %1 0\nv 10 %2 10\nv 0 %2 10\nf 1 2 3\nf 1 3 4\n")
                                    .arg(zLow).arg(zHigh).toUtf8());
  return QFileInfo(path).absoluteFilePath();
}

}  // namespace

class LoadingTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    meshFolder_ = dir_.filePath("DSM_Mesh_For_Editing");
    meshFile_ = metest::writeTileSet(meshFolder_, true);
    tilesFolder_ = dir_.filePath("tiles");
    metest::writeTileSet(tilesFolder_, false);
    plainA_ = writeObj(dir_.filePath("plain/a.obj"), 1.0, 5.0);
    plainB_ = writeObj(dir_.filePath("plain/b.obj"), -2.0, 3.0);
    plainOther_ = writeObj(dir_.filePath("other/c.obj"), 0.0, 1.0);
    garbage_ = dir_.filePath("plain/broken.osgb");
    testprojects::writeText(garbage_, "this is no mesh at all");
  }

  void tileMainBecomesAGroupNamedAfterTheFile() {
    DataBase dataBase;
    QSignalSpy busy(&dataBase, &DataBase::signal_busy);
    QSignalSpy newData(&dataBase, &DataBase::signal_newData);
    QSignalSpy rangeRead(&dataBase, &DataBase::signal_heightRangeChanged);
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFile(QFileInfo(meshFile_)); }));
    QCOMPARE(busy.count(), 2);
    QCOMPARE(busy.at(0), QVariantList({true, "Loading: " + meshFile_}));
    QCOMPARE(busy.at(1), QVariantList({false, QString()}));
    QCOMPARE(newData.count(), 1);

    QCOMPARE(dataBase.groups().size(), 1);
    Group* group = dataBase.groups().first();
    QCOMPARE(group->name(), QString("Mesh.osgb"));
    QCOMPARE(group->type(), int(MeshTree::VexaTiles));
    QCOMPARE(group->treeStructure(), 0u);
    QCOMPARE(dataBase.takeNewGroups(), QList<Group*>({group}));
    QVERIFY(dataBase.takeNewGroups().isEmpty());
    QCOMPARE(dataBase.fileSuffixes(), QStringList({"osgb"}));

    // The height range spans the tiles' bounds, read from the files in the background (the tiles
    // are not paged in).
    QVERIFY(rangeRead.count() == 1 || rangeRead.wait(20000));
    QStringList names;
    double low = DBL_MAX, high = -DBL_MAX, tileLow = 0.0, tileHigh = 0.0;
    for (Item* item : group->items()) {
      names.append(item->name());
      QVERIFY(item->tileLOD());
      QCOMPARE(item->source().databasePath, native(meshFolder_));
      QCOMPARE(lodVersionOf(item), 2);
      QVERIFY(item->heightRange(tileLow, tileHigh));
      low = std::min(low, tileLow);
      high = std::max(high, tileHigh);
    }
    names.sort();
    QCOMPARE(names, QStringList({"Tile_0_0.osgb", "Tile_0_1.osgb", "Tile_1_0.osgb", "Tile_1_1.osgb"}));
    float minHeight = 0.0f, maxHeight = 0.0f;
    QVERIFY(dataBase.heightRange(minHeight, maxHeight) && minHeight < maxHeight);
    QCOMPARE(minHeight, float(low));
    QCOMPARE(maxHeight, float(high));
    QVERIFY(!DataBase().heightRange(minHeight, maxHeight));
  }

  void modelMainStandsForTheMeshInTheFolderAbove() {
    DataBase dataBase;
    const QString tile = metest::tileRootPath(meshFolder_, 0, 0);
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({tile}); }));
    QCOMPARE(dataBase.groups().size(), 1);
    Group* group = dataBase.groups().first();
    QCOMPARE(group->name(), QString("Mesh.osgb"));
    QCOMPARE(QString::fromStdString(group->node()->getName()), native(meshFolder_ + "/Mesh.osgb"));
    QCOMPARE(group->treeStructure(), 1u);
    Item* item = group->items().first();
    QCOMPARE(item->name(), QString("Tile_0_0.osgb"));
    QVERIFY(dynamic_cast<osg::MatrixTransform*>(item->tileLOD()->getChild(0)));
    QCOMPARE(item->tileFilePath(), native(tile));

    // A second tile of the same mesh joins the group.
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({metest::tileRootPath(meshFolder_, 1, 0)}); }));
    QCOMPARE(dataBase.groups().size(), 1);
    QCOMPARE(group->childCount(), 2);
    QCOMPARE(group->node()->getNumChildren(), 2u);
  }

  void loadingTheSameFileTwiceIsRefused() {
    DataBase dataBase;
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({meshFile_}); }));
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({meshFile_}); }));
    QCOMPARE(errorsOf(errors),
             QStringList({"Can't load file twice, since the requested file is already loaded:\n" + meshFile_}));
    QCOMPARE(itemsOf(dataBase).size(), 4);
  }

  void aMeshWithAnAlreadyLoadedTileIsRefused() {
    DataBase dataBase;
    const QString tile = metest::tileRootPath(meshFolder_, 1, 0);
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({tile}); }));
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({meshFile_}); }));
    QCOMPARE(errorsOf(errors), QStringList({"Can't load mesh since the following tile of the mesh is already loaded:\n" +
                                            native(tile) + "\n\nPlease unload it first."}));
    QCOMPARE(itemsOf(dataBase).size(), 1);
  }

  // One unreadable file costs only itself; when nothing could be read the message names the files.
  void anUnreadableFileIsLeftOutAndNamed() {
    DataBase dataBase;
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QSignalSpy newData(&dataBase, &DataBase::signal_newData);
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({plainA_, garbage_, plainB_}); }));
    QCOMPARE(errorsOf(errors), QStringList({"Could not read file: " + native(garbage_)}));
    QCOMPARE(newData.count(), 1);
    QCOMPARE(itemsOf(dataBase).size(), 2);
    QVERIFY(!dataBase.isLoading());

    DataBase alone;
    QSignalSpy aloneErrors(&alone, &DataBase::signal_error);
    QVERIFY(loadAndWait(alone, [&] { alone.loadFiles({garbage_}); }));
    QCOMPARE(errorsOf(aloneErrors), QStringList({"Could not read file: " + native(garbage_),
                                                 "could not load mesh resource: " + native(garbage_)}));
  }

  void cancelDropsTheLoad() {
    DataBase dataBase;
    QSignalSpy newData(&dataBase, &DataBase::signal_newData);
    QVERIFY(loadAndWait(dataBase, [&] {
      dataBase.loadFiles({plainA_, plainB_});
      dataBase.loadFiles({plainOther_});
      dataBase.cancelLoad();
    }));
    QCOMPARE(newData.count(), 0);
    QVERIFY(dataBase.groups().isEmpty());
    QVERIFY(!dataBase.isLoading());
    // The next load works as usual.
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({plainOther_}); }));
    QCOMPARE(itemsOf(dataBase).size(), 1);
  }

  // The busy screen's Cancel reaches the loader through its feedback, which also carries progress.
  void theLoaderReportsProgressPerFile() {
    QList<std::shared_ptr<QFileInfo>> files;
    for (const QString& path : {plainA_, garbage_, plainB_}) files.append(std::make_shared<QFileInfo>(path));
    MeshTree::DataLoader loader(files);
    QList<double> progress;
    connect(loader.feedback(), &tasks::Feedback::progressChanged, this,
            [&progress](double percent) { progress.append(percent); });
    QSignalSpy finished(&loader, &MeshTree::DataLoader::signal_finished);
    loader.start();
    QVERIFY(finished.wait(60000));
    QCOMPARE(progress, QList<double>({100.0 / 3, 200.0 / 3, 100.0}));
    QCOMPARE(loader.results().size(), 2);
    QCOMPARE(loader.loadedFiles(), QList<std::shared_ptr<QFileInfo>>({files[0], files[2]}));
    QCOMPARE(loader.failures(), QStringList({"Could not read file: " + native(garbage_)}));

    MeshTree::DataLoader cancelled(files);
    QSignalSpy cancelledFinished(&cancelled, &MeshTree::DataLoader::signal_finished);
    cancelled.start();
    cancelled.feedback()->cancel();
    QVERIFY(cancelled.isCancelled());
    QVERIFY(cancelledFinished.wait(60000));
    QVERIFY(cancelled.results().size() < 3);
  }

  void plainMeshesArePagedInThroughAWrapper() {
    DataBase dataBase;
    // Meshes of different folders, given together and later, all join the one container.
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({plainA_, plainOther_}); }));
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({plainB_}); }));
    QCOMPARE(dataBase.groups().size(), 1);
    Group* group = dataBase.groups().first();
    QCOMPARE(group->name(), QString("Non-VEXA Meshes"));
    QCOMPARE(group->type(), int(MeshTree::PlainMesh));
    QCOMPARE(group->childCount(), 3);
    QCOMPARE(group->toolTip(0), "Non-VEXA Meshes\n" + native(QFileInfo(plainA_).absolutePath()) + "\n" +
                                    native(QFileInfo(plainOther_).absolutePath()));
    Item* item = group->items().first();
    QCOMPARE(item->name(), QString("a.obj"));
    auto* wrapper = dynamic_cast<osg::PagedLOD*>(item->node());
    QVERIFY(wrapper && !item->tileLOD());
    QCOMPARE(QString::fromStdString(wrapper->getDatabasePath()), QFileInfo(plainA_).absolutePath() + "/");
    QCOMPARE(wrapper->getFileName(0), std::string("a.obj"));
    QCOMPARE(wrapper->getNumChildren(), 0u);
    QVERIFY(wrapper->getBound().valid());
    float low = 0.0f, high = 0.0f;
    QVERIFY(dataBase.heightRange(low, high));
    QCOMPARE(low, -2.0f);
    QCOMPARE(high, 5.0f);
  }

  void missingFilesAreSkipped() {
    DataBase dataBase;
    QSignalSpy busy(&dataBase, &DataBase::signal_busy);
    dataBase.loadFile(QFileInfo(dir_.filePath("missing.obj")));
    QCOMPARE(busy.count(), 0);
    QVERIFY(!dataBase.isLoading());
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({dir_.filePath("missing.obj"), plainA_}); }));
    QCOMPARE(itemsOf(dataBase).size(), 1);
    // Nothing left to read: the loader finishes at once without a result.
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({dir_.filePath("missing.obj")}); }));
    QCOMPARE(errorsOf(errors), QStringList({"could not load mesh resource"}));
  }

  void reloadAllReadsTheLoadedFilesAgain() {
    DataBase dataBase;
    MeshTree::Tree tree({});
    connect(&dataBase, &DataBase::signal_clearData, &tree, &MeshTree::Tree::on_clear);
    connect(&dataBase, &DataBase::signal_newData, &tree, [&] { tree.addGroups(dataBase.takeNewGroups()); });
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({meshFile_, plainA_}); }));
    QCOMPARE(dataBase.loadedFiles(), QStringList({native(meshFile_), native(plainA_)}));

    QSignalSpy cleared(&dataBase, &DataBase::signal_clearData);
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.reloadAll(false); }));
    QCOMPARE(cleared.count(), 1);
    QVERIFY(errors.isEmpty());
    QCOMPARE(dataBase.loadedFiles(), QStringList({native(meshFile_), native(plainA_)}));
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 2);
    QCOMPARE(itemsOf(dataBase).size(), 5);
    QVERIFY(!dataBase.resetCameraOnNewData());
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.reloadAll(); }));
    QVERIFY(dataBase.resetCameraOnNewData());
  }

  void aLoadRequestedWhileOneRunsWaitsForIt() {
    DataBase dataBase;
    QSignalSpy done(&dataBase, &DataBase::signal_loadingDone);
    dataBase.loadFiles({meshFile_});
    dataBase.loadFile(QFileInfo(plainA_));
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 60000);
    QCOMPARE(dataBase.groups().size(), 2);
    QVERIFY(!dataBase.isLoading());
  }

  void destroyingTheModelWhileItLoadsIsSafe() {
    for (int i = 0; i < 3; ++i) {
      DataBase dataBase;
      dataBase.loadFiles({meshFile_, plainA_});
      dataBase.loadFiles({plainB_});
      QVERIFY(dataBase.isLoading());
    }
  }

  void sceneDataHoldsTheMeshGroupsButNotThePolygons() {
    DataBase dataBase;
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({meshFile_}); }));
    Item* polygon = dataBase.addPolygon(new osg::Group);
    QCOMPARE(polygon->type(), int(MeshTree::Polygon));
    QCOMPARE(polygon->name(), QString("Polygon"));
    QVERIFY(dataBase.addPolygon(new osg::Group)->group() == polygon->group());
    QCOMPARE(dataBase.takeNewGroups().size(), 2);
    osg::ref_ptr<osg::Group> scene = dataBase.sceneData()->asGroup();
    QCOMPARE(scene->getNumChildren(), 1u);
    QVERIFY(scene->containsNode(dataBase.groups().at(0)->node()));
  }

  void tileNamesWithBackslashesAreRead() {
    const QString& mesh = tilesFolder_;
    osg::ref_ptr<osg::Group> links = new osg::Group;
    links->addChild(metest::makeTileReference("Tile_0_0\\Tile_0_0.osgb"));
    links->addChild(metest::makeTileReference("Tile_1_1\\Tile_1_1.osgb"));
    QVERIFY(metest::writeNode(*links, mesh + "/Links.osgb"));
    DataBase dataBase;
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({mesh + "/Links.osgb"}); }));
    QVERIFY2(errors.isEmpty(), qPrintable(errorsOf(errors).join('\n')));
    QCOMPARE(dataBase.groups().first()->name(), QString("Links.osgb"));
    QCOMPARE(itemsOf(dataBase).size(), 2);
    for (Item* item : itemsOf(dataBase)) QCOMPARE(lodVersionOf(item), 1);
    // The same tiles through the mesh index are duplicates now.
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({mesh + "/Mesh.osgb"}); }));
    QCOMPARE(errors.count(), 1);
    QVERIFY(errorsOf(errors).first().startsWith("Can't load mesh since the following tile"));
  }

  void emptyAndIncompleteTilesAreTolerated() {
    QTemporaryDir dir;
    const QString mesh = dir.filePath("mesh");
    metest::writeTileSet(mesh, false);
    for (const QFileInfo& level : QDir(mesh + "/Tile_0_0").entryInfoList({"*_L*"}, QDir::Files)) QFile::remove(level.filePath());
    QVERIFY(metest::writeNode(*osg::ref_ptr<osg::Node>(new osg::MatrixTransform), metest::tileRootPath(mesh, 1, 1)));
    QVERIFY(metest::writeNode(*osg::ref_ptr<osg::Node>(new osg::Group), dir.filePath("empty.osgt")));

    DataBase dataBase;
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QSignalSpy rangeRead(&dataBase, &DataBase::signal_heightRangeChanged);
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({mesh + "/Mesh.osgb", dir.filePath("empty.osgt")}); }));
    QVERIFY2(errors.isEmpty(), qPrintable(errorsOf(errors).join('\n')));
    QCOMPARE(itemsOf(dataBase).size(), 5);
    QVERIFY(rangeRead.count() == 1 || rangeRead.wait(20000));
    float low = 0.0f, high = 0.0f;
    QVERIFY(dataBase.heightRange(low, high));
    for (Item* item : dataBase.groups().first()->items()) {
      int state = 0;
      QString error;
      QVERIFY(item->editState(state, error));
      QCOMPARE(state, -1);
    }
  }

  void reprocessedTilesArePointedIntoTheScene() {
    const QString& output = tilesFolder_;
    QVERIFY(QDir().mkpath(output + "/Buffer_Tiles/Tile_1_1"));
    const QString gone = dir_.filePath("gone/Tile_0_1/Tile_0_1.osgb");
    const QString listFile = dir_.filePath("list.txt");
    testprojects::writeText(listFile, (metest::tileRootPath(output, 0, 0) + "\n" + output +
                                       "/Buffer_Tiles/Tile_1_1/Tile_1_1.osgb\n\n" + gone + "\n").toUtf8());

    DataBase dataBase;
    QVERIFY(loadAndWait(dataBase, [&] { dataBase.loadFiles({meshFile_}); }));
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QCOMPARE(dataBase.replaceTiles(listFile), 2);
    QCOMPARE(errors.count(), 1);
    QVERIFY(errorsOf(errors).first().contains(native(gone)));
    for (Item* item : itemsOf(dataBase)) {
      const bool replaced = item->name() == "Tile_0_0.osgb" || item->name() == "Tile_1_1.osgb";
      const QString expected = metest::tileRootPath(replaced ? output : meshFolder_, item->name().mid(5, 1).toInt(),
                                               item->name().mid(7, 1).toInt());
      QCOMPARE(item->tileFilePath(), native(expected));
      QCOMPARE(lodVersionOf(item), replaced ? 1 : 2);
    }
    QCOMPARE(dataBase.replaceTiles(dir_.filePath("no-list.txt")), 0);
    QCOMPARE(errors.last().at(0).toString(), "Couldn't read the list of reprocessed tiles: " + dir_.filePath("no-list.txt"));
  }

 private:
  QTemporaryDir dir_;
  QString meshFolder_, meshFile_, tilesFolder_;
  QString plainA_, plainB_, plainOther_, garbage_;
};

QTEST_MAIN(LoadingTest)
#include "LoadingTest.moc"
