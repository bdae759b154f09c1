#pragma once

// Projects for the form tests: a folder of their own, so that saving writes a real Project.vpr.

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "tools/forms/CtrlParameter.h"
#include "vx/VEXAProject.h"

struct FormTestProject {
  QTemporaryDir dir;
  std::shared_ptr<vx::VEXAProject> project = std::make_shared<vx::VEXAProject>();

  // `finished`: every step done, as after a full run.
  explicit FormTestProject(bool finished = false) {
    if (project->setOutputFolder(dir.path().toStdString(), 0, 0) != 0) qFatal("no project folder");
    for (vx::steps::Steps step : vx::steps::kAllSteps)
      project->setStepStatus(step, finished ? vx::steps::Done : vx::steps::NotStarted);
  }

  QString projectFile() const { return dir.filePath("Project.vpr"); }

  std::shared_ptr<vx::VEXAProject> reload() const {
    auto loaded = std::make_shared<vx::VEXAProject>();
    loaded->loadProjectFile(projectFile().toStdString());
    return loaded;
  }
};

template <typename Row = CtrlParameter>
Row* rowLabelled(const QList<CtrlParameter*>& rows, const QString& label) {
  for (CtrlParameter* row : rows) {
    if (row->labelText() == label) return qobject_cast<Row*>(row);
  }
  return nullptr;
}
