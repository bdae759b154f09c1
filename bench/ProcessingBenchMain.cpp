// The processing benchmark's helper program; the script processing-bench drives it.
//   processing-bench-run csv PROJECT OUT.csv   the project's raw point clouds as "x,y,z" lines, for
//                                              gdal_grid, with a VRT beside it naming them as points
//   processing-bench-run modules PROJECT       runs the real modules on the project one after the
//                                              other (DSM, DSM mesh, true ortho, DSM mesh texturing)
//                                              and prints "dsm=S dsm_mesh=S true_ortho=S texturing=S
//                                              peak_rss_mb=M cells=C west=W south=S east=E north=N
//                                              cell=G" (seconds per module)
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "vx/Las.h"
#include "vx/VEXAProject.h"
#include "vx/Vexa.h"

namespace {

int writeCsv(const std::string& projectFile, const std::string& csv) {
  vx::VEXAProject project;
  project.loadProjectFile(projectFile);
  const std::string list = project.projectFolderUtf8() + "/Internal/Lists/point_cloud_raw_list.txt";
  std::ofstream out(csv);
  out << "x,y,z\n";
  out.precision(12);
  std::vector<vx::las::Point> points;
  for (const std::string& file : vx::las::inputFiles(list, project.projectFolderUtf8())) {
    vx::las::Reader reader(file);
    while (reader.read(points))
      for (const vx::las::Point& p : points) out << p.x << ',' << p.y << ',' << p.z << '\n';
  }
  const std::string layer = csv.substr(csv.find_last_of('/') + 1, csv.size() - csv.find_last_of('/') - 5);
  std::ofstream vrt(csv.substr(0, csv.size() - 4) + ".vrt");
  vrt << "<OGRVRTDataSource><OGRVRTLayer name=\"" << layer << "\"><SrcDataSource>" << csv
      << "</SrcDataSource><GeometryType>wkbPoint25D</GeometryType>"
      << "<GeometryField encoding=\"PointFromColumns\" x=\"x\" y=\"y\" z=\"z\"/></OGRVRTLayer></OGRVRTDataSource>\n";
  return out && vrt ? 0 : 1;
}

int runModules(const std::string& projectFile) {
  vx::VEXAProject project;
  project.loadProjectFile(projectFile);
  vx::VEXA engine;
  using Call = int (vx::VEXA::*)(vx::VEXAProject&);
  const std::pair<const char*, Call> modules[] = {{"dsm", &vx::VEXA::dsm},
                                                  {"dsm_mesh", &vx::VEXA::dsmMesh},
                                                  {"true_ortho", &vx::VEXA::trueOrtho},
                                                  {"texturing", &vx::VEXA::dsmMeshTexturing}};
  std::string times;
  for (const auto& [name, call] : modules) {
    const auto start = std::chrono::steady_clock::now();
    const int result = (engine.*call)(project);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (result != 0) {
      std::fprintf(stderr, "processing-bench-run: the module %s ended with code %d\n", name, result);
      return 1;
    }
    times += std::string(name) + "=" + std::to_string(seconds) + " ";
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto low = project.areaMin();
  const double size = project.tileSize(), cell = project.effectiveGsd();
  const int columns = int(std::ceil((project.areaMax()[0] - low[0]) / size));
  const int rows = int(std::ceil((project.areaMax()[1] - low[1]) / size));
  const int perTile = int(std::ceil(size / cell - 1e-9));
  std::printf("%speak_rss_mb=%.1f cells=%d west=%.3f south=%.3f east=%.3f north=%.3f cell=%.6f\n", times.c_str(),
              usage.ru_maxrss / 1024.0, columns * perTile * rows * perTile, low[0], low[1],
              low[0] + columns * perTile * cell, low[1] + rows * perTile * cell, cell);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "csv" && argc == 4) return writeCsv(argv[2], argv[3]);
    if (mode == "modules" && argc == 3) return runModules(argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "processing-bench-run: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "Usage: processing-bench-run csv PROJECT OUT.csv | modules PROJECT\n");
  return 64;
}
