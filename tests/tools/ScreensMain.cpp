// vexa-screens: draws the processing tool windows as the operator sees them, into PNG files, so
// that their look can be checked by eye after a change (scripts/screens.sh).
//
//   vexa-screens OUTPUT_FOLDER PROJECT_FOLDER
#include <QApplication>
#include <QDir>
#include <QScrollArea>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "img/images/Images.h"
#include "tools/ToolBaseModuleWorkflow.h"
#include "tools/forms/ControlForm.h"
#include "tools/forms/ControlFormViewer.h"
#include "tools/forms/ExpandFrame.h"
#include "tools/run/ProgressMonitor.h"
#include "tools/run/TextTerminal.h"
#include "tools/windows/Tool2_5D.h"
#include "tools/windows/ToolTexturing.h"
#include "tools/frames/ModifiedTilesListFile.h"
#include "tools/inputs/DataInputField.h"
#include "me/Application.h"
#include "vx/VEXAProject.h"

namespace {

// A module row that only shows itself.
class ShownFrame : public qvx::tool::ProcessingFrame {
 public:
  ShownFrame(const QString& title, int step) : ProcessingFrame(title), m_step(step) {}
  void start() override { finishAtOnce(0); }
  int processingStep() const override { return m_step; }

 private:
  int m_step;
};

class WorkflowWindow : public qvx::tool::ToolBaseModuleWorkflow {
 public:
  WorkflowWindow() : ToolBaseModuleWorkflow(nullptr, true) {
    m_prefix = "VEXA_2_5_D-";
    setWindowTitle("VEXA 2.5D Tool");
    addModule(std::make_shared<ShownFrame>("DSM", vx::steps::DSM));
    addModule(std::make_shared<ShownFrame>("True Ortho", vx::steps::TrueOrtho));
    addModule(std::make_shared<ShownFrame>("Dsm Mesh", vx::steps::DSMMesh));
    addModule(std::make_shared<ShownFrame>("Dsm Mesh Texturing", vx::steps::DSMMeshTexturing));
  }
  using ToolBaseModuleWorkflow::setState;
};

bool save(QWidget* widget, const QString& file) {
  widget->show();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  const bool ok = widget->grab().save(file);
  std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(QDir::toNativeSeparators(file)));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  vexaInitImages();
  if (argc != 3) {
    std::fprintf(stderr, "Usage: vexa-screens OUTPUT_FOLDER PROJECT_FOLDER\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  auto project = std::make_shared<vx::VEXAProject>();
  try {
    project->loadProjectFile(QDir(QString::fromLocal8Bit(argv[2])).filePath("Project.vpr").toStdString());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  bool ok = true;

  WorkflowWindow window;
  window.resize(1100, 700);
  window.adoptSettings(*project);
  window.terminal()->on_infoMsg("Processing Tile 3 of 16", 1710);
  window.terminal()->on_warningMsg("DSM: 2 images have no orientation and are left out", 1710);
  window.terminal()->on_errorMsg("DSM Mesh: cannot write Results/DSM_Mesh/Tile_1_2", 1740);
  ok &= save(&window, out.filePath("workflow-window.png"));

  // The 2.5D tool as the main window opens it on a project.
  qvx::tool::Tool2_5D tool;
  tool.resize(1100, 700);
  tool.adoptSettings(*project);
  ok &= save(&tool, out.filePath("tool-2_5d.png"));
  tool.hide();

  // The texturing tool over a list of modified tiles.
  auto application = std::make_shared<vx::me::Application>();
  qvx::tool::ToolTexturing* texturing = nullptr;
  auto tiles = std::make_shared<qvx::tool::ModifiedTilesListFile>(
      [&texturing] { return texturing ? texturing->input3dField()->value() : QString(); });
  qvx::tool::ToolTexturing textureTool(application, tiles, nullptr);
  texturing = &textureTool;
  textureTool.resize(1100, 700);
  textureTool.adoptSettings(*project);
  ok &= save(&textureTool, out.filePath("tool-texturing.png"));
  textureTool.hide();

  ControlFormViewer dialog(project, false, FormSetting::ProjectWide);
  dialog.resize(720, 900);
  const auto sections = dialog.form()->sections();
  for (int shown = 0; shown < sections.size(); ++shown) {
    for (int i = 0; i < sections.size(); ++i) sections[i]->slot_expand(i == shown);
    ok &= save(&dialog, out.filePath(QString("parameters-%1.png").arg(shown + 1)));
  }
  dialog.hide();

  ProgressMonitor monitor(false);
  monitor.resize(420, monitor.sizeHint().height());
  monitor.setState(0);
  ok &= save(&monitor, out.filePath("progress-reset.png"));
  monitor.setState(2);
  monitor.on_setSubprocessName("Dense Matching");
  monitor.slot_progress(37, 0, 1000);
  ok &= save(&monitor, out.filePath("progress-running.png"));
  monitor.setState(1);
  ok &= save(&monitor, out.filePath("progress-finished.png"));
  return ok ? 0 : 1;
}
