#include "tools/ToolBaseModuleWorkflow.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTextStream>
#include <QToolButton>
#include <QVBoxLayout>

#include "project/Layout.h"
#include "tasks/Task.h"
#include "tools/WorkflowProgress.h"
#include "tools/forms/ControlForm.h"
#include "tools/forms/ControlFormViewer.h"
#include "tools/inputs/DataInputField.h"
#include "tools/inputs/DataInputFolder.h"
#include "tools/run/ProgressMonitor.h"
#include "tools/run/TextTerminal.h"
#include "vx/VEXAProject.h"

namespace qvx {
namespace tool {

namespace {

QString existing(const vx::VEXAProject& project, const std::wstring& relative) {
  const QString path = layout::projectPath(project, relative);
  return QFileInfo::exists(path) ? path : QString();
}

// A LiDAR list counts when it names at least one file. Lists are small; anything that is not a
// plain file of list size (a FIFO would block the window) does not count.
bool holdsAnEntry(const QString& listFile) {
  const QFileInfo info(listFile);
  if (!info.isFile() || info.size() > (qint64(16) << 20)) return false;
  QFile file(listFile);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
  QTextStream in(&file);
  while (!in.atEnd()) {
    if (!in.readLine().trimmed().isEmpty()) return true;
  }
  return false;
}

}  // namespace

ToolBaseModuleWorkflow::ToolBaseModuleWorkflow(QWidget* parent, bool withLidar, FormSetting parameterSetting)
    : ToolBase(parent),
      m_withLidar(withLidar),
      m_input3d(new DataInputField(tr("Input Cloud"), false, {}, this)),
      m_orientation(new DataInputField(tr("Input Orientation"), false, {}, this)),
      m_images(new DataInputField(tr("Input Images"), false, {}, this)),
      m_correction(new DataInputField(tr("Correction Shapefile"), true, {tr("Shapefiles (*.shp)")}, this)),
      m_parameterDialog(new ControlFormViewer(m_project, false, parameterSetting, this)) {
  m_input3d->setToolTip(tr("Path to 3D Points (.las/.laz) or mesh (.osgb) list, file or folder"));
  m_orientation->setToolTip(tr("Path to orientation folder"));
  m_images->setToolTip(tr("Path to color image folder"));
  m_correction->setToolTip(tr("Path to the shapefile (.shp) used for correcting the results."));
  if (m_withLidar) {
    m_lidar = new DataInputField(tr("LiDAR Cloud"), true, {}, this);
    m_lidar->setToolTip(tr("Path to LiDAR points (.las/.laz) list, file or folder"));
  }
  m_chooseSettingsFile = [this] {
    return QFileDialog::getOpenFileName(this, tr("Load Project.vpr with settings"), QDir::homePath(), "*.vpr");
  };
  connect(this, &ToolBase::signal_updateUI, m_parameterDialog, &ControlFormViewer::on_updateUI);
  buildUi();
  setState(Idle);
  setInputsEnabled(true);
  emit signal_busyState(false);
  m_parameterDialog->form()->setMode(1);
  connect(this, &ToolBase::signal_processingStart, this, &ToolBase::slot_disableInputFields);
  connect(this, &ToolBase::signal_processingEnd, this, &ToolBase::slot_enableInputFields);
}

QList<DataInputField*> ToolBaseModuleWorkflow::pathFields() const {
  QList<DataInputField*> fields{m_orientation, m_images, m_outputField, m_input3d};
  if (m_lidar) fields << m_lidar;
  fields << m_correction;
  return fields;
}

void ToolBaseModuleWorkflow::buildUi() {
  auto* inputFrame = new QFrame;
  auto* inputs = new QVBoxLayout(inputFrame);
  for (DataInputField* field : pathFields()) inputs->addWidget(field);
  alignLabels(pathFields());
  // A path chosen in one field is where the file dialogs of the others start.
  for (DataInputField* from : pathFields()) {
    for (DataInputField* to : pathFields()) {
      if (from != to) connect(from, &DataInputField::signal_setData, to, &DataInputField::slot_initialValue);
    }
  }
  if (m_lidar) connect(m_lidar, &DataInputField::signal_setData, this, [this] { slot_lidarPathSet(m_lidar->value()); });
  m_configureButton = new QToolButton;
  m_configureButton->setIcon(QIcon(":/img/images/Configure.png"));
  m_configureButton->setText(tr("Advanced configuration"));
  m_configureButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  connect(m_configureButton, &QToolButton::released, m_parameterDialog, &QDialog::exec);
  inputs->addWidget(m_configureButton);

  auto* right = new QFrame;
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->addWidget(inputFrame);
  rightLayout->addWidget(moduleFrame());
  rightLayout->addWidget(m_progressMonitor);
  rightLayout->addStretch(1);

  auto* tabs = new QTabWidget;
  tabs->setTabPosition(QTabWidget::South);
  tabs->addTab(m_terminal, tr("Terminal"));

  auto* splitter = new QSplitter(Qt::Horizontal);
  splitter->addWidget(tabs);
  splitter->addWidget(right);
  setCentralWidget(splitter);

  QMenu* file = menuBar()->addMenu(tr("File"));
  QAction* loadSettings = file->addAction(tr("Load Settings"));
  connect(loadSettings, &QAction::triggered, this, &ToolBaseModuleWorkflow::slot_loadSettings);
  connect(this, &ToolBase::signal_busyState, loadSettings, &QAction::setDisabled);
  QMenu* project = menuBar()->addMenu(tr("Project"));
  connect(project->addAction(tr("Open output folder")), &QAction::triggered, this, &ToolBase::slot_openOutputFolder);
  QMenu* help = menuBar()->addMenu(tr("Help"));
  connect(help->addAction(tr("VEXA manual")), &QAction::triggered, this, &ToolBase::slot_help);
}

void ToolBaseModuleWorkflow::showEvent(QShowEvent* event) {
  orderTabs();
  ToolBase::showEvent(event);
}

void ToolBaseModuleWorkflow::orderTabs() {
  QList<QWidget*> chain;
  for (DataInputField* field : pathFields()) chain << field;
  chain << m_configureButton;
  for (const auto& module : modules()) chain << module.get();
  chain << m_progressMonitor << m_terminal;
  // Qt orders compound widgets unreliably when their children joined the focus chain at different
  // times (rows are added after the window is built): chain the widgets that take focus instead.
  QList<QWidget*> stops;
  for (QWidget* container : chain) {
    if (container->focusPolicy() & Qt::TabFocus) stops << container;
    for (QWidget* child : container->findChildren<QWidget*>())
      if (child->focusPolicy() & Qt::TabFocus) stops << child;
  }
  for (int i = 0; i + 1 < stops.size(); ++i) QWidget::setTabOrder(stops[i], stops[i + 1]);
}

void ToolBaseModuleWorkflow::setInputsEnabled(const bool& enabled) {
  ToolBase::setInputsEnabled(enabled);
  for (DataInputField* field : pathFields()) field->setEnabled(enabled);
  m_configureButton->setEnabled(enabled);
}

void ToolBaseModuleWorkflow::setupModule(ModuleList::iterator it) {
  if (it == m_modules.end()) {
    qDebug() << "nothing to setup";
    return;
  }
  qDebug() << "setting up module"
           << "3d: " << m_input3d->value() << "ori: " << m_orientation->value() << "img: " << m_images->value()
           << "output: " << outputFolderPath() << "correctionShape: " << m_correction->value();
  (*it)->setInputs(m_input3d->value(), m_orientation->value(), m_images->value(), outputFolderPath(), QString());
  ToolBase::setupModule(it);
  m_project->setCorrectionShapefile(m_correction->value().toStdString());
}

void ToolBaseModuleWorkflow::initFromProject(std::shared_ptr<vx::VEXAProject> project) {
  if (!project) return;
  const QString folder = QString::fromStdWString(project->projectFolder());
  if (folder.isEmpty() || !QDir(folder).exists()) return;
  if (const QString path = existing(*project, layout::OrientationsDir); !path.isEmpty()) m_orientation->setData(path);
  if (const QString path = existing(*project, layout::ImagesColorDir); !path.isEmpty()) m_images->setData(path);
  if (const QString path = existing(*project, layout::PointCloudRawListFile); !path.isEmpty()) m_input3d->setData(path);
  if (m_lidar) {
    // The list is read on a worker; the field shows it when it names any cloud.
    if (const QString list = existing(*project, layout::LidarListFile); !list.isEmpty()) {
      tasks::run<bool>(
          this, [list](tasks::Feedback&) { return holdsAnEntry(list); },
          [this, list](const bool& holds) {
            if (holds) {
              const QString absolute = QFileInfo(list).absoluteFilePath();
              m_lidar->setData(absolute);
              m_lastLidarPath = absolute;
              m_lidarListFound = true;
            }
          });
    }
  }
  m_correction->setData(QString::fromStdString(project->correctionShapefile()));
  m_outputField->setName(outputFolderName(m_prefix, QDateTime::currentDateTime(), true));
  m_outputField->setData(QDir(folder).absolutePath());
  m_outputField->setName(QString());
  bindParameterDialog();
}

void ToolBaseModuleWorkflow::bindParameterDialog() { m_parameterDialog->bindProject(m_project); }

void ToolBaseModuleWorkflow::slot_lidarPathSet(QString path) {
  if (!m_lidar || m_lidar->value() == m_lastLidarPath) return;
  m_lastLidarPath = m_lidar->value();
  if (!path.isEmpty()) {
    if (m_lidarListFound) m_project->setUseLidar(true);
    m_project->setLidarListPath(path.toStdString());
  } else if (m_lidarListFound) {
    m_project->setUseLidar(false);
  }
  bindParameterDialog();
}

void ToolBaseModuleWorkflow::adoptSettings(const vx::VEXAProject& source) {
  m_project->copySettingsFrom(source);
  // The tool works in a folder of its own: the source's files keep naming the source's files.
  const QDir sourceFolder(QString::fromStdString(source.projectFolderUtf8()));
  const auto absolute = [&](const std::string& path) {
    return path.empty() || source.projectFolderUtf8().empty()
               ? path
               : QDir::cleanPath(sourceFolder.absoluteFilePath(QString::fromStdString(path))).toStdString();
  };
  m_project->setCorrectionShapefile(absolute(source.correctionShapefile()));
  m_project->setAreaShapefile(absolute(source.areaShapefile()));
  m_project->setLidarListPath(absolute(source.lidarListPath()));
  // Settings do not say where a project is; a tool without a folder of its own works in the source's.
  if (m_project->projectFolderUtf8().empty()) m_project->setOutputFolder(source.projectFolderUtf8(), 0, 0);
  m_project->setModeValue(2);
  for (const auto& module : m_modules) {
    module->setProject(m_project);
    const int step = module->processingStep();
    if (step >= 0) m_project->setStepActive(vx::steps::Steps(step), module->isChecked());
  }
  emit signal_updateUI();
  initFromProject(m_project);
}

void ToolBaseModuleWorkflow::slot_loadSettings(bool) {
  const QString file = m_chooseSettingsFile ? m_chooseSettingsFile() : QString();
  if (file.isEmpty()) return;
  // An unusable file leaves the tool as it was, and the terminal says why.
  using Loaded = std::shared_ptr<vx::VEXAProject>;
  tasks::run<Loaded>(
      this,
      [path = file.toStdString()](tasks::Feedback&) {
        auto loaded = std::make_shared<vx::VEXAProject>();
        loaded->loadProjectFile(path);
        return loaded;
      },
      [this, file](const Loaded& loaded) {
        if (loaded) {
          adoptSettings(*loaded);
        } else {
          m_terminal->on_errorMsg(tr("Could not load settings from %1; the settings are unchanged.")
                                      .arg(QDir::toNativeSeparators(file)));
        }
        emit signal_settingsLoaded();
      });
}

void ToolBaseModuleWorkflow::uiUpdate() {
  for (DataInputField* field : pathFields()) field->uiUpdate();
}

}  // namespace tool
}  // namespace qvx
