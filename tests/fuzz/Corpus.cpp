#include "tests/fuzz/Corpus.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cmath>

#include <stdexcept>

#include <osg/Geode>
#include <osg/Geometry>
#include <osgDB/WriteFile>

#include "rendering/WaypointFile.h"
#include "shell/InitFile.h"
#include "vx/HeightGrid.h"
#include "vx/Las.h"
#include "vx/ImageOrientation.h"

namespace fuzz {

namespace {

// A 3 x 3 vertex height field: enough for faces, normals, colours and texture coordinates.
constexpr int kSide = 3;

struct Vertex {
  float x, y, z;
  float nx, ny, nz;
  unsigned char r, g, b;
  float u, v;
};

std::vector<Vertex> gridVertices() {
  std::vector<Vertex> vertices;
  for (int j = 0; j < kSide; ++j) {
    for (int i = 0; i < kSide; ++i) {
      const float z = float((i * 7 + j * 3) % 5) * 0.5f;
      vertices.push_back({float(i), float(j), z, 0.0f, 0.0f, 1.0f, (unsigned char)(40 * i), (unsigned char)(60 * j),
                          200, float(i) / (kSide - 1), float(j) / (kSide - 1)});
    }
  }
  return vertices;
}

std::vector<std::array<int, 3>> gridTriangles() {
  std::vector<std::array<int, 3>> triangles;
  for (int j = 0; j + 1 < kSide; ++j) {
    for (int i = 0; i + 1 < kSide; ++i) {
      const int a = j * kSide + i;
      triangles.push_back({a, a + 1, a + kSide + 1});
      triangles.push_back({a, a + kSide + 1, a + kSide});
    }
  }
  return triangles;
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
    throw std::runtime_error("Could not write " + path.toStdString());
}

QByteArray plyHeader(const char* format, size_t vertices, size_t faces) {
  return QString("ply\nformat %1 1.0\ncomment fuzz seed\nelement vertex %2\n"
                 "property float x\nproperty float y\nproperty float z\n"
                 "property float nx\nproperty float ny\nproperty float nz\n"
                 "property uchar red\nproperty uchar green\nproperty uchar blue\n"
                 "element face %3\nproperty list uchar int vertex_indices\nend_header\n")
      .arg(format)
      .arg(vertices)
      .arg(faces)
      .toUtf8();
}

QByteArray asciiPly() {
  const auto vertices = gridVertices();
  const auto triangles = gridTriangles();
  QByteArray text = plyHeader("ascii", vertices.size(), triangles.size());
  for (const Vertex& v : vertices)
    text += QString("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
                .arg(v.x).arg(v.y).arg(v.z).arg(v.nx).arg(v.ny).arg(v.nz).arg(v.r).arg(v.g).arg(v.b)
                .toUtf8();
  for (const auto& t : triangles) text += QString("3 %1 %2 %3\n").arg(t[0]).arg(t[1]).arg(t[2]).toUtf8();
  return text;
}

template <typename T>
void appendRaw(QByteArray& bytes, T value) {
  bytes.append(reinterpret_cast<const char*>(&value), sizeof value);  // little-endian hosts only
}

QByteArray binaryPly() {
  const auto vertices = gridVertices();
  const auto triangles = gridTriangles();
  QByteArray bytes = plyHeader("binary_little_endian", vertices.size(), triangles.size());
  for (const Vertex& v : vertices) {
    for (float f : {v.x, v.y, v.z, v.nx, v.ny, v.nz}) appendRaw(bytes, f);
    for (unsigned char c : {v.r, v.g, v.b}) appendRaw(bytes, c);
  }
  for (const auto& t : triangles) {
    appendRaw(bytes, static_cast<unsigned char>(3));
    for (int index : t) appendRaw(bytes, static_cast<std::int32_t>(index));
  }
  return bytes;
}

QByteArray obj() {
  QByteArray text = "# fuzz seed\no grid\n";
  for (const Vertex& v : gridVertices()) {
    text += QString("v %1 %2 %3\nvt %4 %5\nvn %6 %7 %8\n")
                .arg(v.x).arg(v.y).arg(v.z).arg(v.u).arg(v.v).arg(v.nx).arg(v.ny).arg(v.nz)
                .toUtf8();
  }
  text += "s off\n";
  for (const auto& t : gridTriangles())
    text += QString("f %1/%1/%1 %2/%2/%2 %3/%3/%3\n").arg(t[0] + 1).arg(t[1] + 1).arg(t[2] + 1).toUtf8();
  return text;
}

void writeOsg(const QString& path) {
  osg::ref_ptr<osg::Vec3Array> positions = new osg::Vec3Array;
  osg::ref_ptr<osg::Vec3Array> normals = new osg::Vec3Array;
  osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
  osg::ref_ptr<osg::Vec2Array> texCoords = new osg::Vec2Array;
  for (const Vertex& v : gridVertices()) {
    positions->push_back({v.x, v.y, v.z});
    normals->push_back({v.nx, v.ny, v.nz});
    colours->push_back({v.r / 255.0f, v.g / 255.0f, v.b / 255.0f, 1.0f});
    texCoords->push_back({v.u, v.v});
  }
  osg::ref_ptr<osg::DrawElementsUInt> faces = new osg::DrawElementsUInt(GL_TRIANGLES);
  for (const auto& t : gridTriangles())
    for (int index : t) faces->push_back(index);
  osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
  geometry->setVertexArray(positions);
  geometry->setNormalArray(normals, osg::Array::BIND_PER_VERTEX);
  geometry->setColorArray(colours, osg::Array::BIND_PER_VERTEX);
  geometry->setTexCoordArray(0, texCoords, osg::Array::BIND_PER_VERTEX);
  geometry->addPrimitiveSet(faces);
  osg::ref_ptr<osg::Geode> geode = new osg::Geode;
  geode->setName("grid");
  geode->addDrawable(geometry);
  QDir().mkpath(QFileInfo(path).absolutePath());
  if (!osgDB::writeNodeFile(*geode, path.toUtf8().toStdString()))
    throw std::runtime_error("Could not write " + path.toStdString());
}

// Three waypoints over the demo terrain, in projected coordinates as the panel saves them.
QByteArray waypoints() {
  std::vector<qvx::WaypointRecord> records;
  const osg::Vec3d target(482100.0, 5361000.0, 300.0);
  for (int i = 0; i < 3; ++i) {
    const osg::Vec3d eye = target + osg::Vec3d(150.0 * i - 150.0, -200.0, 120.0 + 10.0 * i);
    records.push_back({"view_" + std::to_string(i), osg::Matrixd::lookAt(eye, target, osg::Vec3d(0.0, 0.0, 1.0))});
  }
  return QByteArray::fromStdString(qvx::formatWaypoints(records));
}

// The demo project's list names its orientation files by absolute path, which a mutated copy of
// the corpus would not follow: a list of relative entries beside copies of the files.
void writeRelativeOrientationList(const QDir& corpus) {
  const std::string demoList = corpus.filePath("project/Internal/Orientations/orientation_list.txt").toStdString();
  std::vector<std::string> copies;
  for (const vx::OrientationListEntry& entry : vx::listedOrientationFiles(demoList)) {
    const QString source = QString::fromStdString(entry.path);
    const QString copy = corpus.filePath("orientations/" + QFileInfo(source).fileName());
    QDir().mkpath(QFileInfo(copy).absolutePath());
    if (!QFile::copy(source, copy)) throw std::runtime_error("Could not copy " + entry.path);
    copies.push_back(copy.toStdString());
  }
  vx::writeOrientationList(corpus.filePath("orientations/orientation_list.txt").toStdString(), copies);
}

// Two small point clouds, one per LAS version the DSM reads, from a slope with some noise.
void writePointClouds(const QDir& corpus) {
  std::vector<vx::las::Point> points;
  for (int i = 0; i < 200; ++i) {
    vx::las::Point p;
    p.x = 482000.0 + (i % 20) * 0.5;
    p.y = 5361000.0 + (i / 20) * 0.5;
    p.z = 300.0 + 0.1 * p.x - 48200.0 + (i * 7919 % 13) * 0.01;
    p.red = std::uint16_t(i * 300);
    p.classification = 2;
    points.push_back(p);
  }
  QDir().mkpath(corpus.filePath("clouds"));
  vx::las::write(corpus.filePath("clouds/cloud12.las").toStdString(), points);
  vx::las::write(corpus.filePath("clouds/cloud14.las").toStdString(), points, true);
}

// A height tile of the DSM, some cells unknown.
void writeHeightTile(const QDir& corpus) {
  vx::HeightGrid grid(482000.0, 5361032.0, 0.5, 64, 64);
  for (std::size_t i = 0; i < grid.heights.size(); ++i) grid.heights[i] = 300.0f + float(i % 64) * 0.1f;
  grid.at(10, 10) = NAN;
  QDir().mkpath(corpus.filePath("dsm"));
  vx::writeHeightGrid(corpus.filePath("dsm/DSM_0_0.tif").toStdString(), grid);
}

// A correction shapefile of two PolygonZ features, as the editor saves digitized corrections.
void writeCorrectionShapefile(const QDir& corpus) {
  QDir().mkpath(corpus.filePath("corrections"));
  GDALAllRegister();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile");
  const std::string path = corpus.filePath("corrections/CorrectionShape.shp").toStdString();
  GDALDatasetUniquePtr data(driver ? driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr) : nullptr);
  OGRLayer* layer = data ? data->CreateLayer("CorrectionShape", nullptr, wkbPolygon25D, nullptr) : nullptr;
  if (!layer) throw std::runtime_error("Could not write " + path);
  for (int k = 0; k < 2; ++k) {
    OGRLinearRing ring;
    const double x = 482010.0 + 20.0 * k, y = 5361010.0;
    ring.addPoint(x, y, 301.0);
    ring.addPoint(x + 10.0, y, 302.0);
    ring.addPoint(x + 10.0, y + 8.0, 302.5);
    ring.addPoint(x, y + 8.0, 301.5);
    ring.closeRings();
    OGRPolygon polygon;
    polygon.addRing(&ring);
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetGeometry(&polygon);
    if (layer->CreateFeature(&feature) != OGRERR_NONE) throw std::runtime_error("Could not write " + path);
  }
}

void writeDemoProject(const QString& folder, const QString& demoProgram) {
  QProcess demo;
  demo.setProcessChannelMode(QProcess::MergedChannels);
  demo.start(demoProgram, {folder, "--tiles", "1", "--levels", "2", "--images", "2", "--seed", "1"});
  if (!demo.waitForFinished(300000) || demo.exitStatus() != QProcess::NormalExit || demo.exitCode() != 0)
    throw std::runtime_error("The demo program " + demoProgram.toStdString() +
                             " could not write the corpus project:\n" + demo.readAll().toStdString());
}

}  // namespace

void writeCorpus(const QString& folder, const QString& demoProgram) {
  const QDir dir(folder);
  writeDemoProject(dir.filePath("project"), demoProgram);
  InitFile initFile;
  initFile.save(dir.filePath("vexa_ui.init"));
  writeFile(dir.filePath("meshes/ascii.ply"), asciiPly());
  writeFile(dir.filePath("meshes/binary.ply"), binaryPly());
  writeFile(dir.filePath("meshes/mesh.obj"), obj());
  writeOsg(dir.filePath("meshes/mesh.osg"));
  writeRelativeOrientationList(dir);
  writeFile(dir.filePath("waypoints/path.txt"), waypoints());
  writePointClouds(dir);
  writeHeightTile(dir);
  writeCorrectionShapefile(dir);
}

}  // namespace fuzz
