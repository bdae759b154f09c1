#include "tools/ProcessingFrame.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QtConcurrent>

#include <exception>

#include "vx/VEXAProject.h"
#include "vx/Vexa.h"
#include "vxdb/Database.h"

namespace qvx {
namespace tool {

ProcessingFrame::ProcessingFrame(const QString& title, QWidget* parent)
    : QFrame(parent), m_checkBox(new QCheckBox(this)), m_title(new QLabel(title, this)) {
  setFrameShape(QFrame::Box);
  setFrameShadow(QFrame::Raised);
  setFixedHeight(50);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setAutoFillBackground(true);
  m_checkBox->setChecked(true);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(m_checkBox);
  layout->addWidget(m_title, 1);
  connect(m_checkBox, &QCheckBox::clicked, this, &ProcessingFrame::signal_clicked);
  connect(m_checkBox, &QCheckBox::clicked, this, &ProcessingFrame::slot_checked);
  connect(&m_watcher, &QFutureWatcher<int>::finished, this, &ProcessingFrame::slot_processingFinished);
}

// A row deleted while its module runs waits for it: the job holds the engine and the project.
ProcessingFrame::~ProcessingFrame() {
  m_watcher.disconnect(this);
  m_watcher.waitForFinished();
}

void ProcessingFrame::setInputs(const QString& input3d, const QString& orientation, const QString& images,
                                const QString& output, const QString& correctionShapefile) {
  m_input3d = QFileInfo(input3d);
  m_orientation = QFileInfo(orientation);
  m_images = QFileInfo(images);
  m_output = QFileInfo(output);
  m_correctionShapefile = QFileInfo(correctionShapefile);
}

void ProcessingFrame::setProject(std::shared_ptr<vx::VEXAProject> project) { m_project = std::move(project); }

void ProcessingFrame::setEngine(std::shared_ptr<vx::VEXA> engine) { m_engine = std::move(engine); }

void ProcessingFrame::cancel() {
  if (m_engine) m_engine->cancel(true);
}

void ProcessingFrame::slot_checked(bool checked) {
  const int step = processingStep();
  if (step >= 0 && m_project) m_project->setStepActive(vx::steps::Steps(step), checked);
}

void ProcessingFrame::slot_enabled(bool enabled) { setEnabled(enabled); }

void ProcessingFrame::startJob(std::function<int()> job) {
  m_future = QtConcurrent::run([job = std::move(job)]() -> int {
    try {
      return job();
    } catch (const std::exception& error) {
      qWarning() << "module failed:" << error.what();
      return 1;
    } catch (...) {
      return 1;
    }
  });
  m_watcher.setFuture(m_future);
}

void ProcessingFrame::ensureEngineAndProject() {
  if (!m_engine) {
    m_engine = std::make_shared<vx::VEXA>();
    m_engine->setResultRegistrar(&vxdb::registerModuleResults);
  }
  if (!m_project) m_project = std::make_shared<vx::VEXAProject>();
  m_project->setOutputFolder(m_output.absoluteFilePath().toStdString(), 0, 0);
}

void ProcessingFrame::colourFinished(bool success) {
  QPalette pal = palette();
  pal.setColor(QPalette::Window, success ? QColor(104, 176, 68, 40) : QColor(255, 0, 0, 40));
  setPalette(pal);
}

void ProcessingFrame::finishAtOnce(int returnCode) {
  QMetaObject::invokeMethod(
      this, [this, returnCode] { emit signal_finished(returnCode); }, Qt::QueuedConnection);
}

void ProcessingFrame::slot_processingFinished() {
  int code = 1;
  try {
    code = m_future.result();
  } catch (...) {
    code = 1;
  }
  if (code == 0) onSucceeded();
  qDebug() << "finished with:" << code;
  colourFinished(code == 0);
  emit signal_finished(code);
}

}  // namespace tool
}  // namespace qvx
