#include "tools/ToolBase.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QVBoxLayout>

#include <stdexcept>
#include <vector>

#include "dialogs/MessageDialogs.h"
#include "project/Layout.h"
#include "tools/run/BusyScreen.h"
#include "tools/WorkflowProgress.h"
#include "tools/inputs/DataInputFolder.h"
#include "tools/run/ProgressMonitor.h"
#include "tools/run/TextTerminal.h"
#include "tools/run/VexaMsgInterface.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"
#include "vxdb/Database.h"

namespace qvx {
namespace tool {

namespace {
// The file system layer throws this now and then on a path it converts; a second try succeeds.
constexpr const char* kPathConversionError = "boost::filesystem::path codecvt to wstring: error";
constexpr int kStartAttempts = 4;
}  // namespace

ToolBase::ToolBase(QWidget* parent)
    : QMainWindow(parent),
      m_busyScreen(new BusyScreen(this)),
      m_progressMonitor(new ProgressMonitor(true, this)),
      m_terminal(new TextTerminal(this)),
      m_outputField(new DataInputFolder(tr("Output Folder"), false, this)),
      m_moduleFrame(new QWidget(this)),
      m_moduleLayout(new QVBoxLayout(m_moduleFrame)),
      m_engine(std::make_shared<vx::VEXA>()),
      m_msgInterface(std::make_shared<VexaMsgInterface>(m_engine)),
      m_project(std::make_shared<vx::VEXAProject>()) {
  m_current = m_modules.end();
  m_engine->setResultRegistrar(&vxdb::registerModuleResults);
  m_outputField->setToolTip(tr("Output folder - will be created if not existing"));
  m_moduleLayout->setContentsMargins(0, 0, 0, 0);
  VexaMsgInterface* messages = m_msgInterface.get();
  connect(messages, &VexaMsgInterface::signal_Info, m_terminal,
          qOverload<QString, int>(&TextTerminal::on_infoMsg));
  connect(messages, &VexaMsgInterface::signal_Error, m_terminal,
          qOverload<QString, int>(&TextTerminal::on_errorMsg));
  connect(messages, &VexaMsgInterface::signal_Warning, m_terminal,
          qOverload<QString, int>(&TextTerminal::on_warningMsg));
  connect(messages, &VexaMsgInterface::signal_Error, this, [this](QString text, int) { slot_error(text); });
  connect(messages, &VexaMsgInterface::signal_Warning, this, [this](QString text, int) { slot_warning(text); });
  connect(m_progressMonitor, &ProgressMonitor::signal_Ok, this, &ToolBase::slot_start);
  connect(m_progressMonitor, &ProgressMonitor::signal_Cancel, this, &ToolBase::slot_cancel);
  connect(messages, &VexaMsgInterface::signal_ProgressInfo, this, &ToolBase::slot_progress);
  connect(messages, &VexaMsgInterface::signal_ProcessStarted, m_progressMonitor,
          &ProgressMonitor::on_setSubprocessName);
  connect(this, &ToolBase::signal_processingEnd, m_progressMonitor, &ProgressMonitor::slot_processingEnd);
  connect(this, &ToolBase::signal_progress, m_progressMonitor, &ProgressMonitor::slot_progress);
  m_progressMonitor->setState(NotStarted);
}

// Rows are shared with their owners but sit in this window's layout: take them out of Qt's
// ownership first so that only the shared pointers delete them.
ToolBase::~ToolBase() {
  for (const auto& module : m_modules) module->setParent(nullptr);
  detachStatusCallback();
}

void ToolBase::addModule(std::shared_ptr<ProcessingFrame> module) {
  module->setEngine(m_engine);
  connect(module.get(), &ProcessingFrame::signal_finished, this, &ToolBase::slot_moduleFinished);
  m_moduleLayout->addWidget(module.get());
  m_modules.push_back(std::move(module));
  m_current = m_modules.end();
}

QString ToolBase::outputFolderPath() const { return m_outputField->value(); }

void ToolBase::initFromProject(std::shared_ptr<vx::VEXAProject> project) {
  if (!project) return;
  const QString folder = QString::fromStdWString(project->projectFolder());
  if (folder.isEmpty() || !QDir(folder).exists()) return;
  m_outputField->setName(outputFolderName(m_prefix, QDateTime::currentDateTime(), false));
  m_outputField->setData(QDir(folder).absolutePath());
  m_outputField->setName(QString());
}

void ToolBase::setInputsEnabled(const bool& enabled) {
  m_outputField->setEnabled(enabled);
  for (const auto& module : m_modules) module->setEnabled(enabled);
}

void ToolBase::setupModule(ModuleList::iterator it) {
  if (it == m_modules.end()) {
    qDebug() << "nothing to setup";
    return;
  }
  const QString output = outputFolderPath();
  // The field promises to create a missing output folder; the project only takes existing ones.
  if (!QDir().mkpath(output) || m_project->setOutputFolder(output.toStdString(), 0, 0) != 0)
    throw std::runtime_error("Cannot create the output folder " + QDir::toNativeSeparators(output).toStdString());
}

void ToolBase::detachStatusCallback() {
  if (m_engine) m_engine->registerStatusCallback(nullptr, nullptr);
}

void ToolBase::setState(int state) {
  m_state = state;
  m_progressMonitor->setState(state);
  m_terminal->setState(state);
}

void ToolBase::slot_start() {
  if (m_state == Running) return;
  for (int attempts = 1;; ++attempts) {
    try {
      prepareRun();
      for (auto it = m_modules.begin(); it != m_modules.end(); ++it) {
        (*it)->setProject(m_project);
        setupModule(it);
        if ((*it)->isChecked()) (*it)->checkInputs();
      }
      setState(Running);
      setInputsEnabled(false);
      emit signal_busyState(true);
      m_current = m_modules.begin();
      // Announced before the first module starts, so that a workflow that ends at once ends last.
      emit signal_processingStart();
      runNextModule();
      return;
    } catch (const std::exception& error) {
      const QString text = QString::fromUtf8(error.what());
      if (text.contains(kPathConversionError) && attempts < kStartAttempts) {
        m_terminal->on_warningMsg(tr("Retrying due to error in path conversion."), 0);
        continue;
      }
      slot_error(text);
      finishWorkflow();
      return;
    }
  }
}

void ToolBase::runNextModule() {
  if (m_current != m_modules.end() && m_state == Running) {
    setupModule(m_current);
    qDebug() << "starting module";
    setLogFile(QDir(outputFolderPath()).filePath(QString::fromStdWString(layout::LogFile)));
    (*m_current)->setProject(m_project);
    (*m_current)->start();
    return;
  }
  qDebug() << "All modules done";
  finishWorkflow();
}

void ToolBase::slot_moduleFinished(int retval) {
  // A row's end outside a run (or from a row that is not the current one) changes nothing.
  if (m_state != Running || m_current == m_modules.end() || sender() != m_current->get()) return;
  // The module's last lines and errors come before its end.
  m_msgInterface->deliverPending();
  emit signal_updateUI();
  slot_busy(false, QString());
  if (retval != 0) {
    qDebug() << "Error - non zero return";
    finishWorkflow();
    return;
  }
  qDebug() << "got:" << retval;
  ++m_current;
  try {
    runNextModule();
  } catch (const std::exception& error) {
    slot_error(QString::fromUtf8(error.what()));
    finishWorkflow();
  }
}

void ToolBase::finishWorkflow() {
  m_current = m_modules.end();
  setState(Idle);
  setInputsEnabled(true);
  emit signal_busyState(false);
  emit signal_progress(100, 0, 0);
  emit signal_processingEnd();
  if (m_closePending) close();
}

void ToolBase::slot_cancel() {
  if (m_state != Running || m_current == m_modules.end()) return;
  m_busyScreen->setMsg(tr("Cancelling Process"));
  QApplication::setOverrideCursor(Qt::BusyCursor);
  setEnabled(false);
  m_busyScreen->showScreen();
  (*m_current)->cancel();
}

void ToolBase::slot_error(QString message) { qvx::criticalBox(message); }

void ToolBase::slot_warning(QString message) { qvx::warningBox(message); }

void ToolBase::slot_progress(int percentage, int remainingSecs, int process) {
  if (process != 1000) return;
  std::vector<float> weights;
  size_t current = 0;
  for (auto it = m_modules.begin(); it != m_modules.end(); ++it) {
    if (it == m_current) current = weights.size();
    const int step = (*it)->processingStep();
    weights.push_back(step >= 0 && m_project ? m_project->stepWeight(vx::steps::Steps(step)) : 0.0f);
  }
  if (m_current == m_modules.end()) return;
  emit signal_progress(overallProgress(weights, current, percentage), remainingSecs, 1000);
}

void ToolBase::slot_openOutputFolder() {
  const QString folder = outputFolderPath();
  if (folder.isEmpty() || !QDir(folder).exists() || !QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
    qvx::criticalBox(tr("Output folder does not exist."));
}

void ToolBase::slot_help() { QDesktopServices::openUrl(m_helpUrl); }

void ToolBase::slot_disableInputFields() { setInputsEnabled(false); }

void ToolBase::slot_enableInputFields() { setInputsEnabled(true); }

void ToolBase::slot_busy(bool busy, QString message) {
  m_busyScreen->setMsg(message);
  if (busy) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    setEnabled(false);
    m_busyScreen->showScreen();
    return;
  }
  m_busyScreen->setMsg(QString());
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  setEnabled(true);
  m_busyScreen->closeScreen();
}

void ToolBase::closeEvent(QCloseEvent* event) {
  if (m_state == Running) {
    slot_cancel();
    m_closePending = true;
    event->ignore();
    return;
  }
  if (m_state == Idle) {
    m_closePending = false;
    detachStatusCallback();
    emit signal_closing(outputFolderPath());
    emit signal_closing();
  }
  event->accept();
}

}  // namespace tool
}  // namespace qvx
