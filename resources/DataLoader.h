#pragma once

#include <QFileInfo>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

#include <osg/Node>
#include <osg/ref_ptr>

#include "tasks/Task.h"

namespace MeshTree {

// Reads resource files on a pool thread, one task of the background-task pattern (tasks/Task.h).
// Lifetime: the model deletes the loader once signal_finished or signal_failed has arrived, or
// whenever it likes: deleting a running loader cancels it and waits for the file being read (a
// load that has not begun is dropped); nothing of it is delivered. The reading touches none of the
// loader's members.
class DataLoader : public QObject {
  Q_OBJECT

 public:
  explicit DataLoader(const QList<std::shared_ptr<QFileInfo>>& files, QObject* parent = nullptr);

  const QList<std::shared_ptr<QFileInfo>>& files() const { return files_; }
  // One node per file that could be read, in file order, with its file; complete only after
  // signal_finished.
  const QList<osg::ref_ptr<osg::Node>>& results() const { return results_; }
  const QList<std::shared_ptr<QFileInfo>>& loadedFiles() const { return loadedFiles_; }
  // A message naming each file that could not be read and that nobody reported yet. A bad file
  // never stops the others from loading.
  const QStringList& failures() const { return failures_; }
  // The run stops before its next file; the model adds nothing of a cancelled load.
  void cancel() { task_.cancel(); }
  bool isCancelled() const { return task_.isCanceled(); }
  // Progress in percent of the files read, and the cancel flag.
  tasks::Feedback* feedback() { return task_.feedback(); }

  // Hands the reading to the global thread pool.
  void start();

 signals:
  // Both arrive on the main thread, after the reading has returned.
  void signal_finished();
  void signal_failed(QString errorString);

 private:
  struct Read {
    QList<osg::ref_ptr<osg::Node>> nodes;
    QList<int> loaded;  // the index in the file list of each node
    QStringList failures;
  };

  static Read readFiles(const QStringList& paths, tasks::Feedback& feedback);
  void on_taskFinished();

  QList<std::shared_ptr<QFileInfo>> files_;
  QList<osg::ref_ptr<osg::Node>> results_;
  QList<std::shared_ptr<QFileInfo>> loadedFiles_;
  QStringList failures_;
  tasks::ResultTask<Read> task_;
};

}  // namespace MeshTree
