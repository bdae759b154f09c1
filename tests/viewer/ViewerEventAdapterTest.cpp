#include <QtTest>

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <osg/Program>

#include "TestScenes.h"
#include "demo/DemoProject.h"
#include "tests/platform/me/TileFixtures.h"
#include "resources/MeshTreeGroup.h"
#include "resources/MeshTreeItem.h"
#include "resources/DataBase.h"
#include "viewer/Picking.h"
#include "viewer/Shaders.h"
#include "viewer/ViewerEventAdapter.h"
#include "viewer/ViewerMath.h"

using qvx::viewer::ViewerEventAdapter;
using viewertest::makeQuadScene;

namespace {

QString programName(osg::Node* node) {
  auto* program = dynamic_cast<const osg::Program*>(node->getStateSet()->getAttribute(osg::StateAttribute::PROGRAM));
  return program ? QString::fromStdString(program->getName()) : QString();
}

void send(ViewerEventAdapter& adapter, QEvent::Type type, int keyOrButton,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier, double x = 0.0, double y = 0.0) {
  if (type == QEvent::KeyPress) {
    QKeyEvent event(type, keyOrButton, modifiers);
    adapter.handleEvent(&event, x, y);
    return;
  }
  const auto button = static_cast<Qt::MouseButton>(keyOrButton);
  QMouseEvent event(type, QPointF(0, 0), button, type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                    modifiers);
  adapter.handleEvent(&event, x, y);
}

bool near(const osg::Vec3d& a, const osg::Vec3d& b) { return (a - b).length() < 1e-6; }

// The mesh program draws what its preprocessor symbols say, so they must follow every mode change.
bool definesInStep(const ViewerEventAdapter& adapter, osg::Node* data) {
  qvx::viewer::shaders::MeshDisplayModes modes;
  modes.textureMode = adapter.textureMode();
  modes.shadingMode = adapter.shadingMode();
  modes.hasTexture = adapter.hasTexture();
  modes.hasVertexColors = adapter.hasVertexColors();
  modes.polygonModeFill = adapter.isPolygonModeFill();
  for (const auto& [name, value] : qvx::viewer::shaders::meshShaderDefines(modes)) {
    const osg::StateSet::DefinePair* define = data->getStateSet()->getDefinePair(name);
    if (!define || define->first != value) return false;
  }
  return true;
}

}  // namespace

class ViewerEventAdapterTest : public QObject {
  Q_OBJECT

 private:
  std::shared_ptr<MeshTree::DataBase> database_ = std::make_shared<MeshTree::DataBase>();

  // An adapter over a top-down view showing `data` (no scene when null).
  std::unique_ptr<ViewerEventAdapter> makeAdapter(osg::ref_ptr<osg::Node> data = nullptr) {
    auto adapter = std::make_unique<ViewerEventAdapter>(viewertest::makeTopDownView(), database_, nullptr);
    if (data) adapter->setScene(data, new osg::Group, nullptr, vx::me::NoPagedLOD);
    return adapter;
  }

 private slots:
  void constructionReplacesPanelContent() {
    QWidget panel;
    auto* layout = new QVBoxLayout(&panel);
    QPointer<QLabel> previous = new QLabel("previous tool bar");
    layout->addWidget(previous);
    panel.show();
    ViewerEventAdapter adapter(viewertest::makeTopDownView(), database_, &panel);
    QVERIFY(panel.isHidden());
    QTRY_VERIFY(previous.isNull());
  }

  void polygonModeKeyCycles() {
    auto adapter = makeAdapter();
    for (auto expected : {osg::PolygonMode::LINE, osg::PolygonMode::POINT, osg::PolygonMode::FILL}) {
      send(*adapter, QEvent::KeyPress, Qt::Key_W);
      QCOMPARE(adapter->polygonMode(), expected);
      QCOMPARE(adapter->isPolygonModeFill(), expected == osg::PolygonMode::FILL);
    }
    // Only POINT, LINE and FILL are modes; anything else would reach the driver.
    adapter->on_setPolygonMode(osg::PolygonMode::POINT);
    adapter->on_setPolygonMode(1);
    QCOMPARE(adapter->polygonMode(), osg::PolygonMode::POINT);
  }

