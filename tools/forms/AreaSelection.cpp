#include "tools/forms/AreaSelection.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QtConcurrent>

#include <exception>

#include "dialogs/MessageDialogs.h"
#include "vx/VEXAProject.h"

namespace qvx {

AreaSelection::AreaSelection(std::shared_ptr<vx::VEXAProject> project, QObject* parent)
    : QObject(parent), m_project(std::move(project)) {}

AreaSelection::Outcome AreaSelection::filter(vx::VEXAProject& project) {
  try {
    if (!project.filterImagesByArea()) return {false, "Could not apply area based image selection."};
    return {true, QString("Based on your area, VEXA selected %1 images out of %2 total images for processing.")
                      .arg(project.selectedImageCount())
                      .arg(project.totalImageCount())};
  } catch (const std::exception& e) {
    return {false, "Couldn't filter project: " + QString::fromUtf8(e.what()) +
                       ".\nPlease adjust your area or init terrain height settings."};
  } catch (...) {
    return {false, "Something went wrong during project filtering, continuing with all images."};
  }
}

bool AreaSelection::run() {
  if (!m_project) return true;
  if (yesNoQuestion("Perform processing with only these images that are required for the specified project area?") !=
      QMessageBox::Yes) {
    m_project->setAreaBasedImageSelection(false);
    return false;
  }
  m_project->setAreaBasedImageSelection(true);
  if (!m_project->canSelectImagesByArea()) {
    m_project->useAllImages();
    informationBox("Using the full input imagery.");
    return false;
  }

  emit signal_busy(true, "Applying area based image selection.");
  // The worker holds the project too, so that it outlives a window closed meanwhile.
  std::shared_ptr<vx::VEXAProject> project = m_project;
  QFutureWatcher<Outcome> watcher;
  QEventLoop loop;
  connect(&watcher, &QFutureWatcher<Outcome>::finished, &loop, &QEventLoop::quit);
  watcher.setFuture(QtConcurrent::run([project] { return filter(*project); }));
  if (!watcher.isFinished()) loop.exec();
  const Outcome outcome = watcher.result();
  emit signal_busy(false, QString());

  if (outcome.ok) {
    informationBox(outcome.message);
  } else {
    criticalBox(outcome.message);
  }
  return !outcome.ok;
}

}  // namespace qvx
