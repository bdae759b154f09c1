#include "app/CommandLine.h"
#include "app/ExceptionReport.h"
#include "app/ProcessSetup.h"
#include "img/images/Images.h"
#include "shell/VexaEditor.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  vexaInitImages();
  QApplication application(argc, argv);
  try {
    installUtf8Locale();
    installFatalSignalHandlers();

    StartupOptions options;
    QStringList files;
    try {
      options = parseCommandLine(argc, argv);
      files = startupFileList(options, argc, argv);
    } catch (...) {
      // A malformed command line opens no window.
      return reportUncaughtException(false);
    }

    VexaEditor editor;
    editor.showMaximized();
    // Before any file is opened, so the first finished load triggers the batch rendering.
    if (!options.render_directory.empty())
      editor.setRenderDirectory(QString::fromStdString(options.render_directory));
    editor.openStartupFiles(files);
    return application.exec();
  } catch (...) {
    return reportUncaughtException(true);
  }
}