  void displayModesFollowTheData_data() {
    QTest::addColumn<bool>("textured");
    QTest::addColumn<bool>("colored");
    QTest::addColumn<QString>("textureModes");  // after setScene, then after each T
    QTest::addColumn<int>("shadingMode");
    QTest::newRow("texture and colours") << true << true << "01230" << 1;
    QTest::newRow("texture") << true << false << "0230" << 1;
    QTest::newRow("vertex colours") << false << true << "1231" << 1;
    QTest::newRow("plain") << false << false << "323" << 0;
  }

  void displayModesFollowTheData() {
    QFETCH(bool, textured);
    QFETCH(bool, colored);
    QFETCH(QString, textureModes);
    QFETCH(int, shadingMode);
    auto adapter = makeAdapter();
    adapter->on_setPolygonMode(osg::PolygonMode::LINE);
    osg::ref_ptr<osg::Group> data = makeQuadScene(10, 0, textured, colored);
    adapter->setScene(data, new osg::Group, nullptr, vx::me::NoPagedLOD);
    QCOMPARE(adapter->hasTexture(), textured);
    QCOMPARE(adapter->hasVertexColors(), colored);
    QCOMPARE(adapter->polygonMode(), osg::PolygonMode::FILL);
    QCOMPARE(adapter->shadingMode(), shadingMode);
    QVERIFY(definesInStep(*adapter, data));
    for (int i = 0; i < textureModes.size(); ++i) {
      if (i > 0) send(*adapter, QEvent::KeyPress, Qt::Key_T);
      QCOMPARE(adapter->textureMode(), textureModes[i].digitValue());
      QVERIFY(definesInStep(*adapter, data));
    }
    send(*adapter, QEvent::KeyPress, Qt::Key_L);
    QCOMPARE(adapter->shadingMode(), 1 - shadingMode);
    send(*adapter, QEvent::KeyPress, Qt::Key_W);
    QVERIFY(definesInStep(*adapter, data));
    send(*adapter, QEvent::KeyPress, Qt::Key_L);
    QCOMPARE(adapter->shadingMode(), shadingMode);
    adapter->setShadingMode(2);
    send(*adapter, QEvent::KeyPress, Qt::Key_L);
    QCOMPARE(adapter->shadingMode(), 2);
  }

  // Tiles that are not paged in are read on the thread pool; their findings follow on this
  // thread, and a newer scene overrides an older one still being read.
  void textureFindingsFromFilesFollowTheScene() {
    QTemporaryDir dir;
    osg::ref_ptr<osg::Node> tiles = metest::loadLikeLoader(metest::writeTileSet(dir.filePath("mesh")));
    auto adapter = makeAdapter();
    adapter->setScene(tiles, new osg::Group, nullptr, vx::me::TileMain);
    QVERIFY(!adapter->hasTexture());
    QTRY_VERIFY_WITH_TIMEOUT(adapter->hasTexture(), 60000);
    QCOMPARE(adapter->textureMode(), 0);

    adapter->setScene(tiles, new osg::Group, nullptr, vx::me::TileMain);
    adapter->setScene(makeQuadScene(10, 0, false, true), new osg::Group, nullptr, vx::me::NoPagedLOD);
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
    QVERIFY(!adapter->hasTexture());
    QCOMPARE(adapter->textureMode(), 1);
  }

  // Tile bounds are read in the background: the range reaches the uniforms when they arrive,
  // unless the user has set one, which also survives rebuilds until the user returns to automatic.
  void tileHeightRangeArrivesAfterTheScene() {
    QTemporaryDir folder;
    demo::DemoOptions options;
    options.tiles = 2;
    options.levels = 2;
    demo::writeTiledMesh(QDir(folder.path()).filePath("Mesh").toStdString(), options, false);
    auto database = std::make_shared<MeshTree::DataBase>();
    ViewerEventAdapter adapter(viewertest::makeTopDownView(), database, nullptr);
    adapter.slot_manualHeightValuesChanged(false, -1.0f, -2.0f);
    QSignalSpy loaded(database.get(), &MeshTree::DataBase::signal_loadingDone);
    QSignalSpy range(&adapter, &ViewerEventAdapter::signal_autoMinMaxHeightChanged);
    adapter.on_loadResource(QDir(folder.path()).filePath("Mesh/Mesh.osgb"));
    QVERIFY(loaded.wait(20000));
    const auto rebuild = [&] { adapter.setScene(database->sceneData(), new osg::Group, nullptr, vx::me::TileMain); };
    rebuild();
    QVERIFY(range.count() > 0 || range.wait(20000));
    QTRY_VERIFY(!database->groups().first()->firstItem()->needsTileBounds());
    float low = 0.0f, high = 0.0f;
    QVERIFY(database->heightRange(low, high) && low < high);
    QCOMPARE(range.last().at(0).toFloat(), low);
    QCOMPARE(range.last().at(1).toFloat(), high);
    QCOMPARE(adapter.minHeight(), -1.0f);
    rebuild();
    QCOMPARE(adapter.maxHeight(), -2.0f);

    adapter.slot_manualHeightValuesChanged(true, 0.0f, 0.0f);
    rebuild();
    QCOMPARE(adapter.minHeight(), low);
    QCOMPARE(adapter.maxHeight(), high);
  }

