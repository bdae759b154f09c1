#include "tasks/Task.h"

namespace tasks {

Task::Task(QObject* parent) : QObject(parent) {}

Feedback& Task::beginJob() {
  feedback_.reset();
  error_.clear();
  running_ = true;
  return feedback_;
}

void Task::endJob(const QString& error) {
  running_ = false;
  error_ = error;
  emit finished();
}

void Task::abandonJob(QFutureWatcherBase& watcher) {
  // Disconnected first: what the job reports once it sees the cancel reaches nobody.
  feedback_.disconnect();
  watcher.disconnect();
  feedback_.cancel();
  // A cancelled future that has not begun returns without calling the job, also when the wait
  // below takes it from the pool and runs it on this thread.
  watcher.cancel();
  watcher.waitForFinished();
}

}  // namespace tasks
