#include "shell/StartupFiles.h"

#include <QFileInfo>

namespace qvx {

QList<StartupAction> startupActionsFor(const QString& path, const QStringList& meshExtensions) {
  const QFileInfo info(path);
  const QString suffix = info.suffix();
  QList<StartupAction> actions;
  if (info.isFile() && suffix == QLatin1String("txt")) actions << StartupAction::OrientationList;
  if (info.isFile() && suffix == QLatin1String("vpr")) actions << StartupAction::Project;
  if (meshExtensions.contains(suffix, Qt::CaseSensitive)) actions << StartupAction::Mesh;
  return actions;
}

}  // namespace qvx
