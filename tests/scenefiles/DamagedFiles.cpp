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

void writeSpinningIndex(const QString& path) {
  static const char kBytes[] =
      "\xa1\x0e\x91\x6c\x45\x45\xfb\x1a\x01\x00\x00\x00\xa1\x00\x00\x54\x69\x6c\x65\x5f\x30\x5f\x30\x2e"
      "\x6f\x73\x00\x04\x00\x00\x00\x01\x00\x00\x00\x30\x0a\x00\x00\x00\x6f\x73\x67\x3a\x3a\x47\x72\x6f"
      "\x75\x70\xdf\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00\x00\x00"
      "\x00\x00\x00\x00\x01\xff\xff\xff\xff\x00\x01\x01\x00\x00\x00\xba\x00\x00\x00\x00\x00\x00\x00\x0d"
      "\x00\x00\x00\x6f\x73\x67\x3a\x3a\x50\x61\x67\x65\x64\x4c\x4f\x44\xa1\x00\x00\x00\x00\x00\x00\x00"
      "\x02\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\xff\xff\xff\xff\x00"
      "\x01\x00\x00\x00\x01\x00\x00\x00\x00\x08\x6c\x1d\x41\x00\x00\x00\x80\x66\x73\x54\x41\x00\x00\x00"
      "\xc0\x01\x2b\x72\x40\x00\x00\x00\x40\x98\xc4\x51\x40\x00\x00\x00\x00\x01\x01\x00\x00\x00\x10\x00"
      "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\xff\x7f\x7f\x01\x00\x00\x00\x00\x00\x00\x01\x01\x00"
      "\x00\x00\x22\x00\x00\x00\x00\x00\x00\x00\x16\x00\x00\x00\x54\x69\x6c\x65\x5f\x30\x5f\x30\x2f\x54"
      "\x69\x6c\x65\x5f\x30\x5f\x30\x2e\x6f\x73\x67\x62\x01\x00\x00\x00\x10\x00\x00\x00\x00\x00\x00\x00"
      "\x00\x00\x00\x00\x00\x00\x80\x3f\x00";
  writeBytes(path, QByteArray(kBytes, int(sizeof kBytes) - 1));
}

void writeGoodPly(const QString& path) { writeBytes(path, plyWithFaces("3 0 1 2\n3 0 2 3\n", 2)); }

void writeGoodObj(const QString& path) {
  writeBytes(path, "v 0 0 0\nv 10 0 0\nv 10 0 10\nv 0 0 10\nf 1 2 3\nf 1 3 4\n");
}

}  // namespace damaged
