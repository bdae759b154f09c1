#include "demo/DemoProject.h"
#include "img/images/Images.h"
#include "resources/DataBase.h"
#include "resources/MeshTree.h"
#include "resources/MeshTreeGroup.h"
#include "shell/MeshSuffixes.h"
#include "shell/MeshViewer.h"
#include "tests/shell/ShownMainWindow.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tools/run/BusyScreen.h"
#include "viewer/MeshViewerCanvas.h"
#include "viewer/ViewerControlPanel.h"
#include "viewer/ViewerEventAdapter.h"
#include "vx/VEXAProject.h"

#include <QCheckBox>
#include <QGLContext>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QToolButton>
#include <QtTest>

#include <memory>
#include <set>

class MeshViewerTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString projectFile_;
  QString meshFile_;
  std::unique_ptr<MeshViewer> viewer_;

  QCheckBox* editModeBox() const { return viewer_->findChild<QCheckBox*>("checkboxEditMode"); }

  void openDemoProject() { QVERIFY(shelltest::openProject(*viewer_, projectFile_)); }

 private slots:
  void initTestCase() {
    vexaInitImages();
    projectFile_ = shelltest::writeSmallDemo(dir_.path(), 4);
    meshFile_ = dir_.filePath("project/Results/DSM_Mesh/Mesh.osgb");
  }

  void init() {
    viewer_ = shelltest::showMainWindow();
    QVERIFY(viewer_);
  }

  void cleanup() { viewer_.reset(); }

  void aMissingProjectFileOpensNothingAndEditModeIsRefused() {
    MessageBoxWatcher boxes;
    const QString missing = dir_.filePath("nowhere/Project.vpr");
    viewer_->slot_loadVEXAProject(missing);
    QVERIFY(!viewer_->project());
    QTest::mouseClick(editModeBox(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QStringList({"File " + missing + " does not exist.",
                                         "Cannot enter edit mode without a valid project - please load a VEXA project."}));
    QVERIFY(!editModeBox()->isChecked());
    QVERIFY(!viewer_->adapter()->isEditingView());
  }

  // The project file and databases are read off the GUI thread; the project applies when they are.
  // A damaged database does not stop the project, but is named.
  void projectsOpenInTheBackgroundAndNameDamagedDatabases() {
    QTemporaryDir dir;
    vx::VEXAProject saved;
    saved.saveProjectFile(dir.filePath("Project.vpr").toStdString());
    QVERIFY(QDir(dir.path()).mkpath("Internal"));
    for (const char* name : {"Internal/resources.vxdb", "Internal/chronicle.vxdb"}) {
      QFile file(dir.filePath(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("not a database at all");
    }
    MessageBoxWatcher boxes;
    QSignalSpy errors(viewer_.get(), &MeshViewer::signal_error);
    viewer_->slot_loadVEXAProject(dir.filePath("Project.vpr"));
    QVERIFY(!viewer_->project());
    QVERIFY(errors.wait(30000));
    QVERIFY(viewer_->project());
    const QString restore = " is not an SQLite database. Restore it from a backup of the project, or run the "
                            "processing again to rewrite it.";
    QCOMPARE(errors[0][0].toString(), "The project database " + dir.filePath("Internal/resources.vxdb") + restore +
                                          "\n\nThe project database " + dir.filePath("Internal/chronicle.vxdb") + restore);
  }

  void cancelDropsTheProjectBeingOpened() {
    QSignalSpy done(viewer_.get(), &MeshViewer::signal_loadingDone);
    viewer_->slot_loadVEXAProject(projectFile_);
    auto* busy = viewer_->findChild<BusyScreen*>();
    QVERIFY(busy && busy->isVisible());
    QTest::mouseClick(busy->findChild<QPushButton*>("buttonCancel"), Qt::LeftButton);
    QVERIFY(!busy->isVisible());
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QVERIFY(!done.wait(300));
    QVERIFY(!viewer_->project());
    QVERIFY(viewer_->tree()->groups().isEmpty());
    // The next opening is not held up by the dropped one.
    openDemoProject();
    QVERIFY(viewer_->project());
  }

  void dropsTakeTheSharedMeshSuffixes() { QCOMPARE(viewer_->meshExtensions(), qvx::meshSuffixes()); }

  void loadingAFileTwiceReachesTheMainWindowAsAnError() {
    QSignalSpy errors(viewer_.get(), &MeshViewer::signal_error);
    QSignalSpy done(viewer_.get(), &MeshViewer::signal_loadingDone);
    viewer_->on_loadResource(meshFile_);
    QVERIFY(done.wait(30000));
    viewer_->on_loadResource(meshFile_);
    QVERIFY(done.wait(30000));
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0][0].toString().startsWith("Can't load file twice, since the requested file is already loaded:\n"));
    QCOMPARE(viewer_->tree()->groups().size(), 1);

    viewer_->on_clearMeshResources();
    QVERIFY(viewer_->tree()->groups().isEmpty());
  }

  void viewerModesEnableTheViewButtons() {
    auto* zoomIn = viewer_->findChild<QToolButton*>("ButtonZoomIn");
    auto* wireframe = viewer_->findChild<QToolButton*>("buttonWireframe");
    auto* filled = viewer_->findChild<QToolButton*>("buttonFilled");
    viewer_->setViewerMode(0);
    QVERIFY(!zoomIn->isEnabled());
    QVERIFY(!wireframe->isEnabled());
    QVERIFY(filled->isChecked());
    viewer_->setViewerMode(1);
    QVERIFY(zoomIn->isEnabled());
    QTest::mouseClick(wireframe, Qt::LeftButton);
    QCOMPARE(viewer_->adapter()->polygonMode(), osg::PolygonMode::LINE);
    QVERIFY(!filled->isChecked());
  }

  void toolbarButtonsShowTheViewState() {
    auto* panelButton = viewer_->findChild<QToolButton*>("buttonPanel");
    QWidget* panel = viewer_->findChild<QWidget*>("sidepanel");
    QVERIFY(panel->isVisible());
    QVERIFY(panelButton->isChecked());
    QTest::mouseClick(panelButton, Qt::LeftButton);
    QVERIFY(!panel->isVisible());
    QVERIFY(!panelButton->isChecked());

    // W cycles solid, wireframe, points; the exclusive buttons follow.
    auto* filled = viewer_->findChild<QToolButton*>("buttonFilled");
    auto* wireframe = viewer_->findChild<QToolButton*>("buttonWireframe");
    auto* points = viewer_->findChild<QToolButton*>("buttonPoint");
    for (QToolButton* expected : {wireframe, points, filled}) {
      QTest::keyClick(viewer_->canvas(), Qt::Key_W);
      QVERIFY2(expected->isChecked(), qPrintable(expected->objectName()));
    }
    QCOMPARE(viewer_->adapter()->polygonMode(), osg::PolygonMode::FILL);
  }

  void withoutARendererNeitherMeshesNorProjectsAreOpened() {
    MeshViewer hidden;
    // A context that could not be made stands for a machine without OpenGL; it is made again
    // before the canvas goes, whose destructor needs it.
    struct WithoutContext {
      QGLContext* context;
      ~WithoutContext() { context->create(); }
    } withoutContext{const_cast<QGLContext*>(hidden.canvas()->context())};
    withoutContext.context->reset();
    QVERIFY(!hidden.canvas()->hasRenderer());
    QSignalSpy busy(hidden.database(), &MeshTree::DataBase::signal_busy);
    MessageBoxWatcher boxes;
    hidden.on_loadResource(meshFile_);
    hidden.slot_loadVEXAProject(projectFile_);
    const QString refusal = "Cannot load resource: No OpenGL renderer available.";
    QCOMPARE(boxes.texts(), QStringList({refusal, refusal}));
    QVERIFY(!hidden.project());
    QCOMPARE(busy.count(), 0);
  }

  void plusAndMinusMoveTheLightSlider() {
    QSlider* slider = viewer_->findChild<qvx::viewer::ViewerControlPanel*>()->lightSlider();
    const int start = slider->value();
    emit viewer_->canvas()->signal_shortcut(Qt::Key_Plus);
    QCOMPARE(slider->value(), start + 5);
    QCOMPARE(viewer_->adapter()->lightLevel(), float(start + 5) / 50.0f);
    emit viewer_->canvas()->signal_shortcut(Qt::Key_Minus);
    emit viewer_->canvas()->signal_shortcut(Qt::Key_Minus);
    QCOMPARE(slider->value(), start - 5);
  }

  void openingAProjectDrawsItsCurrentMeshTexturedAndAllowsEditMode() {
    openDemoProject();
    QVERIFY(viewer_->project());
    const QList<MeshTree::Group*> groups = viewer_->tree()->groups();
    QCOMPARE(groups.size(), 1);
    QCOMPARE(groups[0]->name(), QString("Mesh.osgb"));
    QCOMPARE(groups[0]->items().size(), 4);

    // The home view of the mesh alone, without the camera stations high above it.
    viewer_->slot_clearCameras();
    viewer_->canvas()->on_zoomReset();
    QTRY_VERIFY_WITH_TIMEOUT(viewer_->isSceneIdle(), 60000);
    viewer_->canvas()->on_paint();
    const QImage frame = viewer_->canvas()->grabFrameBuffer();
    const QRgb background = frame.pixel(2, 2);
    int meshPixels = 0, samples = 0;
    std::set<QRgb> colours;
    for (int y = 0; y < frame.height(); y += 4)
      for (int x = 0; x < frame.width(); x += 4, ++samples)
        if (frame.pixel(x, y) != background) {
          ++meshPixels;
          colours.insert(frame.pixel(x, y));
        }
    QVERIFY2(meshPixels > samples / 4, "the mesh covers too little of the view");
    QVERIFY2(colours.size() > 200, "the mesh is not textured");

    QTest::mouseClick(editModeBox(), Qt::LeftButton);
    QVERIFY(editModeBox()->isChecked());
    QVERIFY(viewer_->adapter()->isEditingView());
    QTest::mouseClick(editModeBox(), Qt::LeftButton);
    QVERIFY(!viewer_->adapter()->isEditingView());
  }
};

QTEST_MAIN(MeshViewerTest)
#include "MeshViewerTest.moc"
