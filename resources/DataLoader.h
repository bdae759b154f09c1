#pragma once

#include <QFileInfo>
#include <QList>
#include <QObject>
#include <QRunnable>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

#include <osg/Node>
#include <osg/ref_ptr>

class QSemaphore;

namespace MeshTree {

// Reads resource files on a pool thread. Auto-delete is off: the model deletes the loader once its
// result signal has arrived and run() has returned (waitUntilDone), or after stop().
class DataLoader : public QObject, public QRunnable {
  Q_OBJECT

 public:
  explicit DataLoader(const QList<std::shared_ptr<QFileInfo>>& files, QObject* parent = nullptr);
  ~DataLoader() override;

  void run() override;

  const QList<std::shared_ptr<QFileInfo>>& files() const { return files_; }
  // One node per file that could be read, in file order, with its file; complete only after
  // signal_finished.
  const QList<osg::ref_ptr<osg::Node>>& results() const { return results_; }
  const QList<std::shared_ptr<QFileInfo>>& loadedFiles() const { return loadedFiles_; }
  // A message naming each file that could not be read and that nobody reported yet. A bad file
  // never stops the others from loading.
  const QStringList& failures() const { return failures_; }
  // Thread-safe: the run stops before its next file; the model adds nothing of a cancelled load.
  void cancel() { cancelled_ = true; }
  bool isCancelled() const { return cancelled_; }

  // Hands the loader to the global thread pool.
  void start();
  // Takes a loader that has not begun to run back from the pool, else blocks until run() has
  // returned. Afterwards the loader may be deleted.
  void stop();
  // Blocks until run() has returned (at once when it was never started).
  void waitUntilDone();

 signals:
  void signal_finished();
  void signal_failed(QString errorString);

 private:
  void readFiles();

  QList<std::shared_ptr<QFileInfo>> files_;
  QList<osg::ref_ptr<osg::Node>> results_;
  QList<std::shared_ptr<QFileInfo>> loadedFiles_;
  QStringList failures_;
  std::atomic_bool cancelled_{false};
  // Shared with run(), which releases it as its very last step: the model may delete the loader
  // right after, so run() must not touch any member by then.
  std::shared_ptr<QSemaphore> done_;
  bool started_ = false;
};

}  // namespace MeshTree
