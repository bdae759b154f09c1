#include <limits>

#include <QTemporaryDir>
#include <QtTest>
#include <osg/Geode>
#include <osgDB/FileNameUtils>

#include "me/TreeStructure.h"
#include "tests/platform/me/TileFixtures.h"
#include "viewer/visitors/UnifyTileAndModelMainsVisitor.h"

using vx::me::forceLOD::ForceLODPagedLOD;

namespace {

const QString kNotAnAbsolutePath = QStringLiteral(
    "Couldn't unify tile main. The MatrixTransform doesn't contain an absolute path to a file as name.");

std::string native(const std::string& path) {
  return QDir::toNativeSeparators(QString::fromStdString(path)).toStdString();
}

// The visitor's error message; a refused scene must not yield tile mains.
QString unifyError(osg::Node* scene, vx::me::TreeStructure structure = vx::me::ModelMain) {
  UnifyTileAndModelMainsVisitor visitor(structure);
  scene->accept(visitor);
  return visitor.getTileMains().empty() ? visitor.getErrorMessage() : QString("tile mains collected");
}

osg::ref_ptr<osg::Group> groupOf(osg::Node* child) {
  osg::ref_ptr<osg::Group> group = new osg::Group;
  group->addChild(child);
  return group;
}

osg::Node* node(const osg::ref_ptr<ForceLODPagedLOD>& main) { return main.get(); }

}  // namespace

class UnifyTileAndModelMainsVisitorTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString meshFolder_;

 private slots:
  void initTestCase() {
    meshFolder_ = dir_.filePath("mesh");
    QVERIFY(!metest::writeTileSet(meshFolder_).isEmpty());
  }

  void modelMainIsWrappedInPlace() {
    const QString tilePath = metest::tileRootPath(meshFolder_, 1, 0);
    osg::ref_ptr<osg::Node> tile = metest::loadLikeLoader(tilePath);
    osg::ref_ptr<osg::Group> scene = groupOf(new osg::Geode);
    scene->addChild(tile);
    UnifyTileAndModelMainsVisitor visitor(vx::me::ModelMain);
    scene->accept(visitor);
    QCOMPARE(visitor.getErrorMessage(), QString());
    QCOMPARE(visitor.getTileMains().size(), size_t(1));
    ForceLODPagedLOD* main = visitor.getTileMains().front().get();
    QCOMPARE(scene->getChild(1), static_cast<osg::Node*>(main));
    QCOMPARE(main->getNumChildren(), 1u);
    QCOMPARE(main->getChild(0), tile.get());
    QCOMPARE(tile->getNumParents(), 1u);
    QCOMPARE(main->getMinRange(0), 0.0f);
    QCOMPARE(main->getMaxRange(0), std::numeric_limits<float>::max());
    QCOMPARE(main->getOriginalFilename(0), native("Tile_1_0/Tile_1_0.osgb"));
    QCOMPARE(QDir::cleanPath(QString::fromStdString(main->getOriginalDatabasePath())), meshFolder_);
    QCOMPARE(QDir::cleanPath(QString::fromStdString(main->getFilePath())), tilePath);
    // The tile's own level tree stays as it was read.
    QVERIFY(!dynamic_cast<ForceLODPagedLOD*>(tile->asGroup()->getChild(0)));

    // A tile that is the scene itself has no parent to replace it in, but is collected.
    osg::ref_ptr<osg::Node> alone = metest::loadLikeLoader(metest::tileRootPath(meshFolder_, 0, 1));
    UnifyTileAndModelMainsVisitor aloneVisitor(vx::me::ModelMain);
    alone->accept(aloneVisitor);
    QCOMPARE(aloneVisitor.getErrorMessage(), QString());
    QCOMPARE(aloneVisitor.getTileMains().size(), size_t(1));
    QCOMPARE(aloneVisitor.getTileMains().front()->getChild(0), alone.get());
  }

  void refusedModelMainsLeaveTheSceneAlone() {
    osg::ref_ptr<osg::Node> tile = metest::loadLikeLoader(metest::tileRootPath(meshFolder_, 0, 0));
    tile->setName("Tile_0_0/Tile_0_0.osgb");
    osg::ref_ptr<osg::Group> scene = groupOf(tile);
    QCOMPARE(unifyError(scene), kNotAnAbsolutePath);
    QCOMPARE(scene->getChild(0), tile.get());
    for (const QString& name : {dir_.filePath("mesh/Tile_9_9/Tile_9_9.osgb"), meshFolder_}) {
      osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform;
      transform->setName(name.toStdString());
      QCOMPARE(unifyError(transform), kNotAnAbsolutePath);
    }

    osg::ref_ptr<osg::Node> shared = metest::loadLikeLoader(metest::tileRootPath(meshFolder_, 0, 0));
    osg::ref_ptr<osg::Group> first = groupOf(shared), second = groupOf(shared);
    QCOMPARE(unifyError(first),
             QString("Couldn't unify tile main. Trying to reparent MatrixTransform with multiple parents."));
    QVERIFY(first->getChild(0) == shared && second->getChild(0) == shared);

    osg::ref_ptr<osg::Group> paged = groupOf(metest::makeTileReference("Tile_0_0/Tile_0_0.osgb"));
    QCOMPARE(unifyError(paged),
             QString("Couldn't unify model main. Found a PagedLOD although the tree structure is model main."));
    QVERIFY(!dynamic_cast<ForceLODPagedLOD*>(paged->getChild(0)));
  }

  void fileWithoutParentFolderIsRefused() {
    QString rootFile;
    for (const QFileInfo& entry : QDir::root().entryInfoList(QDir::Files | QDir::Hidden))
      if (entry.isFile()) rootFile = entry.absoluteFilePath();
    if (rootFile.isEmpty()) QSKIP("no regular file in the file system root");
    osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform;
    transform->setName(rootFile.toStdString());
    QCOMPARE(unifyError(transform), QString("Couldn't derive databasePath and fileName from tile main."));
  }

  void indexReferencesBecomeTileMains_data() {
    QTest::addColumn<bool>("backslashes");
    QTest::newRow("slashes") << false;
    QTest::newRow("backslashes") << true;
  }

  void indexReferencesBecomeTileMains() {
    QFETCH(bool, backslashes);
    metest::TileSetOptions options;
    options.backslashes = backslashes;
    const QString index = metest::writeTileSet(dir_.filePath(backslashes ? "backslash" : "slash"), options);
    osg::ref_ptr<osg::Node> scene = metest::loadLikeLoader(index);
    UnifyTileAndModelMainsVisitor visitor(vx::me::TileMain);
    scene->accept(visitor);
    QCOMPARE(visitor.getErrorMessage(), QString());
    QCOMPARE(visitor.getTileMains().size(), size_t(4));
    for (unsigned int i = 0; i < 4; ++i) {
      ForceLODPagedLOD* main = visitor.getTileMains()[i].get();
      QCOMPARE(scene->asGroup()->getChild(i), static_cast<osg::Node*>(main));
      QCOMPARE(main->getNumParents(), 1u);
      QVERIFY(QFileInfo(QString::fromStdString(main->getOriginalFilePath())).isFile());
    }
    QCOMPARE(visitor.getTileMains()[0]->getOriginalFilename(0), native("Tile_0_0/Tile_0_0.osgb"));
  }

  void eachReferenceIsConvertedOnce() {
    osg::ref_ptr<osg::PagedLOD> paged = metest::makeTileReference("Tile_0_0/Tile_0_0.osgb");
    paged->setFileName(1, "");
    paged->setFileName(2, "Tile_0_0/Tile_0_0_L1.osgb");
    osg::ref_ptr<osg::PagedLOD> unnamed = new osg::PagedLOD;
    unnamed->addChild(new osg::Geode, 0.0f, 10.0f);
    osg::ref_ptr<ForceLODPagedLOD> existing = new ForceLODPagedLOD(*metest::makeTileReference("Tile_1_0/Tile_1_0.osgb"));
    osg::ref_ptr<osg::PagedLOD> inner = new osg::PagedLOD;
    inner->setFileName(0, "Tile_0_1_L1.osgb");
    osg::ref_ptr<osg::PagedLOD> outer = metest::makeTileReference("Tile_0_1/Tile_0_1.osgb");
    outer->addChild(inner);
    osg::ref_ptr<osg::Group> scene = groupOf(paged);
    for (osg::Node* child : std::initializer_list<osg::Node*>{unnamed, existing, outer}) scene->addChild(child);

    UnifyTileAndModelMainsVisitor visitor(vx::me::TileMain);
    scene->accept(visitor);
    QCOMPARE(visitor.getErrorMessage(), QString());
    const auto& mains = visitor.getTileMains();
    // One entry per non-empty file name; nodes without names stay, converted ones are taken as they are.
    QCOMPARE(mains.size(), size_t(4));
    QVERIFY(mains[0] == mains[1] && scene->getChild(0) == node(mains[0]));
    QCOMPARE(scene->getChild(1), static_cast<osg::Node*>(unnamed.get()));
    QVERIFY(mains[2] == existing && scene->getChild(2) == existing.get());
    // Nothing below a reference is converted.
    QVERIFY(scene->getChild(3) == node(mains[3]) && mains[3]->getChild(0) == inner.get());
    QVERIFY(!dynamic_cast<ForceLODPagedLOD*>(inner.get()));
  }

  void sharedReferenceIsReplacedInEveryParent() {
    osg::ref_ptr<osg::PagedLOD> paged = metest::makeTileReference("Tile_0_0/Tile_0_0.osgb");
    osg::ref_ptr<osg::Geode> loaded = new osg::Geode;
    paged->addChild(loaded);
    osg::ref_ptr<osg::Group> first = groupOf(paged);
    osg::ref_ptr<osg::MatrixTransform> second = new osg::MatrixTransform;
    second->addChild(paged);
    osg::ref_ptr<osg::Group> scene = groupOf(first);
    scene->addChild(second);

    UnifyTileAndModelMainsVisitor visitor(vx::me::TileMain);
    scene->accept(visitor);
    // Met once through each parent; the second time it already is the converted node.
    QCOMPARE(visitor.getTileMains().size(), size_t(2));
    osg::Node* converted = node(visitor.getTileMains()[0]);
    QCOMPARE(node(visitor.getTileMains()[1]), converted);
    QVERIFY(first->getChild(0) == converted && second->getChild(0) == converted);
    QCOMPARE(loaded->getNumParents(), 1u);
    QCOMPARE(loaded->getParent(0), converted);
  }
};

QTEST_GUILESS_MAIN(UnifyTileAndModelMainsVisitorTest)
#include "UnifyTileAndModelMainsVisitorTest.moc"
