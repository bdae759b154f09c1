#include "demo/DemoProject.h"
#include "img/images/Images.h"
#include "resources/DataBase.h"
#include "shell/MeshViewer.h"
#include "tests/shell/ShownMainWindow.h"
#include "tools/inputs/RangeSelector.h"
#include "viewer/MeshViewerCanvas.h"
#include "viewer/ViewerEventAdapter.h"

#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
void enter(QDoubleSpinBox* box, double value) {
  box->setFocus();
  box->selectAll();
  QTest::keyClicks(box, QString::number(value, 'f', 2));
  QTest::keyClick(box, Qt::Key_Return);
}
}  // namespace

// The title bar's height range selector and the height colouring of the viewer.
class HeightRangeTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString meshFile_;

 private slots:
  void initTestCase() {
    vexaInitImages();
    demo::DemoOptions options;
    options.tiles = 2;
    options.levels = 2;
    demo::writeTiledMesh(dir_.filePath("Mesh").toStdString(), options, false);
    meshFile_ = dir_.filePath("Mesh/Mesh.osgb");
  }

  void colouringRangeFollowsTheSelector() {
    const std::unique_ptr<MeshViewer> shown = shelltest::showMainWindow(1400, 700);
    QVERIFY(shown);
    MeshViewer& viewer = *shown;
    auto* selector = viewer.findChild<RangeSelector*>("heightRangeSelector");
    QVERIFY(selector);
    QVERIFY(selector->isAuto());

    QSignalSpy done(&viewer, &MeshViewer::signal_loadingDone);
    viewer.on_loadResource(meshFile_);
    QVERIFY(done.wait(30000));
    // The tiles' bounds arrive in the background and become the selector's total range.
    float low = 0.0f, high = 0.0f;
    QTRY_VERIFY_WITH_TIMEOUT(viewer.database()->heightRange(low, high), 20000);
    QVERIFY(low < high);
    QTRY_COMPARE(float(selector->selection().totalMin()), low);
    QCOMPARE(float(selector->selection().totalMax()), high);
    QCOMPARE(viewer.adapter()->minHeight(), low);
    QCOMPARE(viewer.adapter()->maxHeight(), high);

    // By hand: the colouring takes the selection.
    QTest::mouseClick(selector->findChild<QPushButton*>("buttonAuto"), Qt::LeftButton);
    const double lo = std::ceil(low + (high - low) * 0.25);
    const double hi = std::floor(high - (high - low) * 0.25);
    enter(selector->findChild<QDoubleSpinBox*>("spinSelectedMin"), lo);
    enter(selector->findChild<QDoubleSpinBox*>("spinSelectedMax"), hi);
    QCOMPARE(viewer.adapter()->minHeight(), float(lo));
    QCOMPARE(viewer.adapter()->maxHeight(), float(hi));
    // Rebuilding the scene keeps the range set by hand.
    QVERIFY(QMetaObject::invokeMethod(&viewer, "on_update", Q_ARG(bool, false)));
    QCOMPARE(viewer.adapter()->minHeight(), float(lo));

    // Back to automatic: the data's range again.
    QTest::mouseClick(selector->findChild<QPushButton*>("buttonAuto"), Qt::LeftButton);
    QCOMPARE(viewer.adapter()->minHeight(), low);
    QCOMPARE(viewer.adapter()->maxHeight(), high);
    QVERIFY(QMetaObject::invokeMethod(&viewer, "on_update", Q_ARG(bool, false)));
    QCOMPARE(viewer.adapter()->maxHeight(), high);
  }
};

QTEST_MAIN(HeightRangeTest)
#include "HeightRangeTest.moc"
