#pragma once

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QFuture>
#include <QFutureWatcher>
#include <QLabel>

#include <functional>
#include <memory>

namespace vx {
class VEXA;
class VEXAProject;
}  // namespace vx

namespace qvx {
namespace tool {

// One module row of a tool window: whether the module takes part, and the module's run on a
// worker thread. The tool sets the inputs and the project before each run; the row reports its
// end, always on the main thread, through signal_finished.
class ProcessingFrame : public QFrame {
  Q_OBJECT

 public:
  explicit ProcessingFrame(const QString& title, QWidget* parent = nullptr);
  ~ProcessingFrame() override;

  void setInputs(const QString& input3d, const QString& orientation, const QString& images, const QString& output,
                 const QString& correctionShapefile);
  const QFileInfo& input3d() const { return m_input3d; }
  const QFileInfo& orientation() const { return m_orientation; }
  const QFileInfo& images() const { return m_images; }
  const QFileInfo& output() const { return m_output; }
  const QFileInfo& correctionShapefile() const { return m_correctionShapefile; }
  void setProject(std::shared_ptr<vx::VEXAProject> project);
  void setEngine(std::shared_ptr<vx::VEXA> engine);
  std::shared_ptr<vx::VEXA> engine() const { return m_engine; }
  std::shared_ptr<vx::VEXAProject> project() const { return m_project; }
  bool isChecked() const { return m_checkBox->isChecked(); }
  // As if the operator set the check box, without signal_clicked.
  void setChecked(bool checked) { m_checkBox->setChecked(checked); }
  QString title() const { return m_title->text(); }
  // Whether a module run is under way.
  bool isRunning() const { return m_watcher.isRunning(); }

  virtual void start() = 0;
  // The project's processing step this module stands for; negative for none.
  virtual int processingStep() const = 0;
  // Throws std::runtime_error with a text for the operator when an input cannot work.
  virtual void checkInputs() {}
  virtual void cancel();

 signals:
  void signal_clicked(bool checked);
  void signal_finished(int returnCode);
  void signal_showParameters(int page);
  void signal_error(QString message);

 public slots:
  void slot_processingFinished();
  virtual void slot_configButtonClicked() {}
  void slot_checked(bool checked);
  void slot_enabled(bool enabled);

 protected:
  virtual void onSucceeded() {}
  // Runs `job` on the global thread pool; an exception escaping it counts as return code 1.
  void startJob(std::function<int()> job);
  // Creates the engine and the project when still missing and points the project's output
  // folder at the output input.
  void ensureEngineAndProject();
  void colourFinished(bool success);
  // Ends the row without running anything (an unchecked row, a failed check). The end is queued so
  // that the tool sees it only after start() returned, as it sees the end of a real run.
  void finishAtOnce(int returnCode);

  QFileInfo m_input3d;
  QFileInfo m_orientation;
  QFileInfo m_images;
  QFileInfo m_output;
  QFileInfo m_correctionShapefile;

 private:
  QCheckBox* m_checkBox;
  QLabel* m_title;
  std::shared_ptr<vx::VEXA> m_engine;
  std::shared_ptr<vx::VEXAProject> m_project;
  QFuture<int> m_future;
  QFutureWatcher<int> m_watcher;
};

}  // namespace tool
}  // namespace qvx
