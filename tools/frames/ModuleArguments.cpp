#include "tools/frames/ModuleArguments.h"

#include <QDir>

#include "project/Layout.h"
#include "vx/VEXAProject.h"

namespace qvx {
namespace tool {

std::string enginePath(const QFileInfo& input) {
  if (input.filePath().isEmpty()) return std::string();
  return input.absoluteFilePath().toStdString();
}

std::string moduleLogFile(const vx::VEXAProject& project) {
  const QString log = layout::projectPath(project, layout::LogFile);
  QDir().mkpath(QFileInfo(log).absolutePath());
  return log.toStdString();
}

}  // namespace tool
}  // namespace qvx
