#include "tests/fuzz/Readers.h"

#include <QEventLoop>
#include <QObject>

#include <exception>

#include "project/ProjectOpener.h"
#include "rendering/WaypointFile.h"
#include "rendering/WaypointList.h"
#include "resources/DataBase.h"
#include "shell/InitFile.h"
#include "stations/OrientationListLoader.h"
#include "tests/fuzz/SceneReader.h"
#include "vx/Dsm.h"
#include "vx/HeightGrid.h"
#include "vx/ImageOrientation.h"
#include "vx/Las.h"
#include "vx/Photo.h"
#include "vx/VEXAProject.h"

namespace fuzz {

namespace {

// Exceptions are the readers' documented way to refuse a file; the editor catches them at the
// boundary of the user action.
template <typename Read>
Outcome guarded(Read read) {
  try {
    return read() ? Outcome::Accepted : Outcome::Rejected;
  } catch (const std::exception&) {
    return Outcome::Rejected;
  } catch (...) {
    return Outcome::Rejected;
  }
}

// As the central widget opens a project, with the structure update declined and messages dropped.
qvx::OpenedProject openProject(const QString& file, qvx::ProjectReader read) {
  qvx::ProjectOpenerUi ui;
  ui.askUpdate = [](const QString&) { return false; };
  ui.critical = [](const QString&) {};
  qvx::OpenedProject opened;
  bool finished = false;
  QObject context;
  QEventLoop loop;
  qvx::openProjectInBackground(file, ui, std::move(read), &context, [&](qvx::OpenedProject result) {
    opened = std::move(result);
    finished = true;
    loop.quit();
  });
  if (!finished) loop.exec();
  return opened;
}

QStringList readNothingMore(const vx::VEXAProject&, QStringList*) { return {}; }

Outcome readInitFile(const QString& path) {
  return guarded([&] {
    InitFile initFile;
    return initFile.load(path);
  });
}

Outcome readProjectFile(const QString& path) {
  return guarded([&] { return openProject(path, readNothingMore).project != nullptr; });
}

Outcome readProjectDatabases(const QString& projectFile) {
  return guarded([&] {
    const qvx::OpenedProject opened = openProject(projectFile, &MeshTree::DataBase::currentResources);
    return opened.project && !opened.resources.isEmpty();
  });
}

Outcome readOrientation(const QString& path) {
  return guarded([&] {
    vx::ImageOrientation::readFile(path.toUtf8().toStdString());
    return true;
  });
}

// As the central widget loads a dropped list into camera stations.
Outcome readOrientationList(const QString& path) {
  return guarded([&] {
    const qvx::osgcam::OrientationListRead read = qvx::osgcam::readOrientationListEntries(path);
    return read.errors.isEmpty() && !read.images.orientations.empty();
  });
}

// As the waypoint panel loads a path file and flies it.
Outcome readWaypoints(const QString& path) {
  return guarded([&] {
    const qvx::WaypointFileContent content = qvx::readWaypointFile(path);
    qvx::waypointReadMessage(path, content);
    qvx::WaypointList list;
    for (const qvx::WaypointRecord& record : content.waypoints) {
      auto waypoint = std::make_shared<qvx::WaypointItem>(record.viewMatrix, record.name);
      waypoint->setActive(true);
      list.append(waypoint);
    }
    list.buildAnimationPath(10.0);
    return content.error.isEmpty() && content.badLines.empty() && !content.waypoints.empty();
  });
}

// As the DSM module reads its input, chunk by chunk.
Outcome readPointCloud(const QString& path) {
  return guarded([&] {
    vx::las::Reader reader(path.toUtf8().toStdString());
    std::vector<vx::las::Point> points;
    std::size_t count = 0;
    while (reader.read(points, 64)) count += points.size();
    return count == reader.header().pointCount;
  });
}

Outcome readHeightTile(const QString& path) {
  return guarded([&] { return vx::readHeightGrid(path.toUtf8().toStdString()).columns > 0; });
}

// As the true ortho and the texturing check a photo, then decode it.
Outcome readPhotoFile(const QString& path) {
  return guarded([&] {
    const std::string file = path.toUtf8().toStdString();
    const vx::PhotoSize size = vx::readPhotoSize(file);
    const vx::Photo photo = vx::readPhoto(file);
    std::uint8_t rgb[3];
    photo.sample(size.width / 2.0, size.height / 2.0, rgb);
    return photo.width == size.width && photo.height == size.height;
  });
}

Outcome readCorrections(const QString& path) {
  return guarded([&] { return !vx::dsm::readCorrectionPolygons(path.toUtf8().toStdString()).empty(); });
}

Outcome readScene(const QString& path) {
  return guarded([&] { return readSceneFile(path.toUtf8().toStdString()) != nullptr; });
}

const QString kOrientations = "project/Internal/Orientations/";
const QString kMesh = "project/Results/DSM_Mesh/";
const QString kMeshForEditing = "project/Results/DSM_Mesh_For_Editing/";

}  // namespace

const std::vector<Reader>& readers() {
  static const std::vector<Reader> all = {
      {"initfile", {"vexa_ui.init"}, "", readInitFile},
      {"project", {"project/Project.vpr"}, "", readProjectFile},
      {"database", {"project/Internal/resources.vxdb", "project/Internal/chronicle.vxdb"}, "project/Project.vpr",
       readProjectDatabases},
      {"orientation", {kOrientations + "IMG_0001.ori", kOrientations + "IMG_0002.ori"}, "", readOrientation},
      {"orientlist", {"orientations/orientation_list.txt", "orientations/IMG_0001.ori", "orientations/IMG_0002.ori"},
       "orientations/orientation_list.txt", readOrientationList},
      {"waypoints", {"waypoints/path.txt"}, "", readWaypoints},
      {"las", {"clouds/cloud12.las", "clouds/cloud14.las"}, "", readPointCloud},
      {"heighttile", {"dsm/DSM_0_0.tif"}, "", readHeightTile},
      {"photo", {"project/Internal/Images/Color/IMG_0001.jpg"}, "", readPhotoFile},
      {"correction", {"corrections/CorrectionShape.shp", "corrections/CorrectionShape.shx",
                      "corrections/CorrectionShape.dbf"}, "corrections/CorrectionShape.shp", readCorrections},
      {"tile", {kMesh + "Tile_0_0/Tile_0_0.osgb", kMesh + "Tile_0_0/Tile_0_0_L1_0.osgb",
                kMeshForEditing + "Tile_0_0/Tile_0_0.osgb"}, "", readScene},
      {"index", {kMesh + "Mesh.osgb", kMeshForEditing + "Mesh.osgb"}, "", readScene},
      {"ply", {"meshes/ascii.ply", "meshes/binary.ply"}, "", readScene},
      {"obj", {"meshes/mesh.obj"}, "", readScene},
      {"osg", {"meshes/mesh.osg"}, "", readScene},
  };
  return all;
}

const Reader* findReader(const QString& name) {
  for (const Reader& reader : readers()) {
    if (reader.name == name) return &reader;
  }
  return nullptr;
}

}  // namespace fuzz
