#include <QtTest>

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <osg/Geode>
#include <osg/Program>
#include <osgDB/WriteFile>

#include "TestScenes.h"
#include "resources/DataBase.h"
#include "viewer/Picking.h"
#include "viewer/ViewerEventAdapter.h"
#include "viewer/ViewerMath.h"

using qvx::viewer::ViewerEventAdapter;

namespace {

osg::ref_ptr<osg::Group> sceneOf(osg::ref_ptr<osg::Geometry> geometry) {
  osg::ref_ptr<osg::Geode> geode = new osg::Geode;
  geode->addDrawable(geometry);
  osg::ref_ptr<osg::Group> group = new osg::Group;
  group->addChild(geode);
  return group;
}

const osg::Program* programOf(osg::Node* node) {
  const osg::StateSet* stateSet = node->getStateSet();
  return stateSet ? dynamic_cast<const osg::Program*>(stateSet->getAttribute(osg::StateAttribute::PROGRAM)) : nullptr;
}

void pressKey(ViewerEventAdapter& adapter, int key) {
  QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
  adapter.handleEvent(&event, 0.0, 0.0);
}

void releaseMouse(ViewerEventAdapter& adapter, Qt::MouseButton button, double x, double y) {
  QMouseEvent event(QEvent::MouseButtonRelease, QPointF(0, 0), button, Qt::NoButton, Qt::NoModifier);
  adapter.handleEvent(&event, x, y);
}

void pressMouse(ViewerEventAdapter& adapter, Qt::MouseButton button) {
  QMouseEvent event(QEvent::MouseButtonPress, QPointF(0, 0), button, button, Qt::NoModifier);
  adapter.handleEvent(&event, 0.0, 0.0);
}

}  // namespace

class ViewerEventAdapterTest : public QObject {
  Q_OBJECT

 private:
  std::shared_ptr<MeshTree::DataBase> database_ = std::make_shared<MeshTree::DataBase>();

  std::unique_ptr<ViewerEventAdapter> makeAdapter(osg::ref_ptr<osgViewer::View> view) {
    return std::make_unique<ViewerEventAdapter>(view, database_, nullptr);
  }

 private slots:
  void constructionReplacesPanelContent() {
    QWidget panel;
    auto* layout = new QVBoxLayout(&panel);
    QPointer<QLabel> previous = new QLabel("previous tool bar");
    layout->addWidget(previous);
    panel.show();
    ViewerEventAdapter adapter(viewertest::makeTopDownView(100.0), database_, &panel);
    QVERIFY(panel.isHidden());
    QTRY_VERIFY(previous.isNull());
    QCOMPARE(adapter.polygonMode(), osg::PolygonMode::FILL);
    QCOMPARE(adapter.lightLevel(), 1.0f);
    QCOMPARE(adapter.maxHeight(), 500.0f);
    QVERIFY(adapter.view()->getCameraManipulator() == adapter.cameraManipulator());
  }

  void polygonModeKeyCycles() {
    auto view = viewertest::makeTopDownView(100.0);
    auto adapter = makeAdapter(view);
    pressKey(*adapter, Qt::Key_W);
    QCOMPARE(adapter->polygonMode(), osg::PolygonMode::LINE);
    QVERIFY(!adapter->isPolygonModeFill());
    pressKey(*adapter, Qt::Key_W);
    QCOMPARE(adapter->polygonMode(), osg::PolygonMode::POINT);
    pressKey(*adapter, Qt::Key_W);
    QCOMPARE(adapter->polygonMode(), osg::PolygonMode::FILL);
    QVERIFY(adapter->isPolygonModeFill());
    // The mode lives on the camera, above every scene the adapter builds.
    auto* onCamera = dynamic_cast<osg::PolygonMode*>(
        view->getCamera()->getStateSet()->getAttribute(osg::StateAttribute::POLYGONMODE));
    QVERIFY(onCamera);
    QCOMPARE(onCamera->getMode(osg::PolygonMode::FRONT_AND_BACK), osg::PolygonMode::FILL);

    // Only OpenGL's POINT, LINE and FILL are modes; anything else would reach the driver.
    adapter->on_setPolygonMode(osg::PolygonMode::POINT);
    adapter->on_setPolygonMode(1);
    QCOMPARE(adapter->polygonMode(), osg::PolygonMode::POINT);
  }

