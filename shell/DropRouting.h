#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

namespace qvx {

// What a drop onto the viewer asks for, in the order of the dropped URLs. Files other than meshes
// are acted on during the walk; meshes are collected and loaded together afterwards.
struct DropPlan {
  enum class Kind { OrientationList, Topology, Project, ShapeFile };
  struct Action {
    Kind kind;
    QString path;
  };
  QList<Action> actions;
  QStringList meshes;
  // A URL that is not a local file ends the walk; the collected meshes are then not loaded.
  bool aborted = false;
};

// Every test requires the file to exist; suffixes compare case-sensitively; first match wins.
DropPlan planDrop(const QList<QUrl>& urls, const QStringList& meshExtensions);

}  // namespace qvx
