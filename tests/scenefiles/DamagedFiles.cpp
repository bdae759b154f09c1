#include "tests/scenefiles/DamagedFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace damaged {

void writeBytes(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

void writeTruncated(const QString& source, const QString& path, double fraction) {
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly)) return;
  const QByteArray all = in.readAll();
  writeBytes(path, all.left(static_cast<int>(all.size() * fraction)));
}

void writeRandom(const QString& path, int size, unsigned int seed) {
  QRandomGenerator random(seed);
  QByteArray bytes(size, Qt::Uninitialized);
  for (char& byte : bytes) byte = static_cast<char>(random.bounded(256));
  writeBytes(path, bytes);
}

void writeSparse(const QString& path, qint64 size) {
  writeBytes(path, "osgb");
  QFile file(path);
  if (file.open(QIODevice::ReadWrite)) file.resize(size);
}

bool makeFifo(const QString& path) {
#ifndef _WIN32
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile::remove(path);
  return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
#else
  Q_UNUSED(path);
  return false;
#endif
}

namespace {

QByteArray plyWithFaces(const QByteArray& faces, int faceCount) {
  return "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\nproperty float z\n"
         "element face " + QByteArray::number(faceCount) + "\nproperty list uchar int vertex_indices\nend_header\n"
         "0 0 0\n10 0 0\n10 10 0\n0 10 0\n" + faces;
}

}  // namespace

void writePlyWithBadIndex(const QString& path) {
  writeBytes(path, plyWithFaces("3 0 1 2\n3 0 2 1000000000\n", 2));
}

void writeGoodPly(const QString& path) { writeBytes(path, plyWithFaces("3 0 1 2\n3 0 2 3\n", 2)); }

void writeGoodObj(const QString& path) {
  writeBytes(path, "v 0 0 0\nv 10 0 0\nv 10 0 10\nv 0 0 10\nf 1 2 3\nf 1 3 4\n");
}

}  // namespace damaged
