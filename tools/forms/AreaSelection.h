#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace vx {
class VEXAProject;
}

namespace qvx {

// Asks whether to process only the images the project area needs and, if so, selects them on a
// worker thread while the caller's window stays responsive.
class AreaSelection : public QObject {
  Q_OBJECT

 public:
  explicit AreaSelection(std::shared_ptr<vx::VEXAProject> project, QObject* parent = nullptr);

  // Returns true when the selection failed (the project keeps the images it holds).
  bool run();

  // What the worker reports: its message and whether it succeeded.
  struct Outcome {
    bool ok = false;
    QString message;
  };
  // The worker's part, without any window: filters the project's images.
  static Outcome filter(vx::VEXAProject& project);

 signals:
  void signal_busy(bool busy, QString message);

 private:
  std::shared_ptr<vx::VEXAProject> m_project;
};

}  // namespace qvx
