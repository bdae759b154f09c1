#include <limits>

#include <QTemporaryDir>
#include <QtTest>
#include <osg/Geode>

#include "me/TreeStructure.h"
#include "tests/platform/me/TileFixtures.h"
#include "viewer/visitors/UnifyTileAndModelMainsVisitor.h"

using metest::groupOf;
using vx::me::forceLOD::ForceLODPagedLOD;

namespace {

const QString kNotAnAbsolutePath = QStringLiteral(
    "Couldn't unify tile main. The MatrixTransform doesn't contain an absolute path to a file as name.");

using Nodes = std::vector<osg::ref_ptr<osg::Node>>;

struct Unified {
  QString error;
  Nodes mains;  // held here: a wrapped scene root has no other owner
};

Unified unify(osg::Node* scene, vx::me::TreeStructure structure) {
  UnifyTileAndModelMainsVisitor visitor(structure);
  scene->accept(visitor);
  return {visitor.getErrorMessage(), {visitor.getTileMains().begin(), visitor.getTileMains().end()}};
}

// The error of a refused model main, which must not yield tile mains.
QString refusal(osg::Node* scene) {
  const Unified result = unify(scene, vx::me::ModelMain);
  return result.mains.empty() ? result.error : QString("tile mains collected");
}

}  // namespace

class UnifyTileAndModelMainsVisitorTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString meshFolder_;

  osg::ref_ptr<osg::Node> tile(int x, int y) const {
    return metest::loadLikeLoader(metest::tileRootPath(meshFolder_, x, y));
  }

 private slots:
  void initTestCase() {
    meshFolder_ = dir_.filePath("mesh");
    metest::writeTileSet(meshFolder_);
  }

  void modelMainIsWrappedInPlace() {
    osg::ref_ptr<osg::Node> model = tile(1, 0);
    osg::ref_ptr<osg::Group> scene = groupOf(new osg::Geode);
    scene->addChild(model);
    const Unified result = unify(scene, vx::me::ModelMain);
    QCOMPARE(result.error, QString());
    QCOMPARE(result.mains.size(), size_t(1));
    auto* main = static_cast<ForceLODPagedLOD*>(result.mains[0].get());
    QVERIFY(scene->getChild(1) == main && main->getChild(0) == model.get() && model->getNumParents() == 1);
    QCOMPARE(main->getMaxRange(0), std::numeric_limits<float>::max());
    QCOMPARE(main->getOriginalFilename(0), QDir::toNativeSeparators("Tile_1_0/Tile_1_0.osgb").toStdString());
    QCOMPARE(QDir::cleanPath(QString::fromStdString(main->getOriginalDatabasePath())), meshFolder_);
    // The tile's own level tree stays as it was read.
    QVERIFY(!dynamic_cast<ForceLODPagedLOD*>(model->asGroup()->getChild(0)));

    // A tile that is the scene itself has no parent to be replaced in, but is collected.
    osg::ref_ptr<osg::Node> alone = tile(0, 1);
    const Unified aloneResult = unify(alone, vx::me::ModelMain);
    QVERIFY(aloneResult.error.isEmpty() && aloneResult.mains.size() == 1);
    QCOMPARE(aloneResult.mains[0]->asGroup()->getChild(0), alone.get());
  }

  void refusedModelMainsLeaveTheSceneAlone() {
    osg::ref_ptr<osg::Node> relative = tile(0, 0);
    relative->setName("Tile_0_0/Tile_0_0.osgb");
    osg::ref_ptr<osg::Group> scene = groupOf(relative);
    QCOMPARE(refusal(scene), kNotAnAbsolutePath);
    QCOMPARE(scene->getChild(0), relative.get());
    for (const QString& name : {dir_.filePath("mesh/Tile_9_9/Tile_9_9.osgb"), meshFolder_}) {
      osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform;
      transform->setName(name.toStdString());
      QCOMPARE(refusal(transform), kNotAnAbsolutePath);
    }

    osg::ref_ptr<osg::Node> shared = tile(0, 0);
    osg::ref_ptr<osg::Group> first = groupOf(shared), second = groupOf(shared);
    QCOMPARE(refusal(first),
             QString("Couldn't unify tile main. Trying to reparent MatrixTransform with multiple parents."));
    QVERIFY(first->getChild(0) == shared && second->getChild(0) == shared);

    osg::ref_ptr<osg::Group> paged = groupOf(metest::makeTileReference("Tile_0_0/Tile_0_0.osgb"));
    QCOMPARE(refusal(paged),
             QString("Couldn't unify model main. Found a PagedLOD although the tree structure is model main."));
  }

  void fileWithoutParentFolderIsRefused() {
    QString rootFile;
    for (const QFileInfo& entry : QDir::root().entryInfoList(QDir::Files | QDir::Hidden))
      if (entry.isFile()) rootFile = entry.absoluteFilePath();
    if (rootFile.isEmpty()) QSKIP("no regular file in the file system root");
    osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform;
    transform->setName(rootFile.toStdString());
    QCOMPARE(refusal(transform), QString("Couldn't derive databasePath and fileName from tile main."));
  }

  void indexReferencesBecomeTileMains() {
    osg::ref_ptr<osg::Node> index = metest::loadLikeLoader(meshFolder_ + "/Mesh.osgb");
    const Unified result = unify(index, vx::me::TileMain);
    QCOMPARE(result.error, QString());
    QCOMPARE(result.mains.size(), size_t(4));
    for (unsigned int i = 0; i < 4; ++i) {
      auto* main = static_cast<ForceLODPagedLOD*>(result.mains[i].get());
      QVERIFY(index->asGroup()->getChild(i) == main && main->getNumParents() == 1);
      QVERIFY(QFileInfo(QString::fromStdString(main->getOriginalFilePath())).isFile());
    }
    QCOMPARE(static_cast<ForceLODPagedLOD*>(result.mains[0].get())->getOriginalFilename(0),
             std::string("Tile_0_0/Tile_0_0.osgb"));
  }

  void eachReferenceIsConvertedOnce() {
    osg::ref_ptr<osg::PagedLOD> paged = metest::makeTileReference("Tile_0_0/Tile_0_0.osgb");
    paged->setFileName(1, "");
    paged->setFileName(2, "Tile_0_0/Tile_0_0_L1.osgb");
    osg::ref_ptr<osg::PagedLOD> unnamed = new osg::PagedLOD;
    unnamed->addChild(new osg::Geode, 0.0f, 10.0f);
    osg::ref_ptr<osg::Node> existing = new ForceLODPagedLOD(*metest::makeTileReference("Tile_1_0/Tile_1_0.osgb"));
    osg::ref_ptr<osg::PagedLOD> inner = new osg::PagedLOD;
    inner->setFileName(0, "Tile_0_1_L1.osgb");
    osg::ref_ptr<osg::PagedLOD> outer = metest::makeTileReference("Tile_0_1/Tile_0_1.osgb");
    outer->addChild(inner);
    osg::ref_ptr<osg::Group> scene = groupOf(paged);
    for (osg::Node* child : std::initializer_list<osg::Node*>{unnamed, existing, outer}) scene->addChild(child);

    const Unified result = unify(scene, vx::me::TileMain);
    QCOMPARE(result.error, QString());
    // One entry per non-empty file name; unnamed nodes stay, converted ones are taken as they are.
    QCOMPARE(result.mains, Nodes({scene->getChild(0), scene->getChild(0), existing, scene->getChild(3)}));
    QVERIFY(scene->getChild(0) != paged && scene->getChild(1) == unnamed && scene->getChild(3) != outer);
    // Nothing below a reference is converted.
    QCOMPARE(scene->getChild(3)->asGroup()->getChild(0), static_cast<osg::Node*>(inner.get()));
    QVERIFY(!dynamic_cast<ForceLODPagedLOD*>(inner.get()));
  }

  void sharedReferenceIsReplacedInEveryParent() {
    osg::ref_ptr<osg::PagedLOD> paged = metest::makeTileReference("Tile_0_0/Tile_0_0.osgb");
    osg::ref_ptr<osg::Geode> loaded = new osg::Geode;
    paged->addChild(loaded);
    osg::ref_ptr<osg::Group> first = groupOf(paged);
    osg::ref_ptr<osg::Group> scene = groupOf(first);
    scene->addChild(new osg::MatrixTransform);
    scene->getChild(1)->asGroup()->addChild(paged);

    // Met once through each parent; the second time it already is the converted node.
    const Unified result = unify(scene, vx::me::TileMain);
    osg::Node* converted = first->getChild(0);
    QCOMPARE(result.mains, Nodes({converted, converted}));
    QVERIFY(converted != paged && scene->getChild(1)->asGroup()->getChild(0) == converted);
    QCOMPARE(loaded->getNumParents(), 1u);
    QCOMPARE(loaded->getParent(0), converted);
  }
};

QTEST_GUILESS_MAIN(UnifyTileAndModelMainsVisitorTest)
#include "UnifyTileAndModelMainsVisitorTest.moc"