  void textureAndShadingKeysOnPlainMesh() {
    auto adapter = makeAdapter(viewertest::makeTopDownView(100.0));
    adapter->setScene(sceneOf(viewertest::makeQuad(10, 0, false, false)), new osg::Group, nullptr,
                      vx::me::NoPagedLOD);
    QVERIFY(!adapter->hasTexture());
    QVERIFY(!adapter->hasVertexColors());
    QCOMPARE(adapter->textureMode(), 3);
    QCOMPARE(adapter->shadingMode(), 0);
    pressKey(*adapter, Qt::Key_T);
    QCOMPARE(adapter->textureMode(), 2);
    pressKey(*adapter, Qt::Key_T);
    QCOMPARE(adapter->textureMode(), 3);
    pressKey(*adapter, Qt::Key_T);
    QCOMPARE(adapter->textureMode(), 2);

    pressKey(*adapter, Qt::Key_L);
    QCOMPARE(adapter->shadingMode(), 1);
    pressKey(*adapter, Qt::Key_L);
    QCOMPARE(adapter->shadingMode(), 0);
    adapter->setShadingMode(2);
    pressKey(*adapter, Qt::Key_L);
    QCOMPARE(adapter->shadingMode(), 2);
  }

  void lightSlots() {
    auto adapter = makeAdapter(viewertest::makeTopDownView(100.0));
    adapter->on_setLight(50);
    QVERIFY(adapter->lightLevel() == 1.0f);
    adapter->on_updateLight(25);
    QVERIFY(adapter->lightLevel() == 1.5f);
    adapter->on_setLight(0);
    QVERIFY(adapter->lightLevel() == 0.0f);
  }

  void manualHeightValues() {
    auto adapter = makeAdapter(viewertest::makeTopDownView(100.0));
    adapter->slot_manualHeightValuesChanged(true, 10.0f, 20.0f);
    QCOMPARE(adapter->minHeight(), 0.0f);
    QCOMPARE(adapter->maxHeight(), 500.0f);
    adapter->slot_manualHeightValuesChanged(false, 10.0f, 20.0f);
    QCOMPARE(adapter->minHeight(), 10.0f);
    QCOMPARE(adapter->maxHeight(), 20.0f);
  }

  void heightRangeFollowsTheDataUntilSetByHand() {
    QTemporaryDir folder;
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(viewertest::makeQuad(10, 7, false, false));
    geode->addDrawable(viewertest::makeQuad(10, 19, false, false));
    const QString file = QDir(folder.path()).filePath("terrain.osgb");
    QVERIFY(osgDB::writeNodeFile(*geode, file.toStdString()));

    auto database = std::make_shared<MeshTree::DataBase>();
    QSignalSpy loaded(database.get(), &MeshTree::DataBase::signal_loadingDone);
    ViewerEventAdapter adapter(viewertest::makeTopDownView(100.0), database, nullptr);
    adapter.on_loadResource(file);
    QVERIFY(loaded.wait(20000));

    QSignalSpy range(&adapter, &ViewerEventAdapter::signal_autoMinMaxHeightChanged);
    adapter.setScene(database->sceneData(), new osg::Group, nullptr, vx::me::NoPagedLOD);
    QCOMPARE(range.count(), 1);
    QCOMPARE(range.at(0).at(0).toFloat(), 7.0f);
    QCOMPARE(range.at(0).at(1).toFloat(), 19.0f);
    QCOMPARE(adapter.minHeight(), 7.0f);
    QCOMPARE(adapter.maxHeight(), 19.0f);

    // Values set by hand survive scene rebuilds until the user returns to automatic.
    adapter.slot_manualHeightValuesChanged(false, 0.0f, 100.0f);
    adapter.setScene(database->sceneData(), new osg::Group, nullptr, vx::me::NoPagedLOD);
    QCOMPARE(range.count(), 2);
    QCOMPARE(adapter.maxHeight(), 100.0f);
    adapter.slot_manualHeightValuesChanged(true, 0.0f, 100.0f);
    QCOMPARE(adapter.maxHeight(), 100.0f);
    adapter.setScene(database->sceneData(), new osg::Group, nullptr, vx::me::NoPagedLOD);
    QCOMPARE(adapter.minHeight(), 7.0f);
    QCOMPARE(adapter.maxHeight(), 19.0f);
  }

