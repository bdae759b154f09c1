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
const QString kNoDerivation = QStringLiteral("Couldn't derive databasePath and fileName from tile main.");
const QString kMultipleParents =
    QStringLiteral("Couldn't unify tile main. Trying to reparent MatrixTransform with multiple parents.");
const QString kPagedLODInModelMain =
    QStringLiteral("Couldn't unify model main. Found a PagedLOD although the tree structure is model main.");

std::string native(const std::string& path) {
  return QDir::toNativeSeparators(QString::fromStdString(path)).toStdString();
}

}  // namespace

class UnifyTileAndModelMainsVisitorTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    meshFolder_ = dir_.filePath("mesh");
    QVERIFY(!metest::writeTileSet(meshFolder_).isEmpty());
  }

  // --- model main -------------------------------------------------------------------------------

  void modelMainIsWrappedInPlace() {
    const QString tilePath = metest::tileRootPath(meshFolder_, 1, 0);
    osg::ref_ptr<osg::Node> tile = metest::loadLikeLoader(tilePath);
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    scene->addChild(new osg::Geode);
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

    const std::string separator(1, osgDB::getNativePathSeparator());
    QCOMPARE(main->getOriginalFilename(0), "Tile_1_0" + separator + "Tile_1_0.osgb");
    QCOMPARE(QDir::cleanPath(QString::fromStdString(main->getOriginalDatabasePath())), meshFolder_);
    QCOMPARE(QDir::cleanPath(QString::fromStdString(main->getFilePath())), tilePath);
    // The tile's own level tree stays as it was read.
    QVERIFY(!dynamic_cast<ForceLODPagedLOD*>(tile->asGroup()->getChild(0)));
  }

  void modelMainWithoutParentIsCollected() {
    osg::ref_ptr<osg::Node> tile = metest::loadLikeLoader(metest::tileRootPath(meshFolder_, 0, 1));
    UnifyTileAndModelMainsVisitor visitor(vx::me::ModelMain);
    tile->accept(visitor);
    QCOMPARE(visitor.getErrorMessage(), QString());
    QCOMPARE(visitor.getTileMains().size(), size_t(1));
    QCOMPARE(visitor.getTileMains().front()->getChild(0), tile.get());
  }

  void relativeNameIsRefused() {
    osg::ref_ptr<osg::Node> tile = metest::loadLikeLoader(metest::tileRootPath(meshFolder_, 0, 0));
    tile->setName("Tile_0_0/Tile_0_0.osgb");
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    scene->addChild(tile);

    UnifyTileAndModelMainsVisitor visitor(vx::me::ModelMain);
    scene->accept(visitor);
    QCOMPARE(visitor.getErrorMessage(), kNotAnAbsolutePath);
    QVERIFY(visitor.getTileMains().empty());
    QCOMPARE(scene->getChild(0), tile.get());
    QCOMPARE(tile->getNumParents(), 1u);
  }

  void missingOrFolderNameIsRefused() {
    for (const QString& name : {dir_.filePath("mesh/Tile_9_9/Tile_9_9.osgb"), meshFolder_}) {
      osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform;
      transform->setName(name.toStdString());
      UnifyTileAndModelMainsVisitor visitor(vx::me::ModelMain);
      transform->accept(visitor);
      QCOMPARE(visitor.getErrorMessage(), kNotAnAbsolutePath);
      QVERIFY(visitor.getTileMains().empty());
    }
  }

  void fileWithoutParentFolderIsRefused() {
    QString rootFile;
    for (const QFileInfo& entry : QDir::root().entryInfoList(QDir::Files | QDir::Hidden)) {
      if (entry.isFile()) rootFile = entry.absoluteFilePath();
    }
    if (rootFile.isEmpty()) QSKIP("no regular file in the file system root");
    osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform;
    transform->setName(rootFile.toStdString());
    UnifyTileAndModelMainsVisitor visitor(vx::me::ModelMain);
    transform->accept(visitor);
    QCOMPARE(visitor.getErrorMessage(), kNoDerivation);
    QVERIFY(visitor.getTileMains().empty());
  }

  void transformWithTwoParentsIsLeftAlone() {
    osg::ref_ptr<osg::Node> tile = metest::loadLikeLoader(metest::tileRootPath(meshFolder_, 0, 0));
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    osg::ref_ptr<osg::Group> first = new osg::Group;
    osg::ref_ptr<osg::Group> second = new osg::Group;
    scene->addChild(first);
    scene->addChild(second);
    first->addChild(tile);
    second->addChild(tile);

    UnifyTileAndModelMainsVisitor visitor(vx::me::ModelMain);
    scene->accept(visitor);
    QCOMPARE(visitor.getErrorMessage(), kMultipleParents);
    QVERIFY(visitor.getTileMains().empty());
    QCOMPARE(first->getChild(0), tile.get());
    QCOMPARE(second->getChild(0), tile.get());
  }

  void pagedLODOutsideTheModelMainIsAnError() {
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    osg::ref_ptr<osg::PagedLOD> paged = metest::makeTileReference("Tile_0_0/Tile_0_0.osgb");
    scene->addChild(paged);
    UnifyTileAndModelMainsVisitor visitor(vx::me::ModelMain);
    scene->accept(visitor);
    QCOMPARE(visitor.getErrorMessage(), kPagedLODInModelMain);
    QVERIFY(visitor.getTileMains().empty());
    QCOMPARE(scene->getChild(0), static_cast<osg::Node*>(paged.get()));
  }

  // --- tile main --------------------------------------------------------------------------------

  void indexReferencesBecomeTileMains() {
    osg::ref_ptr<osg::Node> index = metest::loadLikeLoader(meshFolder_ + "/Mesh.osgb");
    UnifyTileAndModelMainsVisitor visitor(vx::me::TileMain);
    index->accept(visitor);
    QCOMPARE(visitor.getErrorMessage(), QString());
    QCOMPARE(visitor.getTileMains().size(), size_t(4));
    osg::Group* group = index->asGroup();
    for (unsigned int i = 0; i < 4; ++i) {
      ForceLODPagedLOD* main = visitor.getTileMains()[i].get();
      QCOMPARE(group->getChild(i), static_cast<osg::Node*>(main));
      QCOMPARE(main->getNumParents(), 1u);
      QVERIFY(QFileInfo(QString::fromStdString(main->getOriginalFilePath())).isFile());
    }
    QCOMPARE(visitor.getTileMains()[0]->getOriginalFilename(0), native("Tile_0_0/Tile_0_0.osgb"));
  }

  void backslashReferencesAreNormalised() {
    metest::TileSetOptions options;
    options.backslashes = true;
    options.columns = 1;
    options.rows = 1;
    const QString index = metest::writeTileSet(dir_.filePath("backslash"), options);
    osg::ref_ptr<osg::Node> scene = metest::loadLikeLoader(index);
    UnifyTileAndModelMainsVisitor visitor(vx::me::TileMain);
    scene->accept(visitor);
    QCOMPARE(visitor.getTileMains().size(), size_t(1));
    QCOMPARE(visitor.getTileMains()[0]->getOriginalFilename(0), native("Tile_0_0/Tile_0_0.osgb"));
    QVERIFY(QFileInfo(QString::fromStdString(visitor.getTileMains()[0]->getFilePath())).isFile());
  }

  void oneEntryPerNonEmptyFileName() {
    osg::ref_ptr<osg::PagedLOD> paged = metest::makeTileReference("Tile_0_0/Tile_0_0.osgb");
    paged->setFileName(1, "");
    paged->setFileName(2, "Tile_0_0/Tile_0_0_L1.osgb");
    osg::ref_ptr<osg::PagedLOD> unnamed = new osg::PagedLOD;
    unnamed->addChild(new osg::Geode, 0.0f, 10.0f);
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    scene->addChild(paged);
    scene->addChild(unnamed);

    UnifyTileAndModelMainsVisitor visitor(vx::me::TileMain);
    scene->accept(visitor);
    QCOMPARE(visitor.getErrorMessage(), QString());
    QCOMPARE(visitor.getTileMains().size(), size_t(2));
    QCOMPARE(visitor.getTileMains()[0], visitor.getTileMains()[1]);
    QCOMPARE(scene->getChild(0), static_cast<osg::Node*>(visitor.getTileMains()[0].get()));
    QCOMPARE(scene->getChild(1), static_cast<osg::Node*>(unnamed.get()));
  }

  void existingForceLODNodeIsTakenUnchanged() {
    osg::ref_ptr<ForceLODPagedLOD> existing =
        new ForceLODPagedLOD(*metest::makeTileReference("Tile_0_0/Tile_0_0.osgb"));
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    scene->addChild(existing);
    UnifyTileAndModelMainsVisitor visitor(vx::me::TileMain);
    scene->accept(visitor);
    QCOMPARE(visitor.getTileMains().size(), size_t(1));
    QCOMPARE(visitor.getTileMains()[0].get(), existing.get());
    QCOMPARE(scene->getChild(0), static_cast<osg::Node*>(existing.get()));
  }

  void sharedReferenceIsReplacedInEveryParent() {
    osg::ref_ptr<osg::PagedLOD> paged = metest::makeTileReference("Tile_0_0/Tile_0_0.osgb");
    osg::ref_ptr<osg::Geode> loaded = new osg::Geode;
    paged->addChild(loaded);
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    osg::ref_ptr<osg::Group> first = new osg::Group;
    osg::ref_ptr<osg::MatrixTransform> second = new osg::MatrixTransform;
    scene->addChild(first);
    scene->addChild(second);
    first->addChild(paged);
    second->addChild(paged);

    UnifyTileAndModelMainsVisitor visitor(vx::me::TileMain);
    scene->accept(visitor);
    // Met once through each parent; the second time it already is the converted node.
    QCOMPARE(visitor.getTileMains().size(), size_t(2));
    osg::Node* converted = visitor.getTileMains()[0].get();
    QCOMPARE(visitor.getTileMains()[1].get(), converted);
    QCOMPARE(first->getChild(0), converted);
    QCOMPARE(second->getChild(0), converted);
    QCOMPARE(loaded->getNumParents(), 1u);
    QCOMPARE(loaded->getParent(0), converted);
  }

  void doesNotDescendBelowAReference() {
    osg::ref_ptr<osg::PagedLOD> inner = new osg::PagedLOD;
    inner->setFileName(0, "Tile_0_0_L1.osgb");
    osg::ref_ptr<osg::PagedLOD> outer = metest::makeTileReference("Tile_0_0/Tile_0_0.osgb");
    outer->addChild(inner);
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    scene->addChild(outer);

    UnifyTileAndModelMainsVisitor visitor(vx::me::TileMain);
    scene->accept(visitor);
    QCOMPARE(visitor.getTileMains().size(), size_t(1));
    QCOMPARE(visitor.getTileMains()[0]->getChild(0), static_cast<osg::Node*>(inner.get()));
    QVERIFY(!dynamic_cast<ForceLODPagedLOD*>(inner.get()));
  }

 private:
  QTemporaryDir dir_;
  QString meshFolder_;
};

QTEST_GUILESS_MAIN(UnifyTileAndModelMainsVisitorTest)
#include "UnifyTileAndModelMainsVisitorTest.moc"
