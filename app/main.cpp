#include "app/CommandLine.h"
#include "app/ExceptionReport.h"
#include "app/ProcessSetup.h"
#include "img/images/Images.h"
#include "me/Augments.h"
#include "scenefiles/SceneFileGuard.h"
#include "dialogs/MessageDialogs.h"
#include "shell/VexaEditor.h"
#include "vxdb/Database.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <iostream>

int main(int argc, char* argv[]) {
  vexaInitImages();
  QApplication application(argc, argv);
  // The suite's libraries are set up once, before anything uses them.
  const vxdb::Init databaseInit;
  const vx::me::Init meshEditingInit;
  try {
    installUtf8Locale();
    installFatalSignalHandlers();
    routeSceneGraphMessagesToDebugLog();

    StartupOptions options;
    QStringList files, problems;
    try {
      options = parseCommandLine(argc, argv);
      files = startupFileList(options, argc, argv, &problems);
    } catch (...) {
      // A malformed command line opens no window.
      return reportUncaughtException(false);
    }
    // Files that cannot be opened are named on standard error for scripts, and in a message box
    // unless the run is unattended.
    for (const QString& problem : problems) std::cerr << problem.toStdString() << std::endl;

    // Before any scene file is read; it outlives the window, and saves its verdicts when it goes.
    scenefiles::SceneFileGuard::Settings guardSettings;
    guardSettings.cacheFile = scenefiles::SceneFileGuard::defaultCacheFile();
    scenefiles::SceneFileGuard guard(guardSettings);
    scenefiles::SceneFileGuard::install(&guard);

    VexaEditor editor;
    // Without a window manager (a bare X server) maximizing does nothing; start at full size anyway.
    editor.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    editor.showMaximized();
    // Before any file is opened, so the first finished load triggers the batch rendering.
    if (!options.render_directory.empty())
      editor.setRenderDirectory(QString::fromStdString(options.render_directory));
    editor.openStartupFiles(files);
    if (!problems.isEmpty() && options.render_directory.empty())
      QTimer::singleShot(0, &editor, [problems] { qvx::criticalBox(problems.join(QStringLiteral("\n"))); });
    const int exitCode = application.exec();
    scenefiles::SceneFileGuard::install(nullptr);
    return exitCode;
  } catch (...) {
    return reportUncaughtException(true);
  }
}