  void sceneNeedsDataAndAugments() {
    auto view = viewertest::makeTopDownView(100.0);
    auto adapter = makeAdapter(view);
    adapter->setScene(nullptr, new osg::Group, nullptr, vx::me::NoPagedLOD);
    QVERIFY(adapter->sceneRoot());
    QCOMPARE(adapter->sceneRoot()->getNumChildren(), 0u);
    QVERIFY(view->getSceneData() == adapter->sceneRoot());

    adapter->setScene(sceneOf(viewertest::makeQuad(10, 0, true, false)), nullptr, nullptr, vx::me::NoPagedLOD);
    QCOMPARE(adapter->sceneRoot()->getNumChildren(), 0u);
  }

  void sceneGetsProgramsAndUniforms() {
    auto adapter = makeAdapter(viewertest::makeTopDownView(100.0));
    osg::ref_ptr<osg::Group> data = sceneOf(viewertest::makeQuad(10, 0, true, false));
    osg::ref_ptr<osg::Group> augments = new osg::Group;
    osg::ref_ptr<osg::Group> stations = sceneOf(viewertest::makeQuad(2, 5, false, true));
    adapter->setScene(data, augments, stations, vx::me::NoPagedLOD);

    osg::Group* root = adapter->sceneRoot();
    QCOMPARE(root->getNumChildren(), 3u);
    QVERIFY(root->containsNode(data) && root->containsNode(augments) && root->containsNode(stations));
    QCOMPARE(stations->getNodeMask(), qvx::viewer::kStationNodeMask);
    QCOMPARE(root->getStateSet()->getMode(GL_DEPTH_TEST) & osg::StateAttribute::ON, osg::StateAttribute::ON);

    QCOMPARE(QString::fromStdString(programOf(data)->getName()), QString("meshProgram"));
    QCOMPARE(QString::fromStdString(programOf(augments)->getName()), QString("colorProgram"));
    QCOMPARE(QString::fromStdString(programOf(stations)->getName()), QString("stationProgram"));

    for (const char* name : {"hasTexture", "hasVertexColors", "lightLevel", "textureMode", "shadingMode",
                             "isPolygonModeFill"}) {
      QVERIFY2(data->getStateSet()->getUniform(name), name);
      QVERIFY2(augments->getStateSet()->getUniform(name), name);
      QVERIFY2(stations->getStateSet()->getUniform(name), name);
    }
    QVERIFY(data->getStateSet()->getUniform("minHeight"));
    QVERIFY(data->getStateSet()->getUniform("maxHeight"));
    QVERIFY(!augments->getStateSet()->getUniform("minHeight"));
    QVERIFY(!stations->getStateSet()->getUniform("maxHeight"));

    // The data scene was analysed last: a texture, no vertex colours.
    QVERIFY(adapter->hasTexture());
    QVERIFY(!adapter->hasVertexColors());
    QCOMPARE(adapter->textureMode(), 0);
    QCOMPARE(adapter->shadingMode(), 1);
  }

  void defaultModesAfterScene_data() {
    QTest::addColumn<bool>("textured");
    QTest::addColumn<bool>("colored");
    QTest::addColumn<int>("textureMode");
    QTest::addColumn<int>("shadingMode");
    QTest::newRow("texture") << true << true << 0 << 1;
    QTest::newRow("vertex colours") << false << true << 1 << 1;
    QTest::newRow("plain") << false << false << 3 << 0;
  }

  void defaultModesAfterScene() {
    QFETCH(bool, textured);
    QFETCH(bool, colored);
    auto adapter = makeAdapter(viewertest::makeTopDownView(100.0));
    adapter->on_setPolygonMode(osg::PolygonMode::LINE);
    adapter->setScene(sceneOf(viewertest::makeQuad(10, 0, textured, colored)), new osg::Group, nullptr,
                      vx::me::NoPagedLOD);
    QTEST(adapter->textureMode(), "textureMode");
    QTEST(adapter->shadingMode(), "shadingMode");
    QCOMPARE(adapter->polygonMode(), osg::PolygonMode::FILL);
  }

