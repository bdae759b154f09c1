#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cfloat>

#include <osg/MatrixTransform>
#include <osg/PagedLOD>
#include <osgDB/ReadFile>
#include <osgViewer/Viewer>

#include "ResourceFixtures.h"
#include "me/ForceLODPagedLOD.h"
#include "resources/DataBase.h"
#include "resources/MeshTree.h"
#include "resources/MeshTreeGroup.h"
#include "resources/MeshTreeItem.h"
#include "resources/ResourceTypes.h"

using MeshTree::DataBase;
using MeshTree::Group;
using MeshTree::Item;

namespace {

QString native(const QString& path) { return QDir::toNativeSeparators(QDir::cleanPath(path)); }

int itemCount(const DataBase& dataBase) {
  int count = 0;
  for (Group* group : dataBase.groups()) count += group->childCount();
  return count;
}

QStringList errorsOf(const QSignalSpy& spy) {
  QStringList errors;
  for (const QList<QVariant>& call : spy) errors.append(call.at(0).toString());
  return errors;
}

// Height range of a mesh written by the fixtures, from its tile files.
void tileHeightRange(const QString& meshFolder, double& low, double& high) {
  low = DBL_MAX;
  high = -DBL_MAX;
  for (int x = 0; x < 2; ++x) {
    for (int y = 0; y < 2; ++y) {
      osg::ref_ptr<osg::Node> root = osgDB::readRefNodeFile(rtest::tileFile(meshFolder, x, y).toStdString());
      osg::Vec3f minXYZ, maxXYZ;
      osg::Vec3d offset;
      QVERIFY(root && root->getUserValue("MinXYZ", minXYZ) && root->getUserValue("MaxXYZ", maxXYZ) &&
              root->getUserValue("OffsetXYZ", offset));
      low = std::min(low, minXYZ.z() + offset.z());
      high = std::max(high, maxXYZ.z() + offset.z());
    }
  }
}

// A single-threaded off-screen viewer looking down at the whole scene; null without a context.
std::unique_ptr<osgViewer::Viewer> offscreenViewer(osg::Node* scene) {
  osg::ref_ptr<osg::GraphicsContext::Traits> traits = new osg::GraphicsContext::Traits;
  traits->readDISPLAY();
  traits->setUndefinedScreenDetailsToDefaultScreen();
  traits->width = 128;
  traits->height = 128;
  traits->pbuffer = true;
  traits->doubleBuffer = true;
  traits->alpha = 8;
  traits->depth = 24;
  osg::ref_ptr<osg::GraphicsContext> context = osg::GraphicsContext::createGraphicsContext(traits.get());
  if (!context) return nullptr;
  auto viewer = std::make_unique<osgViewer::Viewer>();
  viewer->setThreadingModel(osgViewer::Viewer::SingleThreaded);
  osg::Camera* camera = viewer->getCamera();
  camera->setGraphicsContext(context.get());
  camera->setViewport(0, 0, traits->width, traits->height);
  const osg::BoundingSphere bound = scene->getBound();
  camera->setProjectionMatrixAsPerspective(60.0, 1.0, 0.5 * bound.radius(), 10.0 * bound.radius());
  camera->setComputeNearFarMode(osg::CullSettings::DO_NOT_COMPUTE_NEAR_FAR);
  // The test scenes put small models far apart; every one of them must be requested.
  camera->setCullingMode(camera->getCullingMode() & ~osg::CullSettings::SMALL_FEATURE_CULLING);
  camera->setViewMatrixAsLookAt(bound.center() + osg::Vec3d(0.0, 0.0, 3.0 * bound.radius()), bound.center(),
                                osg::Vec3d(0.0, 1.0, 0.0));
  viewer->setSceneData(scene);
  viewer->realize();
  return viewer;
}

}  // namespace

class LoadingTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    meshFolder_ = dir_.filePath("DSM_Mesh_For_Editing");
    meshFile_ = rtest::writeTiledMesh(meshFolder_, true);
    QVERIFY(QFileInfo(meshFile_).isFile());
    QVERIFY(QDir().mkpath(dir_.filePath("plain")));
    QVERIFY(QDir().mkpath(dir_.filePath("other")));
    plainA_ = rtest::writeObj(dir_.filePath("plain/a.obj"), 1.0, 5.0);
    plainB_ = rtest::writeObj(dir_.filePath("plain/b.obj"), -2.0, 3.0);
    plainOther_ = rtest::writeObj(dir_.filePath("other/c.obj"), 0.0, 1.0);
    garbage_ = rtest::writeGarbage(dir_.filePath("plain/broken.osgb"));
  }

  void tileMainBecomesAGroupNamedAfterTheFile() {
    DataBase dataBase;
    QSignalSpy busy(&dataBase, &DataBase::signal_busy);
    QSignalSpy newData(&dataBase, &DataBase::signal_newData);
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFile(QFileInfo(meshFile_)); }));

    QCOMPARE(busy.count(), 2);
    QCOMPARE(busy.at(0).at(0).toBool(), true);
    QCOMPARE(busy.at(0).at(1).toString(), "Loading: " + meshFile_);
    QCOMPARE(busy.at(1).at(0).toBool(), false);
    QCOMPARE(busy.at(1).at(1).toString(), QString());
    QCOMPARE(newData.count(), 1);

    QCOMPARE(dataBase.groups().size(), 1);
    Group* group = dataBase.groups().first();
    QCOMPARE(group->name(), QString("Mesh.osgb"));
    QCOMPARE(group->type(), int(MeshTree::VexaTiles));
    QVERIFY(!group->flag());
    QCOMPARE(group->treeStructure(), 0u);
    QCOMPARE(group->childCount(), 4);
    QStringList names;
    for (Item* item : group->items()) {
      names.append(item->name());
      QVERIFY(item->tileLOD());
      QVERIFY(QFileInfo(item->source().filePath).isFile());
      QCOMPARE(item->source().databasePath, native(meshFolder_));
      int version = 0;
      QString error;
      QVERIFY2(item->lodVersion(version, error), qPrintable(error));
      QCOMPARE(version, 2);
    }
    names.sort();
    QCOMPARE(names, QStringList({"Tile_0_0.osgb", "Tile_0_1.osgb", "Tile_1_0.osgb", "Tile_1_1.osgb"}));
    QCOMPARE(dataBase.takeNewGroups(), QList<Group*>({group}));
    QVERIFY(dataBase.takeNewGroups().isEmpty());
    QVERIFY(dataBase.hasData());
    QCOMPARE(dataBase.fileSuffixes(), QStringList({"osgb"}));
  }

  void modelMainStandsForTheMeshInTheFolderAbove() {
    DataBase dataBase;
    const QString tile = rtest::tileFile(meshFolder_, 0, 0);
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({tile}); }));
    QCOMPARE(dataBase.groups().size(), 1);
    Group* group = dataBase.groups().first();
    QCOMPARE(group->name(), QString("Mesh.osgb"));
    QCOMPARE(QString::fromStdString(group->node()->getName()), native(meshFolder_ + "/Mesh.osgb"));
    QCOMPARE(group->treeStructure(), 1u);
    QCOMPARE(group->childCount(), 1);
    Item* item = group->items().first();
    QCOMPARE(item->name(), QString("Tile_0_0.osgb"));
    QVERIFY(item->tileLOD());
    QVERIFY(dynamic_cast<osg::MatrixTransform*>(item->tileLOD()->getChild(0)));
    QCOMPARE(item->tileFilePath(), native(tile));

    // A second tile of the same mesh joins the group.
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({rtest::tileFile(meshFolder_, 1, 0)}); }));
    QCOMPARE(dataBase.groups().size(), 1);
    QCOMPARE(group->childCount(), 2);
    QCOMPARE(group->node()->getNumChildren(), 2u);
  }

  void loadingTheSameFileTwiceIsRefused() {
    DataBase dataBase;
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({meshFile_}); }));
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({meshFile_}); }));
    QCOMPARE(errorsOf(errors),
             QStringList({"Can't load file twice, since the requested file is already loaded:\n" + meshFile_}));
    QCOMPARE(dataBase.groups().size(), 1);
    QCOMPARE(itemCount(dataBase), 4);
  }

  void aMeshWithAnAlreadyLoadedTileIsRefused() {
    DataBase dataBase;
    const QString tile = rtest::tileFile(meshFolder_, 1, 0);
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({tile}); }));
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({meshFile_}); }));
    QCOMPARE(errorsOf(errors),
             QStringList({"Can't load mesh since the following tile of the mesh is already loaded:\n" +
                          native(tile) + "\n\nPlease unload it first."}));
    QCOMPARE(itemCount(dataBase), 1);
  }

  void anUnreadableFileStopsTheWholeLoad() {
    DataBase dataBase;
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QSignalSpy busy(&dataBase, &DataBase::signal_busy);
    QSignalSpy newData(&dataBase, &DataBase::signal_newData);
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({plainA_, garbage_, plainB_}); }));
    QCOMPARE(errorsOf(errors), QStringList({"Could not read file: " + garbage_}));
    QCOMPARE(busy.last().at(0).toBool(), false);
    QCOMPARE(busy.last().at(1).toString(), "Could not read file: " + garbage_);
    QCOMPARE(newData.count(), 0);
    QVERIFY(dataBase.groups().isEmpty());
    QVERIFY(!dataBase.isLoading());
  }

  void plainMeshesArePagedInThroughAWrapper() {
    DataBase dataBase;
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({plainA_, plainB_, plainOther_}); }));
    QCOMPARE(dataBase.groups().size(), 2);
    Group* group = dataBase.groups().first();
    QCOMPARE(group->name(), QString("Non-VEXA Meshes"));
    QCOMPARE(group->type(), int(MeshTree::PlainMesh));
    QVERIFY(group->flag());
    QCOMPARE(group->childCount(), 2);
    QCOMPARE(dataBase.groups().at(1)->name(), QString("Non-VEXA Meshes"));
    QCOMPARE(dataBase.groups().at(1)->childCount(), 1);

    Item* item = group->items().first();
    QCOMPARE(item->name(), QString("a.obj"));
    auto* wrapper = dynamic_cast<osg::PagedLOD*>(item->node());
    QVERIFY(wrapper);
    QVERIFY(!item->tileLOD());
    QCOMPARE(QString::fromStdString(wrapper->getDatabasePath()), QFileInfo(plainA_).absolutePath() + "/");
    QCOMPARE(wrapper->getFileName(0), std::string("a.obj"));
    QCOMPARE(wrapper->getMinRange(0), 0.0f);
    QCOMPARE(wrapper->getMaxRange(0), 3.4028235e38f);
    QCOMPARE(wrapper->getNumChildren(), 0u);
    QVERIFY(wrapper->getBound().valid());

    float low = 0.0f, high = 0.0f;
    QVERIFY(dataBase.heightRange(low, high));
    QCOMPARE(low, -2.0f);
    QCOMPARE(high, 5.0f);
    QCOMPARE(dataBase.fileSuffixes(), QStringList({"obj"}));
  }

  void missingFilesAreSkipped() {
    DataBase dataBase;
    QSignalSpy busy(&dataBase, &DataBase::signal_busy);
    dataBase.loadFile(QFileInfo(dir_.filePath("missing.obj")));
    QCOMPARE(busy.count(), 0);
    QVERIFY(!dataBase.isLoading());

    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({dir_.filePath("missing.obj"), plainA_}); }));
    QCOMPARE(itemCount(dataBase), 1);

    // Nothing left to read: the loader finishes at once without a result.
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({dir_.filePath("missing.obj")}); }));
    QCOMPARE(errorsOf(errors), QStringList({"could not load mesh resource"}));
  }

  void reloadAllReadsTheLoadedFilesAgain() {
    DataBase dataBase;
    MeshTree::Tree tree({});
    connect(&dataBase, &DataBase::signal_clearData, &tree, &MeshTree::Tree::on_clear);
    connect(&dataBase, &DataBase::signal_newData, &tree, [&] { tree.addGroups(dataBase.takeNewGroups()); });
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({meshFile_, plainA_}); }));
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 2);
    const QStringList before = dataBase.loadedFiles();
    QCOMPARE(before, QStringList({native(meshFile_), native(plainA_)}));

    QSignalSpy cleared(&dataBase, &DataBase::signal_clearData);
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.reloadAll(false); }));
    QCOMPARE(cleared.count(), 1);
    QVERIFY(errors.isEmpty());
    QCOMPARE(dataBase.loadedFiles(), before);
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 2);
    QCOMPARE(itemCount(dataBase), 5);
    QVERIFY(!dataBase.resetCameraOnNewData());
  }

  void reloadAllWithoutATreeStillStartsFresh() {
    DataBase dataBase;
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({plainA_}); }));
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.reloadAll(); }));
    QVERIFY(errors.isEmpty());
    QCOMPARE(itemCount(dataBase), 1);
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

  void renderingPagesTilesAndPlainMeshesIn() {
    DataBase dataBase;
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({meshFile_, plainA_}); }));
    osg::ref_ptr<osg::Node> scene = dataBase.sceneData();
    QVERIFY(scene->getBound().valid());
    std::unique_ptr<osgViewer::Viewer> viewer = offscreenViewer(scene.get());
    if (!viewer) QSKIP("No off-screen OpenGL context on this display.");
    QList<Item*> items;
    for (Group* group : dataBase.groups()) items.append(group->items());
    QCOMPARE(items.size(), 5);
    const auto allPagedIn = [&] {
      viewer->frame();
      for (Item* item : items) {
        if (static_cast<osg::Group*>(item->node())->getNumChildren() == 0) return false;
      }
      return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(allPagedIn(), 30000);
    // Paged in, the tiles answer from memory.
    for (Item* item : items) {
      if (!item->tileLOD()) continue;
      QVERIFY(dynamic_cast<osg::MatrixTransform*>(item->tileLOD()->getChild(0)));
    }
  }

  void destroyingTheModelWhileItLoadsIsSafe() {
    for (int i = 0; i < 3; ++i) {
      DataBase dataBase;
      dataBase.loadFiles({meshFile_, plainA_});
      dataBase.loadFiles({plainB_});
      QVERIFY(dataBase.isLoading());
    }
  }

  void heightRangeComesFromTheTileRoots() {
    DataBase dataBase;
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({meshFile_}); }));
    double low = 0.0, high = 0.0;
    tileHeightRange(meshFolder_, low, high);
    float minHeight = 0.0f, maxHeight = 0.0f;
    QVERIFY(dataBase.heightRange(minHeight, maxHeight));
    QCOMPARE(minHeight, float(low));
    QCOMPARE(maxHeight, float(high));

    DataBase empty;
    QVERIFY(!empty.heightRange(minHeight, maxHeight));
  }

  void sceneDataHoldsTheMeshGroupsButNotThePolygons() {
    DataBase dataBase;
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({meshFile_, plainA_}); }));
    osg::ref_ptr<osg::Node> polygon = new osg::Group;
    Item* polygonItem = dataBase.addPolygon(polygon);
    QCOMPARE(polygonItem->type(), int(MeshTree::Polygon));
    QCOMPARE(polygonItem->name(), QString("Polygon"));
    QVERIFY(dataBase.addPolygon(new osg::Group)->group() == polygonItem->group());
    QCOMPARE(dataBase.takeNewGroups().size(), 3);

    osg::ref_ptr<osg::Group> scene = dataBase.sceneData()->asGroup();
    QVERIFY(scene);
    QCOMPARE(scene->getNumChildren(), 2u);
    QVERIFY(scene->containsNode(dataBase.groups().at(0)->node()));
    QVERIFY(scene->containsNode(dataBase.groups().at(1)->node()));
  }

  void tileNamesWithBackslashesAreRead() {
    QTemporaryDir dir;
    const QString mesh = dir.filePath("mesh");
    rtest::writeTiledMesh(mesh, false);
    const QString index = rtest::writeIndex(mesh + "/Links.osgb", {"Tile_0_0\\Tile_0_0.osgb", "Tile_1_1\\Tile_1_1.osgb"});
    DataBase dataBase;
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({index}); }));
    QVERIFY2(errors.isEmpty(), qPrintable(errorsOf(errors).join('\n')));
    QCOMPARE(dataBase.groups().size(), 1);
    QCOMPARE(dataBase.groups().first()->name(), QString("Links.osgb"));
    for (Item* item : dataBase.groups().first()->items()) {
      QVERIFY(QFileInfo(item->source().filePath).isFile());
      int version = 0;
      QString error;
      QVERIFY2(item->lodVersion(version, error), qPrintable(error));
      QCOMPARE(version, 1);
    }
    // The same tiles through the mesh index are duplicates now.
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({mesh + "/Mesh.osgb"}); }));
    QCOMPARE(errors.count(), 1);
    QVERIFY(errorsOf(errors).first().startsWith("Can't load mesh since the following tile"));
  }

  void emptyAndIncompleteTilesAreTolerated() {
    QTemporaryDir dir;
    const QString mesh = dir.filePath("mesh");
    rtest::writeTiledMesh(mesh, false);
    // Finer levels gone, and one tile root replaced by an empty transform.
    for (const QFileInfo& level : QDir(mesh + "/Tile_0_0").entryInfoList({"*_L*"}, QDir::Files)) QFile::remove(level.filePath());
    osg::ref_ptr<osg::MatrixTransform> empty = new osg::MatrixTransform;
    QVERIFY(rtest::writeNode(*empty, rtest::tileFile(mesh, 1, 1)));
    const QString emptyModel = dir.filePath("empty.osgt");
    osg::ref_ptr<osg::Group> nothing = new osg::Group;
    QVERIFY(rtest::writeNode(*nothing, emptyModel));

    DataBase dataBase;
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({mesh + "/Mesh.osgb", emptyModel}); }));
    QVERIFY2(errors.isEmpty(), qPrintable(errorsOf(errors).join('\n')));
    QCOMPARE(itemCount(dataBase), 5);
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
    QTemporaryDir dir;
    const QString mesh = dir.filePath("mesh");
    const QString index = rtest::writeTiledMesh(mesh, true);
    const QString output = dir.filePath("output");
    const QString reprocessed = rtest::writeTiledMesh(output + "/mesh", false);
    QVERIFY(QDir().mkpath(output + "/mesh/Buffer_Tiles/Tile_1_1"));
    const QString listFile = dir.filePath("list.txt");
    QFile list(listFile);
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write((rtest::tileFile(output + "/mesh", 0, 0) + "\n" +
                output + "/mesh/Buffer_Tiles/Tile_1_1/Tile_1_1.osgb\n\n" + dir.filePath("gone/Tile_0_1/Tile_0_1.osgb") + "\n")
                   .toUtf8());
    list.close();

    DataBase dataBase;
    QVERIFY(rtest::loadAndWait(dataBase, [&] { dataBase.loadFiles({index}); }));
    QSignalSpy errors(&dataBase, &DataBase::signal_error);
    QCOMPARE(dataBase.replaceTiles(listFile), 2);
    QCOMPARE(errors.count(), 1);
    QVERIFY(errorsOf(errors).first().contains(native(dir.filePath("gone/Tile_0_1/Tile_0_1.osgb"))));
    for (Item* item : dataBase.groups().first()->items()) {
      const bool replaced = item->name() == "Tile_0_0.osgb" || item->name() == "Tile_1_1.osgb";
      const QString expected = replaced ? native(rtest::tileFile(output + "/mesh", item->name().mid(5, 1).toInt(),
                                                                  item->name().mid(7, 1).toInt()))
                                        : native(item->source().filePath);
      QCOMPARE(item->tileFilePath(), expected);
      int version = 0;
      QString error;
      QVERIFY(item->lodVersion(version, error));
      QCOMPARE(version, replaced ? 1 : 2);
    }
    Q_UNUSED(reprocessed);

    QVERIFY(dataBase.replaceTiles(dir.filePath("no-list.txt")) == 0);
    QCOMPARE(errors.last().at(0).toString(),
             "Couldn't read the list of reprocessed tiles: " + dir.filePath("no-list.txt"));
  }

 private:
  QTemporaryDir dir_;
  QString meshFolder_;
  QString meshFile_;
  QString plainA_, plainB_, plainOther_, garbage_;
};

QTEST_MAIN(LoadingTest)
#include "LoadingTest.moc"
