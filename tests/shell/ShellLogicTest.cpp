#include "shell/BuildDate.h"
#include "shell/DropRouting.h"
#include "shell/MeshSuffixes.h"
#include "shell/SidePanel.h"
#include "shell/StartupFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using qvx::DropPlan;
using qvx::StartupAction;

class ShellLogicTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  const QStringList meshExtensions_ = qvx::meshSuffixes();

  QString touch(const QString& name) {
    QFile file(dir_.filePath(name));
    file.open(QIODevice::WriteOnly);
    return file.fileName();
  }

  // Names ending in "!" stay absent; those with "://" are taken as URLs.
  DropPlan drop(const QStringList& names) {
    QList<QUrl> urls;
    for (const QString& name : names)
      urls << (name.contains("://") ? QUrl(name)
               : name.endsWith('!') ? QUrl::fromLocalFile(dir_.filePath(name.chopped(1)))
                                    : QUrl::fromLocalFile(touch(name)));
    return qvx::planDrop(urls, meshExtensions_);
  }

  QList<StartupAction> startup(const QString& path) { return qvx::startupActionsFor(path, meshExtensions_); }

 private slots:
  void startupFilesByCaseSensitiveSuffix() {
    QCOMPARE(startup(touch("cameras.txt")), QList<StartupAction>{StartupAction::OrientationList});
    QCOMPARE(startup(touch("Project.vpr")), QList<StartupAction>{StartupAction::Project});
    QCOMPARE(startup(touch("tile.osgb")), QList<StartupAction>{StartupAction::Mesh});
    QVERIFY(startup(touch("cameras.TXT")).isEmpty());
    QVERIFY(startup(touch("noext")).isEmpty());
    // Orientation lists and projects must be existing files; a missing mesh is left to the loader.
    QVERIFY(startup(dir_.filePath("absent.txt")).isEmpty());
    QVERIFY(QDir().mkpath(dir_.filePath("folder.vpr")));
    QVERIFY(startup(dir_.filePath("folder.vpr")).isEmpty());
    QCOMPARE(startup(dir_.filePath("absent.ply")), QList<StartupAction>{StartupAction::Mesh});
    QCOMPARE(startup(touch("archive.txt.osg")), QList<StartupAction>{StartupAction::Mesh});
  }

  void startUpDropAndDialogsTakeTheSameMeshes() {
    for (const QString& suffix : qvx::meshSuffixes()) {
      if (suffix == "shp") continue;  // dropped, a shapefile is a polygon source
      QCOMPARE(startup(touch("model." + suffix)), QList<StartupAction>{StartupAction::Mesh});
      QCOMPARE(drop({"model." + suffix}).meshes, QStringList{dir_.filePath("model." + suffix)});
    }
    const QString filter = qvx::meshFileDialogFilter();
    const QStringList filters = filter.split(";;");
    QCOMPARE(filters.size(), qvx::meshSuffixes().size() + 1);
    QCOMPARE(filters.first(), "All supported (*." + qvx::meshSuffixes().join(" *.") + ")");
    QVERIFY(filters.contains("dae (*.dae)") && filters.contains("obj (*.obj)"));
  }

  void dropOpensProjectDuringWalkAndLoadsMeshesAfterIt() {
    const DropPlan plan = drop({"a.osgb", "Project.vpr", "b.osgb"});
    QCOMPARE(plan.actions.size(), 1);
    QCOMPARE(plan.actions[0].kind, DropPlan::Kind::Project);
    QCOMPARE(plan.actions[0].path, dir_.filePath("Project.vpr"));
    QCOMPARE(plan.meshes, QStringList({dir_.filePath("a.osgb"), dir_.filePath("b.osgb")}));
    QVERIFY(!plan.aborted);
  }

  void dropRoutesEachKnownSuffixFirstMatchWins() {
    const DropPlan plan = drop({"cams.txt", "Topology.tif", "poly.shp", "E.OSGB", "missing.osgb!"});
    QCOMPARE(plan.actions.size(), 3);
    QCOMPARE(plan.actions[0].kind, DropPlan::Kind::OrientationList);
    QCOMPARE(plan.actions[1].kind, DropPlan::Kind::Topology);
    // "shp" is also a mesh extension; the shapefile rule comes first.
    QCOMPARE(plan.actions[2].kind, DropPlan::Kind::ShapeFile);
    QVERIFY(plan.meshes.isEmpty());
    QVERIFY(!plan.aborted);
  }

  void webUrlEndsTheWalkAndDropsCollectedMeshes() {
    const DropPlan plan = drop({"c.osgb", "Other.vpr", "https://example.org/mesh.osgb", "d.ply"});
    QVERIFY(plan.aborted);
    QCOMPARE(plan.actions.size(), 1);  // the project before the URL was opened already
    QCOMPARE(plan.meshes, QStringList({dir_.filePath("c.osgb")}));
  }

  void buildDateFromCompilerDate() {
    QCOMPARE(qvx::formatBuildDate("Apr 29 2020"), QString("2020-04-29"));
    QCOMPARE(qvx::formatBuildDate("Dec  6 2026"), QString("2026-12-06"));
    QCOMPARE(qvx::formatBuildDate("29.04.2020"), QString());
  }

  void sidePanelScalesWithTheScreen() {
    QCOMPARE(qvx::sidePanelMinimumSize(QSize(3840, 2160)), QSize(300, 2));
    QCOMPARE(qvx::sidePanelMinimumSize(QSize(1280, 720)), QSize(100, 1));
  }
};

QTEST_GUILESS_MAIN(ShellLogicTest)
#include "ShellLogicTest.moc"
