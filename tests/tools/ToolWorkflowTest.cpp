#include <QApplication>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QtTest>


#include <atomic>
#include <memory>
#include <stdexcept>

#include "dialogs/MessageDialogs.h"
#include "tests/platform/vx/TestProjects.h"
#include "img/images/Images.h"
#include "tools/run/BusyScreen.h"
#include "tools/run/ProgressMonitor.h"
#include "tools/ToolBase.h"
#include "tools/ToolBaseModuleWorkflow.h"
#include "tools/inputs/DataInputField.h"
#include "tools/WorkflowProgress.h"
#include "tools/inputs/DataInputFolder.h"
#include "tools/run/TextTerminal.h"
#include "vx/VEXAProject.h"

using qvx::tool::ProcessingFrame;
using qvx::tool::ToolBase;

namespace {

// A module row whose run is steered by the test: it returns `code`, or waits until released or
// cancelled.
class ScriptedFrame : public ProcessingFrame {
 public:
  ScriptedFrame(const QString& title, int step, int code, bool waits = false)
      : ProcessingFrame(title), m_step(step), m_code(code), m_waits(waits) {}

  void start() override {
    ++starts;
    if (!isChecked()) {
      finishAtOnce(0);
      return;
    }
    startJob([this] {
      while (m_waits && !m_released.tryAcquire(1, 5)) {
        if (m_cancelled) return 1;
      }
      return m_code;
    });
  }
  int processingStep() const override { return m_step; }
  void checkInputs() override {
    if (!inputError.isEmpty()) throw std::runtime_error(inputError.toStdString());
  }
  void cancel() override { m_cancelled = true; }
  void release() { m_released.release(); }
  void uncheck() { findChild<QCheckBox*>()->setChecked(false); }

  int starts = 0;
  QString inputError;

 private:
  int m_step;
  int m_code;
  bool m_waits;
  QSemaphore m_released;
  std::atomic<bool> m_cancelled{false};
};

// The base window with an output folder and a prepareRun the test can make fail.
class TestTool : public ToolBase {
 public:
  explicit TestTool(const QString& output) {
    outputField()->setData(output);
    setState(Idle);
  }
  void prepareRun() override {
    if (failuresLeft > 0) {
      --failuresLeft;
      throw std::runtime_error(failure.toStdString());
    }
  }
  int failuresLeft = 0;
  QString failure;
};

using testprojects::writeText;

}  // namespace

class ToolWorkflowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    vexaInitImages();
    qvx::setUnattended(true);  // error boxes go to standard error
  }

  void overallProgressIsTheWeightedSum() {
    // DSM 10, True Ortho 10, DSM Mesh 10 and a row without a step.
    const std::vector<float> weights{10, 10, 10, 0};
    QCOMPARE(qvx::tool::overallProgress(weights, 0, 0), 0);
    QCOMPARE(qvx::tool::overallProgress(weights, 0, 50), 17);  // ceil(1/3 * 50)
    QCOMPARE(qvx::tool::overallProgress(weights, 1, 0), 34);   // ceil(1/3 * 100)
    QCOMPARE(qvx::tool::overallProgress(weights, 2, 100), 34 + 67);
    QCOMPARE(qvx::tool::overallProgress(weights, 3, 40), 100);
    QCOMPARE(qvx::tool::overallProgress({0, 0}, 1, 40), 40);  // no weights: the module's own share
    QCOMPARE(qvx::tool::outputFolderName("VEXA-", QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)), false),
             QString("VEXA-26-03-04"));
    QCOMPARE(qvx::tool::outputFolderName("VEXA-", QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)), true),
             QString("VEXA-26-03-04-05-06-07"));
  }

  void modulesRunInOrderAndReportWeightedProgress() {
    QTemporaryDir dir;
    TestTool tool(dir.path());
    auto dsm = std::make_shared<ScriptedFrame>("DSM", vx::steps::DSM, 0, true);
    auto skipped = std::make_shared<ScriptedFrame>("True Ortho", vx::steps::TrueOrtho, 0);
    auto mesh = std::make_shared<ScriptedFrame>("DSM Mesh", vx::steps::DSMMesh, 0, true);
    skipped->uncheck();
    for (const auto& row : {dsm, skipped, mesh}) tool.addModule(row);
    QSignalSpy progress(&tool, &ToolBase::signal_progress);
    QSignalSpy ended(&tool, &ToolBase::signal_processingEnd);

    tool.slot_start();
    QCOMPARE(tool.state(), int(ToolBase::Running));
    QCOMPARE(dsm->starts, 1);
    QVERIFY(!tool.outputField()->isEnabled());
    tool.slot_progress(50, 12, 1400);  // not a module's main progress
    QCOMPARE(progress.count(), 0);
    tool.slot_progress(50, 12, 1000);
    QCOMPARE(progress.takeFirst(), QVariantList({17, 12, 1000}));
    dsm->release();
    // The unchecked row ends at once with 0; the third starts.
    QTRY_COMPARE(mesh->starts, 1);
    QCOMPARE(skipped->starts, 1);
    tool.slot_progress(0, 5, 1000);
    QCOMPARE(progress.takeFirst(), QVariantList({67, 5, 1000}));
    mesh->release();
    QVERIFY(ended.wait());
    QCOMPARE(tool.state(), int(ToolBase::Idle));
    QCOMPARE(progress.last(), QVariantList({100, 0, 0}));
    QVERIFY(tool.outputField()->isEnabled());
    QVERIFY(dsm->isEnabled() && mesh->isEnabled());
  }

  void aFailingModuleEndsTheWorkflow() {
    QTemporaryDir dir;
    TestTool tool(dir.path());
    auto first = std::make_shared<ScriptedFrame>("DSM", vx::steps::DSM, 3);
    auto second = std::make_shared<ScriptedFrame>("DSM Mesh", vx::steps::DSMMesh, 0);
    tool.addModule(first);
    tool.addModule(second);
    QSignalSpy ended(&tool, &ToolBase::signal_processingEnd);
    tool.slot_start();
    QVERIFY(ended.wait());
    QCOMPARE(second->starts, 0);
    QCOMPARE(tool.state(), int(ToolBase::Idle));
    QCOMPARE(first->palette().color(QPalette::Window), QColor(255, 0, 0, 40));

    // An input check that fails stops the start before any module runs.
    second->inputError = "Orientation input must be a folder.";
    tool.slot_start();
    QCOMPARE(first->starts, 1);
    QCOMPARE(tool.state(), int(ToolBase::Idle));
  }

  void cancelEndsTheRunThroughTheModulesOwnFinish() {
    QTemporaryDir dir;
    TestTool tool(dir.path());
    auto row = std::make_shared<ScriptedFrame>("DSM", vx::steps::DSM, 0, true);
    auto after = std::make_shared<ScriptedFrame>("DSM Mesh", vx::steps::DSMMesh, 0);
    tool.addModule(row);
    tool.addModule(after);
    QSignalSpy ended(&tool, &ToolBase::signal_processingEnd);
    tool.slot_start();
    tool.slot_cancel();
    QVERIFY(tool.busyScreen()->isVisible());
    QCOMPARE(tool.busyScreen()->msg(), QString("Cancelling Process"));
    QVERIFY(ended.wait());
    QCOMPARE(after->starts, 0);
    QVERIFY(!tool.busyScreen()->isVisible());
    QVERIFY(tool.isEnabled());
    QVERIFY(!QApplication::overrideCursor());
    tool.slot_cancel();  // nothing runs: nothing to show
    QVERIFY(!tool.busyScreen()->isVisible());
  }

  void closingWhileRunningClosesAfterTheRun() {
    QTemporaryDir dir;
    TestTool tool(dir.path());
    auto row = std::make_shared<ScriptedFrame>("DSM", vx::steps::DSM, 0, true);
    tool.addModule(row);
    tool.show();
    QSignalSpy closing(&tool, qOverload<QString>(&ToolBase::signal_closing));
    tool.slot_start();
    QVERIFY(!tool.close());
    QVERIFY(tool.isVisible() && tool.isClosePending());
    QVERIFY(closing.wait());
    QTRY_VERIFY(!tool.isVisible());
    QCOMPARE(closing.first().first().toString(), tool.outputField()->value());
  }

  void pathConversionErrorsAreRetried() {
    QTemporaryDir dir;
    TestTool tool(dir.path());
    auto row = std::make_shared<ScriptedFrame>("DSM", vx::steps::DSM, 0);
    tool.addModule(row);
    tool.failure = "boost::filesystem::path codecvt to wstring: error";
    tool.failuresLeft = 3;
    QSignalSpy ended(&tool, &ToolBase::signal_processingEnd);
    tool.slot_start();
    QVERIFY(ended.wait());
    QCOMPARE(row->starts, 1);
    QCOMPARE(tool.terminal()->plainText().count("Retrying due to error in path conversion."), 3);

    tool.failuresLeft = 4;  // the fourth attempt is the last
    tool.slot_start();
    QCOMPARE(row->starts, 1);
    QCOMPARE(tool.state(), int(ToolBase::Idle));
  }

  void workflowWindowTakesItsPathsAndSettingsFromProjects() {
    QTemporaryDir dir;
    const QString folder = dir.path();
    QDir().mkpath(folder + "/Internal/Orientations");
    QDir().mkpath(folder + "/Internal/Images/Color");
    writeText(folder + "/Internal/Lists/point_cloud_raw_list.txt", "a.las\n");
    writeText(folder + "/Internal/Lists/lidar_list.txt", "\n  \nlidar.las\n");
    vx::VEXAProject source;
    source.setCorrectionShapefile("Internal/Editor/CorrectionShape.shp");
    source.setTileSize(42);
    source.saveProjectFile((folder + "/Project.vpr").toStdString());
    auto project = std::make_shared<vx::VEXAProject>();
    project->loadProjectFile((folder + "/Project.vpr").toStdString());

    qvx::tool::ToolBaseModuleWorkflow tool(nullptr, true);
    auto dsm = std::make_shared<ScriptedFrame>("DSM", vx::steps::DSM, 0);
    auto ortho = std::make_shared<ScriptedFrame>("True Ortho", vx::steps::TrueOrtho, 0);
    ortho->uncheck();
    tool.addModule(dsm);
    tool.addModule(ortho);
    QCOMPARE(tool.state(), int(ToolBase::Idle));
    const QDateTime before = QDateTime::currentDateTime();
    tool.initFromProject(project);
    const auto shown = [](qvx::tool::DataInputField* field) { return QDir::cleanPath(field->value()); };
    QCOMPARE(shown(tool.orientationField()), QDir::cleanPath(folder + "/Internal/Orientations"));
    QCOMPARE(shown(tool.imagesField()), QDir::cleanPath(folder + "/Internal/Images/Color"));
    QCOMPARE(shown(tool.input3dField()), QDir::cleanPath(folder + "/Internal/Lists/point_cloud_raw_list.txt"));
    QTRY_COMPARE(shown(tool.lidarField()), QDir::cleanPath(folder + "/Internal/Lists/lidar_list.txt"));
    QCOMPARE(tool.correctionField()->value(), QString("Internal/Editor/CorrectionShape.shp"));
    // A dated output folder inside the project, to the second.
    const QString output = QDir::cleanPath(tool.outputField()->value());
    QVERIFY2(output.startsWith(QDir::cleanPath(folder) + "/VEXA-" + before.toString("yy-MM-dd-")), qPrintable(output));
    QCOMPARE(QFileInfo(output).fileName().size(), QString("VEXA-yy-MM-dd-hh-mm-ss").size());

    // Loading settings adopts them, in mode 2, with the steps following the rows' check boxes.
    QSignalSpy loaded(&tool, &qvx::tool::ToolBaseModuleWorkflow::signal_settingsLoaded);
    tool.setSettingsFileChooser([&] { return folder + "/Project.vpr"; });
    tool.slot_loadSettings();
    QVERIFY(loaded.wait());
    QCOMPARE(tool.project()->tileSize(), 42.0);
    QCOMPARE(tool.project()->modeValue(), 2);
    // The tool works in a folder of its own: the adopted correction shapefile still names the source's.
    QCOMPARE(QString::fromStdString(tool.project()->correctionShapefile()),
             QDir::cleanPath(folder + "/Internal/Editor/CorrectionShape.shp"));
    QVERIFY(tool.project()->isStepActive(vx::steps::DSM));
    QVERIFY(!tool.project()->isStepActive(vx::steps::TrueOrtho));

    // A file that is no project leaves the tool's settings as they were.
    writeText(folder + "/broken.vpr", "<VEXAProject><version>2</version><tileSize>x</tileSize>");
    tool.setSettingsFileChooser([&] { return folder + "/broken.vpr"; });
    tool.slot_loadSettings();
    QVERIFY(loaded.wait());
    QCOMPARE(tool.project()->tileSize(), 42.0);
    const QString said = tool.findChild<TextTerminal*>()->plainText();
    QVERIFY2(said.contains(QDir::toNativeSeparators(folder + "/broken.vpr")), qPrintable(said));
  }

  // The path fields start in one column, and Tab goes down the window as it reads.
  void labelsAlignAndTabFollowsTheWindow() {
    qvx::tool::ToolBaseModuleWorkflow tool(nullptr, true);
    auto dsm = std::make_shared<ScriptedFrame>("DSM", vx::steps::DSM, 0);
    auto ortho = std::make_shared<ScriptedFrame>("True Ortho", vx::steps::TrueOrtho, 0);
    tool.addModule(dsm);
    tool.addModule(ortho);
    tool.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tool));
    const QList<qvx::tool::DataInputField*> fields = {tool.orientationField(), tool.imagesField(), tool.outputField(),
                                                      tool.input3dField(), tool.lidarField(), tool.correctionField()};
    const auto editOf = [](QWidget* field) { return field->findChild<QLineEdit*>(); };
    for (auto* field : fields)
      QCOMPARE(editOf(field)->mapTo(&tool, QPoint()).x(), editOf(fields[0])->mapTo(&tool, QPoint()).x());

    // The widgets Tab stops at, from the first path on.
    QList<QWidget*> stops;
    QWidget* at = editOf(fields[0]);
    for (int i = 0; i < 200 && (stops.isEmpty() || at != stops.first()); ++i, at = at->nextInFocusChain()) {
      if (at->isVisibleTo(&tool) && at->isEnabled() && (at->focusPolicy() & Qt::TabFocus)) stops << at;
    }
    const auto firstStopIn = [&](QWidget* container) {
      for (int i = 0; i < stops.size(); ++i)
        if (stops[i] == container || container->isAncestorOf(stops[i])) return i;
      return -1;
    };
    QList<int> order;
    for (auto* field : fields) order << firstStopIn(field);
    order << firstStopIn(dsm.get()) << firstStopIn(ortho.get());
    order << firstStopIn(tool.findChild<ProgressMonitor*>()) << firstStopIn(tool.findChild<TextTerminal*>());
    QVERIFY2(!order.contains(-1), qPrintable(QString("stops %1").arg(stops.size())));
    QVERIFY2(std::is_sorted(order.begin(), order.end()), qPrintable(QString("%1").arg(
        [&] { QStringList s; for (int i : order) s << QString::number(i); return s.join(' '); }())));
  }
};

QTEST_MAIN(ToolWorkflowTest)
#include "ToolWorkflowTest.moc"