  void setSceneBuildsTheRoot() {
    auto adapter = makeAdapter();
    // Without data or without augments the root stays empty.
    adapter->setScene(nullptr, new osg::Group, nullptr, vx::me::NoPagedLOD);
    QCOMPARE(adapter->sceneRoot()->getNumChildren(), 0u);
    QVERIFY(adapter->view()->getSceneData() == adapter->sceneRoot());
    adapter->setScene(makeQuadScene(10, 0, true), nullptr, nullptr, vx::me::NoPagedLOD);
    QCOMPARE(adapter->sceneRoot()->getNumChildren(), 0u);

    osg::ref_ptr<osg::Group> data = makeQuadScene(10, 0, true);
    osg::ref_ptr<osg::Group> augments = new osg::Group;
    osg::ref_ptr<osg::Group> stations = makeQuadScene(2, 5, false, true);
    adapter->setScene(data, augments, stations, vx::me::NoPagedLOD);
    osg::Group* root = adapter->sceneRoot();
    QCOMPARE(root->getNumChildren(), 3u);
    QVERIFY(root->containsNode(data) && root->containsNode(augments) && root->containsNode(stations));
    QCOMPARE(stations->getNodeMask(), qvx::viewer::kStationNodeMask);
    QCOMPARE(root->getStateSet()->getMode(GL_DEPTH_TEST) & osg::StateAttribute::ON, osg::StateAttribute::ON);
    const std::pair<osg::Node*, QString> programs[] = {
        {data, "meshProgram"}, {augments, "colorProgram"}, {stations, "stationProgram"}};
    for (const auto& [node, program] : programs) {
      QCOMPARE(programName(node), program);
      for (const char* name : {"hasTexture", "hasVertexColors", "lightLevel", "textureMode", "shadingMode",
                               "isPolygonModeFill"})
        QVERIFY2(node->getStateSet()->getUniform(name), name);
    }
    QVERIFY(data->getStateSet()->getUniform("minHeight") && data->getStateSet()->getUniform("maxHeight"));
    QVERIFY(!augments->getStateSet()->getUniform("minHeight") && !stations->getStateSet()->getUniform("maxHeight"));
    // The modes come from the data scene, not from the coloured stations.
    QVERIFY(adapter->hasTexture() && !adapter->hasVertexColors());
  }

  void clicksEmitTheNodesOfThePickedPath() {
    auto adapter = makeAdapter();
    osg::ref_ptr<osg::Group> stations = makeQuadScene(10, 0);
    adapter->setScene(nullptr, nullptr, stations, vx::me::NoPagedLOD);
    std::vector<osg::Node*> nodes;
    connect(adapter.get(), &ViewerEventAdapter::signal_openImageFromCam, this,
            [&](osg::Node* node) { nodes.push_back(node); });
    send(*adapter, QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoModifier, 0.95, 0.95);
    QVERIFY(nodes.empty());
    send(*adapter, QEvent::MouseButtonRelease, Qt::RightButton);
    // Leaf first.
    const osg::NodePath path = qvx::viewer::pickNodePath(adapter->view()->getCamera(), 0.0, 0.0);
    QCOMPARE(nodes, std::vector<osg::Node*>(path.rbegin(), path.rend()));
    QVERIFY(nodes.size() >= 4);
    QVERIFY(nodes.front() == stations->getChild(0));
    QVERIFY(std::find(nodes.begin(), nodes.end(), adapter->sceneRoot()) != nodes.end());

    // Alt + double click picks, a plain double click does not.
    QSignalSpy picked(adapter.get(), &ViewerEventAdapter::signal_pickedNode);
    send(*adapter, QEvent::MouseButtonDblClick, Qt::LeftButton);
    QCOMPARE(picked.count(), 0);
    send(*adapter, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::AltModifier);
    QVERIFY(picked.count() > 0);
  }

