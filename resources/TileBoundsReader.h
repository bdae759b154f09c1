#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include "resources/TileRootValues.h"
#include "tasks/Task.h"

namespace MeshTree {

// Reads the bounds of tile roots that are not paged in yet on the thread pool: a large tiled
// mesh has thousands of tile files, far too many to read on the GUI thread when it is loaded.
// One batch runs at a time; files asked for meanwhile follow in the next batch, unless the
// running batch reads them already. Deleting the reader stops the running batch after the file
// being read and waits for that.
class TileBoundsReader : public QObject {
  Q_OBJECT

 public:
  explicit TileBoundsReader(QObject* parent = nullptr);

  void read(const QStringList& files);
  bool isReading() const { return task_.isRunning(); }

 signals:
  // The bounds of the files of a finished batch that could be read, by file path.
  void signal_batchRead(const QMap<QString, TileBounds>& bounds);

 private:
  void startBatch();
  void on_batchFinished();

  tasks::ResultTask<QMap<QString, TileBounds>> task_;
  QStringList waiting_;
  QStringList reading_;
};

}  // namespace MeshTree
