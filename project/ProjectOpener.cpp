#include "project/ProjectOpener.h"

#include "project/ProjectImages.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QtConcurrent>
#include <vector>

#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

namespace qvx {

namespace {

void report(const ProjectOpenerUi& ui, const QString& message) {
  if (ui.critical) ui.critical(message);
}

QString structureError() { return QString::fromStdString(vx::lastProjectStructureError()); }

// Opening falls into the file work before the update question and the file work after it, so that
// the question can be asked on the GUI thread while the reading happens elsewhere.
struct StructureCheck {
  QString error;     // set when the check failed
  QString question;  // set when the folder needs an update
};

struct Loaded {
  std::shared_ptr<vx::VEXAProject> project;
  QString error;  // set when the project could not be loaded
  QStringList resources, problems;
  ProjectImages images;
};

QString missingFileError(const QString& file) {
  const QFileInfo info(file);
  if (info.isFile()) return {};
  if (info.exists()) return "File " + info.absoluteFilePath() + " is a folder or device, not a project file.";
  return "File " + info.absoluteFilePath() + " does not exist.";
}

StructureCheck checkStructure(const QString& file) {
  StructureCheck check;
  const QString folder = QFileInfo(file).absolutePath();
  const std::string folderUtf8 = folder.toStdString();
  bool needsUpdate = false;
  size_t messageLength = 0;
  if (vx::checkProjectStructure(folderUtf8.c_str(), &needsUpdate, &messageLength) != 0) {
    check.error = "Could not check the project structure of " + folder + ": " + structureError();
    return check;
  }
  if (!needsUpdate) return check;
  std::vector<char> message(messageLength + 1, '\0');
  if (vx::projectStructureUpdateMessage(folderUtf8.c_str(), message.data(), message.size()) != 0) {
    check.error = "Could not read the structure update of the project in " + folder + ": " + structureError();
    return check;
  }
  check.question = QString::fromUtf8(message.data()) + "\nDo you want to perform the update?";
  return check;
}

Loaded loadProject(const QString& file, bool update, const ProjectReader& read) {
  Loaded loaded;
  const QFileInfo info(file);
  const QString folder = info.absolutePath();
  const std::string folderUtf8 = folder.toStdString();
  if (update && vx::updateProjectStructure(folderUtf8.c_str()) != 0) {
    loaded.error = "The project structure of " + folder + " could not be updated: " + structureError() +
                   "\nThe project folder was left unchanged.";
    return loaded;
  }
  auto project = std::make_shared<vx::VEXAProject>();
  if (project->setOutputFolder(folderUtf8, 0, 0) != 0) {
    loaded.error = "Could not use " + folder + " as the project folder.";
    return loaded;
  }
  try {
    project->loadProjectFile(info.absoluteFilePath().toStdString());
  } catch (const std::exception& error) {
    loaded.error = "VEXA wasn't able to read the Project: " + QString::fromUtf8(error.what());
    return loaded;
  } catch (...) {
    loaded.error = "VEXA wasn't able to read the Project.";
    return loaded;
  }
  if (read) loaded.resources = read(*project, &loaded.problems);
  loaded.images = collectProjectImages(*project);
  loaded.project = project;
  return loaded;
}

// Runs `work` on the global thread pool and `then` with its result on the thread of `context`,
// unless `context` is gone by then.
template <typename Result>
void inBackground(QObject* context, std::function<Result()> work, std::function<void(Result)> then) {
  auto* watcher = new QFutureWatcher<Result>(context);
  QObject::connect(watcher, &QFutureWatcher<Result>::finished, context, [watcher, then] {
    watcher->deleteLater();
    then(watcher->result());
  });
  watcher->setFuture(QtConcurrent::run(std::move(work)));
}

}  // namespace

void openProjectInBackground(const QString& given, const ProjectOpenerUi& ui, ProjectReader read,
                             QObject* context, std::function<void(OpenedProject)> done) {
  // Fixed now: the working folder may change before the pool gets to it.
  const QString file = QFileInfo(given).absoluteFilePath();
  const QString missing = missingFileError(file);
  if (!missing.isEmpty()) {
    report(ui, missing);
    done({});
    return;
  }
  const QPointer<QObject> alive(context);
  auto secondHalf = [=](bool update) {
    if (!alive) return;  // gone while the question was open
    inBackground<Loaded>(
        context, [=] { return loadProject(file, update, read); },
        [=](Loaded loaded) {
          if (!loaded.error.isEmpty()) report(ui, loaded.error);
          done({loaded.project, loaded.resources, loaded.problems, loaded.images});
        });
  };
  inBackground<StructureCheck>(
      context, [file] { return checkStructure(file); },
      [=](StructureCheck check) {
        if (!check.error.isEmpty()) {
          report(ui, check.error);
          done({});
          return;
        }
        const bool update = !check.question.isEmpty();
        if (update && (!ui.askUpdate || !ui.askUpdate(check.question))) {
          done({});
          return;
        }
        secondHalf(update);
      });
}

}  // namespace qvx
