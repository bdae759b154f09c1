#include "app/CommandLine.h"
#include "app/ExceptionReport.h"
#include "app/ProcessSetup.h"
#include "img/images/Images.h"
#include "me/Augments.h"
#include "scenefiles/SceneFileGuard.h"
#include "shell/VexaEditor.h"
#include "vxdb/Database.h"

#include <QApplication>
#include <QScreen>

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
    QStringList files;
    try {
      options = parseCommandLine(argc, argv);
      files = startupFileList(options, argc, argv);
    } catch (...) {
      // A malformed command line opens no window.
      return reportUncaughtException(false);
    }

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
    const int exitCode = application.exec();
    scenefiles::SceneFileGuard::install(nullptr);
    return exitCode;
  } catch (...) {
    return reportUncaughtException(true);
  }
}
