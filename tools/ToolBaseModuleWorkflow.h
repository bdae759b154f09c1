#pragma once

#include "tools/ToolBase.h"
#include "tools/forms/FormSetting.h"

class ControlFormViewer;
class QToolButton;

namespace qvx {
namespace tool {

class DataInputField;

// The tool window that all processing tools are: input path fields, the module rows, the parameter
// dialog bound to the tool's project, progress and terminal.
class ToolBaseModuleWorkflow : public ToolBase {
  Q_OBJECT

 public:
  // `parameterSetting`: where the parameter dialog shows its form.
  ToolBaseModuleWorkflow(QWidget* parent, bool withLidar, FormSetting parameterSetting = FormSetting::WorkflowTool);

  void initFromProject(std::shared_ptr<vx::VEXAProject> project) override;
  // Takes the settings of `source` as the tool's own (as after loading settings).
  void adoptSettings(const vx::VEXAProject& source);

  DataInputField* input3dField() const { return m_input3d; }
  DataInputField* orientationField() const { return m_orientation; }
  DataInputField* imagesField() const { return m_images; }
  DataInputField* lidarField() const { return m_lidar; }
  DataInputField* correctionField() const { return m_correction; }
  ControlFormViewer* parameterDialog() const { return m_parameterDialog; }
  // The file chooser behind "Load Settings" (a file dialog by default).
  void setSettingsFileChooser(std::function<QString()> chooser) { m_chooseSettingsFile = std::move(chooser); }

 signals:
  // Loading settings has ended, taken or not.
  void signal_settingsLoaded();

 public slots:
  void slot_loadSettings(bool checked = false);
  void slot_lidarPathSet(QString path);
  void uiUpdate();

 protected:
  void setInputsEnabled(const bool& enabled) override;
  void setupModule(ModuleList::iterator it) override;
  void buildUi() override;
  void showEvent(QShowEvent* event) override;

 private:
  // Tab goes down the right-hand side as it reads (paths, configuration, module rows, the start
  // button), then into the terminal; rows added after construction take their place too.
  void orderTabs();
  void bindParameterDialog();
  QList<DataInputField*> pathFields() const;

  bool m_withLidar;
  DataInputField* m_input3d;
  DataInputField* m_orientation;
  DataInputField* m_images;
  DataInputField* m_lidar = nullptr;
  DataInputField* m_correction;
  QString m_lastLidarPath;
  bool m_lidarListFound = true;
  ControlFormViewer* m_parameterDialog;
  QToolButton* m_configureButton = nullptr;
  std::function<QString()> m_chooseSettingsFile;
};

}  // namespace tool
}  // namespace qvx
