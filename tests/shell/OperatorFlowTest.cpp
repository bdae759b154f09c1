// The operator's reprocessing flow on the demo, through the windows: the 2.5D tool with a
// correction polygon makes a DSM mesh flattened there, its results open in the editor, and the
// texturing tool retextures an edited tile and updates its levels of detail.

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include <osg/Geometry>
#include <osg/NodeVisitor>
#include <osgDB/ReadFile>

#include "ShownMainWindow.h"
#include "resources/DataBase.h"
#include "resources/MeshTree.h"
#include "resources/MeshTreeGroup.h"
#include "tests/platform/vx/TestProjects.h"
#include "tests/platform/vx/TestShapefiles.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tools/ProcessingFrame.h"
#include "tools/inputs/DataInputField.h"
#include "tools/inputs/DataInputFolder.h"
#include "tools/run/TextTerminal.h"
#include "tools/windows/Tool2_5D.h"
#include "tools/windows/ToolTexturing.h"
#include "tests/platform/vx/TileTextures.h"
#include "vx/VEXAProject.h"

namespace {

// Every vertex below a node, in the node's coordinates.
struct Vertices : osg::NodeVisitor {
  std::vector<osg::Vec3> found;
  Vertices() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
  void apply(osg::Geometry& geometry) override {
    if (auto* array = dynamic_cast<const osg::Vec3Array*>(geometry.getVertexArray()))
      found.insert(found.end(), array->begin(), array->end());
  }
};

QAction* menuEntry(QWidget& window, const QString& text) {
  for (QAction* action : window.findChildren<QAction*>())
    if (action->text() == text) return action;
  return nullptr;
}

// Starts the tool and waits for its end: empty when every row ended with 0, else what the tool and
// its message boxes said.
QString runEveryRow(qvx::tool::ToolBase& tool, const MessageBoxWatcher& boxes) {
  QSignalSpy ended(&tool, &qvx::tool::ToolBase::signal_processingEnd);
  QList<std::shared_ptr<QSignalSpy>> codes;
  for (const auto& row : tool.modules())
    codes << std::make_shared<QSignalSpy>(row.get(), &qvx::tool::ProcessingFrame::signal_finished);
  QElapsedTimer clock;
  clock.start();
  tool.slot_start();
  if (!ended.wait(240000)) return "The run did not end within 4 minutes.";
  qInfo("run took %lld ms", clock.elapsed());
  for (const auto& code : codes)
    if (code->count() != 1 || code->first().first().toInt() != 0)
      return tool.terminal()->plainText() + boxes.texts().join('\n');
  return {};
}

}  // namespace

class OperatorFlowTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString projectFile_;
  std::unique_ptr<MeshViewer> viewer_;
  QString output_;  // the reprocessed project's folder

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    projectFile_ = shelltest::writeSmallDemo(dir_.path(), 8);
    viewer_ = shelltest::showMainWindow();
    QVERIFY(viewer_);
    QVERIFY(shelltest::openProject(*viewer_, projectFile_));
  }

  void theTwoAndAHalfDToolFlattensACorrectedAreaAndItsResultsOpen() {
    QAction* entry = menuEntry(*viewer_, "VEXA 2.5D Tool...");
    QVERIFY(entry && entry->isEnabled());
    entry->trigger();
    auto* tool = viewer_->findChild<qvx::tool::Tool2_5D*>();
    QVERIFY(tool && tool->isVisible());
    const QString output = tool->outputField()->value();
    output_ = output;

    // A level polygon over part of tile 0_0, 6 m above the project's lowest point.
    const auto low = viewer_->project()->areaMin();
    const double z = low[2] + 6.0, west = low[0] + 20, south = low[1] + 20;
    const QString shape = dir_.filePath("corrections/CorrectionShape.shp");
    QDir().mkpath(dir_.filePath("corrections"));
    testprojects::writeShapefile(shape, {{west, south, z}, {west + 30, south, z}, {west + 30, south + 30, z}, {west, south + 30, z}},
                                 true);
    tool->correctionField()->setData(shape);

    MessageBoxWatcher boxes;
    const QString failed = runEveryRow(*tool, boxes);
    QVERIFY2(failed.isEmpty(), qPrintable(failed));

    // The new DSM mesh lies on the polygon's plane inside it; the textured mesh is there too.
    const QString tile = output + "/Internal/DSM_Mesh_Untextured/Tile_0_0";
    osg::Vec3d offset;
    QVERIFY(osgDB::readRefNodeFile((tile + "/Tile_0_0.osgb").toStdString())->getUserValue("OffsetXYZ", offset));
    int inside = 0;
    for (const QString& file : QDir(tile).entryList({"Tile_0_0_L*.osgb"})) {
      Vertices vertices;
      osgDB::readRefNodeFile((tile + "/" + file).toStdString())->accept(vertices);
      for (const osg::Vec3& v : vertices.found) {
        const osg::Vec3d world = offset + osg::Vec3d(v);
        if (world.x() > west + 0.01 && world.x() < west + 29.99 && world.y() > south + 0.01 && world.y() < south + 29.99) {
          QVERIFY2(std::abs(world.z() - z) < 1e-3, qPrintable(QString::number(world.z() - z)));
          ++inside;
        }
      }
    }
    QVERIFY(inside > 100);
    QVERIFY(QFileInfo::exists(output + "/Results/DSM_Mesh/Mesh.osgb"));
    QVERIFY(QFileInfo::exists(output + "/Results/DSM_Mesh_For_Editing/Tile_0_0/Tile_0_0.osgb"));
    tool->close();

    // The reprocessed project opens in the editor with its new results.
    vx::VEXAProject reprocessed;
    reprocessed.loadProjectFile((output + "/Project.vpr").toStdString());
    const QStringList current = MeshTree::DataBase::currentResources(reprocessed);
    QVERIFY2(current.contains(QDir::cleanPath(output + "/Results/DSM_Mesh/Mesh.osgb")) ||
                 current.contains(QDir::toNativeSeparators(output + "/Results/DSM_Mesh/Mesh.osgb")),
             qPrintable(current.join('\n')));
    const int groupsBefore = viewer_->tree()->groups().size();
    QVERIFY(shelltest::openProject(*viewer_, output + "/Project.vpr"));
    const QList<MeshTree::Group*> groups = viewer_->tree()->groups();
    QCOMPARE(groups.size(), groupsBefore + 1);
    QCOMPARE(groups.last()->items().size(), 4);
    QVERIFY(boxes.texts().isEmpty());
  }

  // An edited tile of the reprocessed mesh for editing (its colours lost) is retextured from the
  // photos in place and its levels of detail are brought up to date; a snapshot allows the undo.
  void theTexturingToolRetexturesTheModifiedTilesAndUpdatesTheirLevels() {
    QVERIFY(!output_.isEmpty());
    const QString tile = output_ + "/Results/DSM_Mesh_For_Editing/Tile_1_0";
    const double before = testprojects::meanTexel(tile);
    QVERIFY(testprojects::blacken(tile));
    const QString tmp = output_ + "/Internal/Editor/tmp";
    QVERIFY(QDir().mkpath(tmp));
    testprojects::writeText(tmp + "/mesheditor_modifiedTilesList.txt", (tile + "\n").toUtf8());

    QAction* entry = menuEntry(*viewer_, "VEXA Texturing Tool...");
    QVERIFY(entry && entry->isEnabled());
    entry->trigger();
    auto* tool = viewer_->findChild<qvx::tool::ToolTexturing*>();
    QVERIFY(tool && tool->isVisible());
    QCOMPARE(QDir::cleanPath(tool->input3dField()->value()), QDir::cleanPath(tmp + "/mesheditor_modifiedTilesList.txt"));
    // The photos are the original project's.
    const QString original = QFileInfo(projectFile_).absolutePath();
    tool->orientationField()->setData(original + "/Internal/Orientations");
    tool->imagesField()->setData(original + "/Internal/Images/Color");

    MessageBoxWatcher boxes(QMessageBox::Yes);  // it is a DSM mesh
    const QString failed = runEveryRow(*tool, boxes);
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    QVERIFY(tool->terminal()->plainText().contains("Finished LOD update for edited tiles."));

    const double after = testprojects::meanTexel(tile);
    QVERIFY2(std::abs(after - before) < 0.05 * before, qPrintable(QString("%1 against %2").arg(after).arg(before)));
    int editState = -1;
    QVERIFY(osgDB::readRefNodeFile((tile + "/Tile_1_0.osgb").toStdString())->getUserValue("EditState", editState));
    QCOMPARE(editState, 1);
    QVERIFY(QFileInfo::exists(tmp + "/v1"));
    tool->close();
  }
};

QTEST_MAIN(OperatorFlowTest)
#include "OperatorFlowTest.moc"