  void rightClickOnBackgroundEmitsNothing() {
    auto adapter = makeAdapter(viewertest::makeTopDownView(100.0));
    adapter->setScene(sceneOf(viewertest::makeQuad(10, 0, false, false)), new osg::Group, nullptr,
                      vx::me::NoPagedLOD);
    int emitted = 0;
    connect(adapter.get(), &ViewerEventAdapter::signal_openImageFromCam, this, [&](osg::Node*) { ++emitted; });
    releaseMouse(*adapter, Qt::RightButton, 0.95, 0.95);
    QCOMPARE(emitted, 0);
  }

  void rightClickOnGeometryEmitsEveryNodeOfThePath() {
    auto adapter = makeAdapter(viewertest::makeTopDownView(100.0));
    osg::ref_ptr<osg::Geometry> quad = viewertest::makeQuad(10, 0, false, false);
    osg::ref_ptr<osg::Group> stations = sceneOf(quad);
    adapter->setScene(nullptr, nullptr, stations, vx::me::NoPagedLOD);
    std::vector<osg::Node*> nodes;
    connect(adapter.get(), &ViewerEventAdapter::signal_openImageFromCam, this,
            [&](osg::Node* node) { nodes.push_back(node); });
    releaseMouse(*adapter, Qt::RightButton, 0.0, 0.0);
    // Leaf first, every node of the hit path.
    const osg::NodePath path = qvx::viewer::pickNodePath(adapter->view()->getCamera(), 0.0, 0.0);
    QCOMPARE(nodes, std::vector<osg::Node*>(path.rbegin(), path.rend()));
    QVERIFY(nodes.size() >= 4);
    QVERIFY(nodes.front() == stations->getChild(0));
    QVERIFY(std::find(nodes.begin(), nodes.end(), stations.get()) != nodes.end());
    QVERIFY(std::find(nodes.begin(), nodes.end(), adapter->sceneRoot()) != nodes.end());
  }

