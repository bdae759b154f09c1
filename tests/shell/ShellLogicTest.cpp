#include "shell/BuildDate.h"
#include "shell/DropRouting.h"
#include "shell/SidePanel.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class ShellLogicTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

  QString touch(const QString& name) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return path;
  }

  const QStringList meshExtensions_{"obj", "dae", "osg", "osgb", "ply", "shp"};

 private slots:
  void dropOpensProjectDuringWalkAndLoadsMeshesAfterIt() {
    const QString a = touch("a.osgb"), project = touch("Project.vpr"), b = touch("b.osgb");
    const qvx::DropPlan plan =
        qvx::planDrop({QUrl::fromLocalFile(a), QUrl::fromLocalFile(project), QUrl::fromLocalFile(b)}, meshExtensions_);
    QCOMPARE(plan.actions.size(), 1);
    QCOMPARE(plan.actions[0].kind, qvx::DropPlan::Kind::Project);
    QCOMPARE(plan.meshes, QStringList({a, b}));
    QVERIFY(!plan.aborted);
  }

  void dropRoutesEachKnownSuffixFirstMatchWins() {
    const QString ori = touch("cams.txt"), topo = touch("Topology.tif"), shape = touch("poly.shp");
    const qvx::DropPlan plan = qvx::planDrop(
        {QUrl::fromLocalFile(ori), QUrl::fromLocalFile(topo), QUrl::fromLocalFile(shape)}, meshExtensions_);
    QCOMPARE(plan.actions.size(), 3);
    QCOMPARE(plan.actions[0].kind, qvx::DropPlan::Kind::OrientationList);
    QCOMPARE(plan.actions[1].kind, qvx::DropPlan::Kind::Topology);
    // "shp" is also a mesh extension; the shapefile rule comes first.
    QCOMPARE(plan.actions[2].kind, qvx::DropPlan::Kind::ShapeFile);
    QVERIFY(plan.meshes.isEmpty());
  }

  void webUrlEndsTheWalkAndDropsCollectedMeshes() {
    const QString a = touch("c.osgb"), project = touch("Other.vpr"), later = touch("d.ply");
    const qvx::DropPlan plan = qvx::planDrop({QUrl::fromLocalFile(a), QUrl::fromLocalFile(project),
                                              QUrl("https://example.org/mesh.osgb"), QUrl::fromLocalFile(later)},
                                             meshExtensions_);
    QVERIFY(plan.aborted);
    QCOMPARE(plan.actions.size(), 1);  // the project before the URL was opened already
    QCOMPARE(plan.meshes, QStringList({a}));
  }

  void upperCaseAndMissingFilesAreIgnored() {
    const QString upper = touch("E.OSGB");
    const qvx::DropPlan plan = qvx::planDrop(
        {QUrl::fromLocalFile(upper), QUrl::fromLocalFile(dir_.filePath("missing.osgb"))}, meshExtensions_);
    QVERIFY(plan.actions.isEmpty());
    QVERIFY(plan.meshes.isEmpty());
    QVERIFY(!plan.aborted);
  }

  void buildDateFromCompilerDate_data() {
    QTest::addColumn<QString>("compilerDate");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two-digit day") << "Apr 29 2020" << "2020-04-29";
    QTest::newRow("padded single-digit day") << "Dec  6 2026" << "2026-12-06";
    QTest::newRow("unparsable") << "29.04.2020" << "";
  }
  void buildDateFromCompilerDate() {
    QFETCH(QString, compilerDate);
    QFETCH(QString, expected);
    QCOMPARE(qvx::formatBuildDate(compilerDate), expected);
  }

  void sidePanelScalesWithTheScreen() {
    QCOMPARE(qvx::sidePanelMinimumSize(QSize(1920, 1080)), QSize(150, 1));
    QCOMPARE(qvx::sidePanelMinimumSize(QSize(3840, 2160)), QSize(300, 2));
    QCOMPARE(qvx::sidePanelMinimumSize(QSize(1280, 720)), QSize(100, 1));
  }
};

QTEST_GUILESS_MAIN(ShellLogicTest)
#include "ShellLogicTest.moc"
