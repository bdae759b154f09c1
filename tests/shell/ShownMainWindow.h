#pragma once

// The set-up the main-window tests share: a small generated demo project, and the main window
// shown with a renderer as the user sees it.

#include <QDir>
#include <QSignalSpy>
#include <QString>
#include <QtTest>

#include <memory>

#include "demo/DemoProject.h"
#include "shell/MeshViewer.h"
#include "viewer/MeshViewerCanvas.h"

namespace shelltest {

// Two tiles of two levels and `images` photos in `folder`/project; returns its project file.
inline QString writeSmallDemo(const QString& folder, int images) {
  demo::DemoOptions options;
  options.tiles = 2;
  options.levels = 2;
  options.images = images;
  demo::writeDemoProject(QDir(folder).filePath("project").toStdString(), options);
  return QDir(folder).filePath("project/Project.vpr");
}

// Null when the window was not exposed or got no renderer within the time.
inline std::unique_ptr<MeshViewer> showMainWindow(int width = 1000, int height = 700) {
  auto viewer = std::make_unique<MeshViewer>();
  viewer->setViewerMode(1);
  viewer->resize(width, height);
  viewer->show();
  if (!QTest::qWaitForWindowExposed(viewer.get())) return nullptr;
  if (!QTest::qWaitFor([&] { return viewer->canvas()->hasRenderer(); }, 10000)) return nullptr;
  return viewer;
}

// Opens the project as the user does and waits for its resources.
inline bool openProject(MeshViewer& viewer, const QString& projectFile, int timeoutMs = 30000) {
  QSignalSpy done(&viewer, &MeshViewer::signal_loadingDone);
  viewer.slot_loadVEXAProject(projectFile);
  return done.wait(timeoutMs);
}

}  // namespace shelltest
