#pragma once

#include <QString>
#include <QStringList>

// Damaged copies of healthy scene files, as a hostile user or a broken disk leaves them.
namespace damaged {

// Writes `bytes` to `path` (creating its folder).
void writeBytes(const QString& path, const QByteArray& bytes);
// The first `fraction` of `source` written to `path`.
void writeTruncated(const QString& source, const QString& path, double fraction);
// `size` bytes of fixed pseudo-random content.
void writeRandom(const QString& path, int size, unsigned int seed);
// A sparse file of `size` bytes: costs no disk space, but a reader would allocate it all.
void writeSparse(const QString& path, qint64 size);
// A FIFO where a file is expected; false where the platform has none.
bool makeFifo(const QString& path);
// A valid ASCII PLY whose second face names a vertex that does not exist.
void writePlyWithBadIndex(const QString& path);
void writeGoodPly(const QString& path);
// A 273-byte index file (an index with one range duplicated) on which the binary reader spins
// without end: it keeps reading a count past the end of its stream.
void writeSpinningIndex(const QString& path);
void writeGoodObj(const QString& path);

}  // namespace damaged