  void altDoubleClickPicksNodes() {
    auto adapter = makeAdapter(viewertest::makeTopDownView(100.0));
    adapter->setScene(sceneOf(viewertest::makeQuad(10, 0, false, false)), new osg::Group, nullptr,
                      vx::me::NoPagedLOD);
    int picked = 0;
    connect(adapter.get(), &ViewerEventAdapter::signal_pickedNode, this, [&](osg::Node*) { ++picked; });
    QMouseEvent plain(QEvent::MouseButtonDblClick, QPointF(0, 0), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    adapter->handleEvent(&plain, 0.0, 0.0);
    QCOMPARE(picked, 0);
    QMouseEvent alt(QEvent::MouseButtonDblClick, QPointF(0, 0), Qt::LeftButton, Qt::LeftButton, Qt::AltModifier);
    adapter->handleEvent(&alt, 0.0, 0.0);
    QVERIFY(picked > 0);
  }

  void rotationCentreFollowsTheSurface() {
    auto adapter = makeAdapter(viewertest::makeTopDownView(100.0));
    adapter->setScene(sceneOf(viewertest::makeQuad(50, 3, false, false)), new osg::Group, nullptr,
                      vx::me::NoPagedLOD);
    adapter->restoreCamera(osg::Vec3d(0, 0, 100), osg::Vec3d(0, 0, 50), osg::Vec3d(0, 1, 0));
    std::vector<osg::Vec3d> centres;
    connect(adapter.get(), &ViewerEventAdapter::signal_rotationCenterChanged, this,
            [&](osg::Vec3d centre) { centres.push_back(centre); });

    QVERIFY(adapter->updateMousePosition(0.3, 0.3));
    QCOMPARE(centres.size(), size_t(1));
    QVERIFY((centres[0] - osg::Vec3d(0, 0, 3)).length() < 1e-6);
    QVERIFY((adapter->cameraManipulator()->getCenter() - osg::Vec3d(0, 0, 3)).length() < 1e-6);

    // Not while rotating.
    pressMouse(*adapter, Qt::LeftButton);
    QVERIFY(!adapter->updateMousePosition(0.0, 0.0));
    releaseMouse(*adapter, Qt::LeftButton, 0.0, 0.0);
    QVERIFY(adapter->updateMousePosition(0.0, 0.0));

    // Nothing under the screen centre: the centre stays.
    adapter->view()->getCamera()->setViewMatrixAsLookAt(osg::Vec3d(0, 0, 100), osg::Vec3d(0, 0, 200),
                                                         osg::Vec3d(0, 1, 0));
    const osg::Vec3d before = adapter->cameraManipulator()->getCenter();
    QVERIFY(!adapter->updateMousePosition(0.0, 0.0));
    QCOMPARE(adapter->cameraManipulator()->getCenter(), before);
  }

  void editingViewOverridesAndRestores() {
    auto adapter = makeAdapter(viewertest::makeTopDownView(100.0));
    adapter->setScene(sceneOf(viewertest::makeQuad(10, 0, true, false)), new osg::Group, nullptr,
                      vx::me::NoPagedLOD);
    adapter->slot_updateVerticalAxisFixed(true);
    QVERIFY(adapter->cameraManipulator()->getVerticalAxisFixed());
    int rotationSignals = 0;
    connect(adapter.get(), &ViewerEventAdapter::signal_rotationIsActive, this, [&](bool) { ++rotationSignals; });

    adapter->setEditingView(true);
    QCOMPARE(adapter->textureMode(), 3);
    QCOMPARE(adapter->shadingMode(), 0);
    QVERIFY(!adapter->cameraManipulator()->getVerticalAxisFixed());
    pressMouse(*adapter, Qt::LeftButton);
    releaseMouse(*adapter, Qt::LeftButton, 0.0, 0.0);
    QCOMPARE(rotationSignals, 0);
    QVERIFY(!adapter->updateMousePosition(0.0, 0.0));

    adapter->setEditingView(false);
    QCOMPARE(adapter->textureMode(), 0);
    QCOMPARE(adapter->shadingMode(), 1);
    QVERIFY(adapter->cameraManipulator()->getVerticalAxisFixed());
    pressMouse(*adapter, Qt::LeftButton);
    QCOMPARE(rotationSignals, 1);
  }

  void faceNorthLooksFromTheSouth() {
    auto view = viewertest::makeTopDownView(100.0);
    auto adapter = makeAdapter(view);
    adapter->setScene(sceneOf(viewertest::makeQuad(400, 0, false, false)), new osg::Group, nullptr,
                      vx::me::NoPagedLOD);
    view->getCamera()->setViewMatrixAsLookAt(osg::Vec3d(60, 80, 50), osg::Vec3d(0, 0, 0), osg::Vec3d(0, 0, 1));
    adapter->faceNorth();
    osg::Vec3d eye, center, up;
    adapter->readCamera(eye, center, up);
    QVERIFY(center.length() < 1e-6);
    QVERIFY((eye - osg::Vec3d(0, -100, 50)).length() < 1e-6);
  }

  void storedViewMatrix() {
    auto adapter = makeAdapter(viewertest::makeTopDownView(100.0));
    const osg::Vec3d eye(0, 0, 100);
    adapter->restoreCamera(eye, osg::Vec3d(0, 0, 0), osg::Vec3d(0, 1, 0));
    adapter->restoreManipulator(std::nullopt);
    osg::Vec3d before, centre, up;
    adapter->readCamera(before, centre, up);
    QCOMPARE(before, eye);

    const osg::Matrixd view = osg::Matrixd::lookAt(osg::Vec3d(10, -40, 30), osg::Vec3d(0, 0, 0), osg::Vec3d(0, 0, 1));
    adapter->restoreManipulator(view);
    osg::Vec3d after;
    adapter->readCamera(after, centre, up);
    QVERIFY((after - osg::Vec3d(10, -40, 30)).length() < 1e-6);
    QVERIFY(adapter->view()->getCameraManipulator() == adapter->cameraManipulator());
  }

  void baseOperationsOfThePlainViewer() {
    auto adapter = makeAdapter(viewertest::makeTopDownView(100.0));
    QVERIFY(!adapter->checkEditMode());
    QVERIFY(!adapter->editsSaved());
    bool continued = false;
    QVERIFY(adapter->requestClose([&] { continued = true; }));
    QVERIFY(!continued);
  }
};

QTEST_MAIN(ViewerEventAdapterTest)
#include "ViewerEventAdapterTest.moc"
