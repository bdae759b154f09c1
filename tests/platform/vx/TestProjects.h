#pragma once

// Project folders and files for the tests of the core library and of the project layer.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QFileInfo>
#include <functional>
#include <stdexcept>

#include "vx/ImageOrientation.h"
#include "vx/Las.h"

namespace testprojects {

// The DSM's input in a project: a level cloud at `height`, a point every `spacing` metres over the
// area, in Internal/Point_Cloud_Raw and named by the raw point list as the dense matching names it.
inline void writeRawPointCloud(const QString& projectFolder, const std::array<double, 3>& low,
                               const std::array<double, 3>& high, double height, double spacing = 1.0) {
  std::vector<vx::las::Point> points;
  for (double y = low[1] + spacing / 2; y < high[1]; y += spacing) {
    for (double x = low[0] + spacing / 2; x < high[0]; x += spacing) {
      vx::las::Point p;
      p.x = x;
      p.y = y;
      p.z = height;
      points.push_back(p);
    }
  }
  const QString cloud = projectFolder + "/Internal/Point_Cloud_Raw/cloud.las";
  QDir().mkpath(QFileInfo(cloud).absolutePath());
  QDir().mkpath(projectFolder + "/Internal/Lists");
  vx::las::write(cloud.toStdString(), points);
  QFile list(projectFolder + "/Internal/Lists/point_cloud_raw_list.txt");
  if (!list.open(QIODevice::WriteOnly) || list.write(cloud.toUtf8() + "\n") <= 0) qFatal("cannot write the point list");
}

inline void writeText(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) qFatal("cannot write %s", qPrintable(path));
}

inline QByteArray readText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The message of the std::runtime_error that `run` throws, or "no exception".
inline QString errorOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const std::runtime_error& e) {
    return QString::fromUtf8(e.what());
  }
  return "no exception";
}

// Every file and folder below `folder` (links not followed) with the file contents: equal
// snapshots mean an unchanged folder.
inline QMap<QString, QByteArray> folderSnapshot(const QString& folder) {
  QMap<QString, QByteArray> entries;
  QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QFileInfo info = it.fileInfo();
    entries.insert(QDir(folder).relativeFilePath(path),
                   info.isSymLink() ? "link to " + info.symLinkTarget().toUtf8()
                                    : info.isDir() ? QByteArray("folder") : readText(path));
  }
  return entries;
}

// A nadir camera `height` above (x, 0, 0), image top facing +Y.
inline vx::ImageOrientation nadirOrientation(const std::string& name, double x, double height = 100) {
  vx::ImageOrientation o;
  o.setImageName(name);
  o.setImageSize(400, 300);
  o.setFocalLength(500);
  o.setPrincipalPoint(200, 150);
  o.setProjectionCenter({{x, 0, height}});
  o.setRotation(vx::lookRotation({{0, 0, -1}}, {{0, 1, 0}}));
  return o;
}

// A folder of project file version 1: Project.vpr lists `imageCount` images whose orientation
// files lie in the top-level folder "Orientations" next to an orientation list; no Internal/Editor.
inline void makeVersion1Project(const QString& folder, int imageCount) {
  QByteArray images, list;
  for (int i = 0; i < imageCount; ++i) {
    const QByteArray name = "img" + QByteArray::number(i);
    QDir().mkpath(folder + "/Orientations");
    nadirOrientation(name.toStdString() + ".jpg", i * 10.0).writeFile((folder + "/Orientations/" + name + ".ori").toStdString());
    images += "<image><name>" + name + ".jpg</name><photo>Images/" + name + ".jpg</photo><orientation>Orientations/" +
              name + ".ori</orientation><selected>true</selected></image>";
    list += name + ".ori\n";
  }
  writeText(folder + "/Orientations/orientation_list.txt", list);
  writeText(folder + "/Project.vpr", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<VEXAProject><version>1</version>"
                                     "<name>Old</name><images>" + images + "</images></VEXAProject>\n");
  QDir().mkpath(folder + "/Internal/Lists");
}

}  // namespace testprojects