  void rotationCentreFollowsTheSurface() {
    auto adapter = makeAdapter(makeQuadScene(50, 3));
    adapter->restoreCamera(osg::Vec3d(0, 0, 100), osg::Vec3d(0, 0, 50), osg::Vec3d(0, 1, 0));
    std::vector<osg::Vec3d> centres;
    connect(adapter.get(), &ViewerEventAdapter::signal_rotationCenterChanged, this,
            [&](osg::Vec3d centre) { centres.push_back(centre); });
    QVERIFY(adapter->updateMousePosition(0.3, 0.3));
    QCOMPARE(centres.size(), size_t(1));
    QVERIFY(near(centres[0], osg::Vec3d(0, 0, 3)));
    QVERIFY(near(adapter->cameraManipulator()->getCenter(), osg::Vec3d(0, 0, 3)));

    // Not while rotating.
    send(*adapter, QEvent::MouseButtonPress, Qt::LeftButton);
    QVERIFY(!adapter->updateMousePosition(0.0, 0.0));
    send(*adapter, QEvent::MouseButtonRelease, Qt::LeftButton);
    QVERIFY(adapter->updateMousePosition(0.0, 0.0));

    // Nothing under the screen centre: the centre stays.
    adapter->view()->getCamera()->setViewMatrixAsLookAt(osg::Vec3d(0, 0, 100), osg::Vec3d(0, 0, 200),
                                                         osg::Vec3d(0, 1, 0));
    const osg::Vec3d before = adapter->cameraManipulator()->getCenter();
    QVERIFY(!adapter->updateMousePosition(0.0, 0.0));
    QCOMPARE(adapter->cameraManipulator()->getCenter(), before);
  }

  void editingViewOverridesAndRestores() {
    auto adapter = makeAdapter(makeQuadScene(10, 0, true));
    adapter->slot_updateVerticalAxisFixed(true);
    QSignalSpy rotation(adapter.get(), &ViewerEventAdapter::signal_rotationIsActive);

    adapter->setEditingView(true);
    QCOMPARE(adapter->textureMode(), 3);
    QCOMPARE(adapter->shadingMode(), 0);
    QVERIFY(!adapter->cameraManipulator()->getVerticalAxisFixed());
    send(*adapter, QEvent::MouseButtonPress, Qt::LeftButton);
    send(*adapter, QEvent::MouseButtonRelease, Qt::LeftButton);
    QCOMPARE(rotation.count(), 0);
    QVERIFY(!adapter->updateMousePosition(0.0, 0.0));

    adapter->setEditingView(false);
    QCOMPARE(adapter->textureMode(), 0);
    QCOMPARE(adapter->shadingMode(), 1);
    QVERIFY(adapter->cameraManipulator()->getVerticalAxisFixed());
    send(*adapter, QEvent::MouseButtonPress, Qt::LeftButton);
    QCOMPARE(rotation.count(), 1);
  }

  void faceNorthLooksFromTheSouth() {
    auto adapter = makeAdapter(makeQuadScene(400, 0));
    osg::Vec3d eye, center, up;
    // Looking straight down the vertical axis cannot be up: north is.
    adapter->faceNorth();
    adapter->readCamera(eye, center, up);
    QVERIFY(near(eye, osg::Vec3d(0, 0, 100)) && near(up, osg::Vec3d(0, 1, 0)));

    adapter->view()->getCamera()->setViewMatrixAsLookAt(osg::Vec3d(60, 80, 50), osg::Vec3d(), osg::Vec3d(0, 0, 1));
    adapter->faceNorth();
    adapter->readCamera(eye, center, up);
    QVERIFY(near(center, osg::Vec3d()));
    QVERIFY(near(eye, osg::Vec3d(0, -100, 50)));
  }
};

QTEST_MAIN(ViewerEventAdapterTest)
#include "ViewerEventAdapterTest.moc"
