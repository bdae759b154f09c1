#include "shell/DropRouting.h"

#include <QFileInfo>

namespace qvx {

DropPlan planDrop(const QList<QUrl>& urls, const QStringList& meshExtensions) {
  DropPlan plan;
  for (const QUrl& url : urls) {
    if (!url.isLocalFile()) {
      plan.aborted = true;
      return plan;
    }
    const QString path = url.toLocalFile();
    const QFileInfo info(path);
    if (!info.exists()) continue;
    const QString suffix = info.suffix();
    if (suffix == QLatin1String("txt")) {
      plan.actions.append({DropPlan::Kind::OrientationList, path});
    } else if (suffix == QLatin1String("tif")) {
      plan.actions.append({DropPlan::Kind::Topology, path});
    } else if (suffix == QLatin1String("vpr")) {
      plan.actions.append({DropPlan::Kind::Project, path});
    } else if (suffix == QLatin1String("shp")) {
      plan.actions.append({DropPlan::Kind::ShapeFile, path});
    } else if (meshExtensions.contains(suffix)) {
      plan.meshes.append(path);
    }
  }
  return plan;
}

}  // namespace qvx
